#include "ui/store_logo.h"

#include <QBuffer>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include "ui/resources/checkout_dialog.h"

namespace qk::ui {

namespace {

// A padlock and "Varnel Secure" on black; black is the bitmap's transparent colour.
QImage drawCheckoutLogo(double pixelRatio)
{
    namespace res = resources;
    QImage image(static_cast<int>(res::kCheckoutLogoWidth * pixelRatio + 0.5),
                 static_cast<int>(res::kCheckoutLogoHeight * pixelRatio + 0.5), QImage::Format_RGB32);
    image.fill(Qt::black);
    // No smoothing: an edge blended into the black would stay as a dark fringe once black
    // turns transparent.
    QPainter painter(&image);
    painter.scale(pixelRatio, pixelRatio);

    const QColor blue(0x1c, 0x4a, 0x8f);
    painter.setPen(QPen(blue, 3));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(7, 4, 14, 16), 0, 180 * 16);
    painter.setPen(Qt::NoPen);
    painter.setBrush(blue);
    painter.drawRoundedRect(QRectF(4, 12, 20, 17), 3, 3);
    painter.setBrush(QColor(0xf2, 0xc1, 0x4e));
    painter.drawEllipse(QRectF(11.5, 17, 5, 5));

    QFont font("Liberation Sans");
    font.setStyleStrategy(QFont::NoAntialias);
    font.setPixelSize(15);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(blue);
    painter.drawText(QRect(30, 0, 120, 20), Qt::AlignLeft | Qt::AlignVCenter, "Varnel");
    font.setPixelSize(11);
    font.setBold(false);
    painter.setFont(font);
    painter.setPen(QColor(0x3a, 0x7b, 0xd5));
    painter.drawText(QRect(30, 18, 120, 14), Qt::AlignLeft | Qt::AlignVCenter, "Secure Purchasing");
    painter.end();

    QImage transparent = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < transparent.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(transparent.scanLine(y));
        for (int x = 0; x < transparent.width(); ++x) {
            if (qRed(line[x]) == 0 && qGreen(line[x]) == 0 && qBlue(line[x]) == 0)
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    return transparent;
}

}  // namespace

std::string checkoutLogoPng(double pixelRatio)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    drawCheckoutLogo(pixelRatio >= 1.0 ? pixelRatio : 1.0).save(&buffer, "PNG");
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

double screenPixelRatio()
{
    return qGuiApp != nullptr ? qGuiApp->devicePixelRatio() : 1.0;
}

}  // namespace qk::ui
