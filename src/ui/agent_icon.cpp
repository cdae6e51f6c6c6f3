#include "ui/agent_icon.h"

#include <QIcon>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace qk::ui {

// A blue rounded tile with a white shopping bag and a downward arrow: store and download.
QImage agentIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;

    QLinearGradient tile(0, 0, 0, s);
    tile.setColorAt(0, QColor(0x3a, 0x7b, 0xd5));
    tile.setColorAt(1, QColor(0x1c, 0x4a, 0x8f));
    painter.setPen(Qt::NoPen);
    painter.setBrush(tile);
    painter.drawRoundedRect(QRectF(0.5, 0.5, s - 1, s - 1), s * 0.18, s * 0.18);

    // Bag body and handle.
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(s * 0.22, s * 0.34, s * 0.56, s * 0.50), s * 0.06, s * 0.06);
    QPen handle(Qt::white, s * 0.07);
    painter.setPen(handle);
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(s * 0.35, s * 0.16, s * 0.30, s * 0.34), 0, 180 * 16);

    // Arrow inside the bag.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1c, 0x4a, 0x8f));
    QPainterPath arrow;
    arrow.moveTo(s * 0.45, s * 0.42);
    arrow.lineTo(s * 0.55, s * 0.42);
    arrow.lineTo(s * 0.55, s * 0.58);
    arrow.lineTo(s * 0.64, s * 0.58);
    arrow.lineTo(s * 0.50, s * 0.76);
    arrow.lineTo(s * 0.36, s * 0.58);
    arrow.lineTo(s * 0.45, s * 0.58);
    arrow.closeSubpath();
    painter.drawPath(arrow);
    painter.end();
    return image;
}

QIcon iconById(int iconId)
{
    if (iconId != kAgentIconId)
        return {};
    QIcon icon;
    for (const int size : {16, 32, 48})
        icon.addPixmap(QPixmap::fromImage(agentIconImage(size)));
    return icon;
}

}  // namespace qk::ui
