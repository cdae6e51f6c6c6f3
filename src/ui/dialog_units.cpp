#include "ui/dialog_units.h"

#include <QFont>
#include <QFontMetrics>
#include <QRect>

#include <cstdint>
#include <cstdlib>

namespace qk::ui {

int mulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const std::int64_t half = std::llabs(c) / 2;
    const bool negative = (product < 0) != (c < 0);
    const std::int64_t magnitude = (std::llabs(product) + half) / std::llabs(c);
    return static_cast<int>(negative ? -magnitude : magnitude);
}

DialogUnits DialogUnits::fromFont(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int alphabetWidth =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    DialogUnits units;
    // The platform's rounding of width / 52: (width / 26 + 1) / 2.
    units.baseX = (alphabetWidth / 26 + 1) / 2;
    units.baseY = metrics.height();
    return units;
}

QRect DialogUnits::toPixels(int x, int y, int width, int height) const
{
    return {toPixelsX(x), toPixelsY(y), toPixelsX(width), toPixelsY(height)};
}

}  // namespace qk::ui
