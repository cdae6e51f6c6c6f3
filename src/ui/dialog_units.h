#pragma once
// Dialog units to pixels, as the desktop platform converts them: a horizontal unit is a
// quarter of the dialog font's average character width, a vertical unit an eighth of
// its height.

class QFont;
class QRect;

namespace qk::ui {

// a * b / c rounded half away from zero, as the platform's MulDiv does.
int mulDiv(int a, int b, int c);

struct DialogUnits {
    int baseX = 0;  // average character width in pixels
    int baseY = 0;  // font height in pixels

    [[nodiscard]] static DialogUnits fromFont(const QFont& font);

    [[nodiscard]] int toPixelsX(int du) const { return mulDiv(du, baseX, 4); }
    [[nodiscard]] int toPixelsY(int du) const { return mulDiv(du, baseY, 8); }
    [[nodiscard]] QRect toPixels(int x, int y, int width, int height) const;
};

}  // namespace qk::ui
