#pragma once
// Where a top-level window opens: inside the available area of its screen (the desktop
// without its panels), with the frame the window manager adds, title bar included.
//
// Qt places a window by its frame's top-left corner, but learns the frame's size only
// once the window manager has decorated the window, and the offscreen platform has
// next to none. So the frame is taken to be at least a usual title bar and border, or
// the measured one where a window (or its owner) already has a bigger one.

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace qk::ui {

// The least frame reckoned with, in device-independent pixels: room for a title bar
// of the common desktops at 100 % and a resize border.
inline constexpr QMargins kLeastWindowFrame{6, 40, 6, 6};

// The frame around `window`'s client area: kLeastWindowFrame, grown to the frame
// measured on `window` or on `owner` (may be nullptr) where one of them is on screen.
[[nodiscard]] QMargins windowFrameMargins(const QWidget* window, const QWidget* owner);

// The available area of the screen a window opens on: its owner's (may be nullptr),
// else the primary screen's.
[[nodiscard]] QRect availableAreaFor(const QWidget* owner);

// The room the client area of a window owned by `owner` can have: the available area
// less the frame.
[[nodiscard]] QSize clientRoomFor(const QWidget* window, const QWidget* owner);

// The top-left corner for a frame of `frameSize` wanted at `wanted`: kept where the
// frame lies inside `available`, else moved the least way that brings it inside; in a
// direction where the frame is larger than the area, to the area's left or top edge.
[[nodiscard]] QPoint positionInside(QPoint wanted, QSize frameSize, const QRect& available);

// Moves `window` so that its frame is centred over `over`, as far as that keeps the
// frame inside the available area of the window's screen.
void placeCentred(QWidget* window, const QRect& over, const QWidget* owner);

// Moves `window`'s frame to `wanted`, as far as that keeps it inside the available area.
void placeAt(QWidget* window, QPoint wanted, const QWidget* owner);

}  // namespace qk::ui
