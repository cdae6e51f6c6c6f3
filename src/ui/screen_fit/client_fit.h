#pragma once
// A window's client area, laid out at a fixed size. Where the layout fits the room the
// screen leaves, the client fills the window exactly as laid out and the window keeps
// that size. Where it does not, the client sits in a scroll area that follows the
// keyboard focus, the window opens as large as the room allows and can be resized up to
// the layout's size, so every control can still be reached.

#include <QSize>

class QScrollArea;
class QWidget;

namespace qk::ui {

// `client` is a child of `window` whose size is the layout's. Returns the scroll area,
// or nullptr when the layout fits `room` (the client area the screen allows).
QScrollArea* fitClientArea(QWidget* window, QWidget* client, QSize room);

// The scroll area `window` shows its client in, or nullptr when it shows it whole.
[[nodiscard]] QScrollArea* clientScrollArea(const QWidget* window);

}  // namespace qk::ui
