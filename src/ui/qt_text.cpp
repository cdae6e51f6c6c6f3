#include "ui/qt_text.h"

#include "platform/text_encoding.h"
#include "ui/dialog_units.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace qk::ui {

QString toQt(const std::string& cp1252)
{
    return QString::fromUtf8(platform::cp1252ToUtf8(cp1252));
}

std::string fromQt(const QString& text)
{
    return platform::utf8ToCp1252(text.toUtf8().toStdString());
}

QFont dialogFont(const std::string& family, int points, int weight)
{
    QFont font(toQt(family));
    font.setStyleHint(QFont::SansSerif);
    int dpi = 96;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        dpi = static_cast<int>(screen->logicalDotsPerInchY() + 0.5);
    font.setPixelSize(std::max(1, mulDiv(points > 0 ? points : 10, dpi, 72)));
    if (weight > 0)
        font.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 1, 1000)));
    return font;
}

}  // namespace qk::ui
