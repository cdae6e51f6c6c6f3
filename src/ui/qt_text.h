#pragma once
// Text and fonts at the boundary between the agent's Windows-1252 bytes and Qt.

#include <QFont>
#include <QString>

#include <string>

namespace qk::ui {

QString toQt(const std::string& cp1252);
std::string fromQt(const QString& text);

// Fonts are made the platform's way: a whole-pixel height of points x dpi / 72, so that
// the metrics the layout rests on match the ones the windows were designed with.
QFont dialogFont(const std::string& family, int points, int weight);

}  // namespace qk::ui
