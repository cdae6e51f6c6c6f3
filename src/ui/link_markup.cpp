#include "ui/link_markup.h"

namespace qk::ui {

namespace {

// Escapes a run of plain text and turns its line breaks into <br>.
void appendEscaped(QString& out, const QString& text)
{
    const QString escaped = withPlainLineBreaks(text).toHtmlEscaped();
    out += QString(escaped).replace(QLatin1Char('\n'), QStringLiteral("<br>"));
}

bool startsOpeningTag(const QString& text, qsizetype at)
{
    if (at + 2 > text.size() || text[at] != QLatin1Char('<'))
        return false;
    if (text[at + 1].toLower() != QLatin1Char('a'))
        return false;
    // "<a>" or "<a " followed by attributes.
    return at + 2 < text.size() && (text[at + 2] == QLatin1Char('>') || text[at + 2].isSpace());
}

}  // namespace

LinkHtml linkMarkupToHtml(const QString& markup)
{
    LinkHtml result;
    qsizetype pos = 0;
    while (pos < markup.size()) {
        qsizetype open = pos;
        while (open < markup.size() && !startsOpeningTag(markup, open))
            ++open;
        appendEscaped(result.html, markup.mid(pos, open - pos));
        if (open >= markup.size())
            break;
        const qsizetype tagEnd = markup.indexOf(QLatin1Char('>'), open);
        if (tagEnd < 0) {  // an unfinished tag is shown as text
            appendEscaped(result.html, markup.mid(open));
            break;
        }
        qsizetype close = markup.indexOf(QStringLiteral("</a>"), tagEnd + 1, Qt::CaseInsensitive);
        const qsizetype closeLength = close < 0 ? 0 : 4;
        if (close < 0)
            close = markup.size();  // the platform links the rest of the text
        result.html += QStringLiteral("<a href=\"%1\">").arg(result.linkCount++);
        appendEscaped(result.html, markup.mid(tagEnd + 1, close - tagEnd - 1));
        result.html += QStringLiteral("</a>");
        pos = close + closeLength;
    }
    return result;
}

QString withPlainLineBreaks(const QString& text)
{
    QString out = text;
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

}  // namespace qk::ui
