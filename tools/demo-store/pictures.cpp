#include "pictures.h"

#include "catalog_data.h"

#include <QBuffer>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

namespace qk::demo {
namespace {

std::string encode(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 90);
    return bytes.toStdString();
}

QImage drawLogo() {
    QImage image(240, 40, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(24, 84, 160));
    painter.drawEllipse(QRectF(4, 4, 32, 32));
    painter.setBrush(Qt::white);
    painter.drawPolygon(QPolygonF({QPointF(10, 22), QPointF(32, 14), QPointF(22, 28)}));
    QFont font("Liberation Sans", 15, QFont::Bold);
    painter.setFont(font);
    painter.setPen(QColor(24, 84, 160));
    painter.drawText(QRect(42, 0, 196, 40), Qt::AlignVCenter | Qt::AlignLeft, "Tovrin Simulations");
    return image;
}

QImage drawProduct(const std::string& id, const std::string& name, int index) {
    QImage image(150, 80, QImage::Format_RGB32);
    const QColor base = QColor::fromHsv((index * 47) % 360, 150, 200);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 0, 80);
    sky.setColorAt(0, base.lighter(150));
    sky.setColorAt(1, base.darker(130));
    painter.fillRect(image.rect(), sky);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 2));
    painter.drawLine(QPointF(20 + index % 5 * 10, 50), QPointF(130, 20 + index % 4 * 8));
    painter.setFont(QFont("Liberation Sans", 8, QFont::Bold));
    painter.drawText(QRect(4, 56, 142, 22), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
                     QString::fromStdString(name));
    painter.setFont(QFont("Liberation Sans", 7));
    painter.drawText(QRect(4, 2, 142, 14), Qt::AlignRight, QString::fromStdString(id));
    return image;
}

QImage drawLegacy() {
    QImage image(150, 80, QImage::Format_RGB32);
    image.fill(QColor(120, 120, 120));
    QPainter painter(&image);
    painter.setPen(Qt::white);
    painter.setFont(QFont("Liberation Sans", 11, QFont::Bold));
    painter.drawText(image.rect(), Qt::AlignCenter, "Legacy Product");
    return image;
}

}  // namespace

Pictures Pictures::render() {
    Pictures pictures;
    const std::string vendor = "/vendors/" + std::string(kVendorId) + "/";
    pictures.byPath_[vendor + "logo_s.png"] = Picture{"image/png", encode(drawLogo(), "PNG")};
    // A generated catalog is too large to draw: its first rows get pictures.
    constexpr int kPicturedProducts = 40;
    int index = 0;
    for (const DemoProduct& product : demoCatalog()) {
        if (index == kPicturedProducts) break;
        const std::string path = vendor + product.productId + "/product_main.jpg";
        if (pictures.byPath_.count(path) == 0)
            pictures.byPath_[path] = Picture{"image/jpeg", encode(drawProduct(product.productId, product.name, index), "JPG")};
        ++index;
    }
    pictures.byPath_["/legacy.jpg"] = Picture{"image/jpeg", encode(drawLegacy(), "JPG")};
    return pictures;
}

std::optional<Picture> Pictures::find(const std::string& path) const {
    const auto it = byPath_.find(path);
    if (it == byPath_.end()) return std::nullopt;
    return it->second;
}

}  // namespace qk::demo
