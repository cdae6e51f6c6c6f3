#pragma once
// Link controls take text with <a>…</a> parts, like "Order Number: 7\r\nCertificate: <a>X</a>".
// Qt labels take HTML: each link becomes an anchor whose target is its 0-based index,
// everything else is escaped, and line breaks become <br>.

#include <QString>

namespace qk::ui {

struct LinkHtml {
    QString html;
    int linkCount = 0;
};

[[nodiscard]] LinkHtml linkMarkupToHtml(const QString& markup);

// "\r\n" (and a lone "\n") as the toolkit's line break, for plain-text controls.
[[nodiscard]] QString withPlainLineBreaks(const QString& text);

}  // namespace qk::ui
