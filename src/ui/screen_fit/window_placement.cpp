#include "ui/screen_fit/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace qk::ui {

namespace {

// The frame Qt has measured around a window on screen; none before it is shown.
QMargins measuredFrame(const QWidget* window)
{
    if (window == nullptr || !window->testAttribute(Qt::WA_WState_Created))
        return {};
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

QMargins largerOf(const QMargins& a, const QMargins& b)
{
    return {std::max(a.left(), b.left()), std::max(a.top(), b.top()), std::max(a.right(), b.right()),
            std::max(a.bottom(), b.bottom())};
}

int coordinateInside(int wanted, int length, int areaStart, int areaLength)
{
    if (length >= areaLength)
        return areaStart;
    return std::clamp(wanted, areaStart, areaStart + areaLength - length);
}

}  // namespace

QMargins windowFrameMargins(const QWidget* window, const QWidget* owner)
{
    const QWidget* ownerWindow = owner != nullptr ? owner->window() : nullptr;
    return largerOf(kLeastWindowFrame, largerOf(measuredFrame(window), measuredFrame(ownerWindow)));
}

QRect availableAreaFor(const QWidget* owner)
{
    const QScreen* screen = owner != nullptr ? owner->screen() : nullptr;
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

QSize clientRoomFor(const QWidget* window, const QWidget* owner)
{
    const QMargins frame = windowFrameMargins(window, owner);
    const QSize area = availableAreaFor(owner).size();
    return {std::max(0, area.width() - frame.left() - frame.right()),
            std::max(0, area.height() - frame.top() - frame.bottom())};
}

QPoint positionInside(QPoint wanted, QSize frameSize, const QRect& available)
{
    if (available.isEmpty())
        return wanted;
    return {coordinateInside(wanted.x(), frameSize.width(), available.x(), available.width()),
            coordinateInside(wanted.y(), frameSize.height(), available.y(), available.height())};
}

void placeAt(QWidget* window, QPoint wanted, const QWidget* owner)
{
    const QSize frameSize = window->size().grownBy(windowFrameMargins(window, owner));
    window->move(positionInside(wanted, frameSize, availableAreaFor(owner)));
}

void placeCentred(QWidget* window, const QRect& over, const QWidget* owner)
{
    // Centred as Qt knows the window's frame, so that a window with room keeps the
    // place it always had; only the check for room reckons with the whole frame.
    const QSize known = window->frameGeometry().size();
    placeAt(window, over.center() - QPoint(known.width() / 2, known.height() / 2), owner);
}

}  // namespace qk::ui
