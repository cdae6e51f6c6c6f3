#include "platform/qt_ports.h"

#include "platform/text_encoding.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QUrl>

namespace qk::platform {

namespace {

QString toQt(const std::string& cp1252)
{
    return QString::fromUtf8(cp1252ToUtf8(cp1252));
}

bool looksLikeWebAddress(const QString& target)
{
    return target.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
           target.startsWith(QLatin1String("https://"), Qt::CaseInsensitive) ||
           target.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive);
}

}  // namespace

bool QtShell::open(const std::string& target)
{
    if (target.empty())
        return false;
    // Addresses are store text; local paths are the file system's own bytes.
    const QString text = toQt(target);
    const QUrl url = looksLikeWebAddress(text)
                         ? QUrl(text, QUrl::TolerantMode)
                         : QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(target)));
    if (!url.isValid())
        return false;
    return QDesktopServices::openUrl(url);
}

bool QtClipboard::setText(const std::string& text)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->setText(toQt(text), QClipboard::Clipboard);
    return true;
}

std::optional<std::string> QtFolderBrowser::browse(const std::string& title)
{
    const QString folder = QFileDialog::getExistingDirectory(parent_, toQt(title));
    if (folder.isEmpty())
        return std::nullopt;
    // The file system's own bytes, so that the path opens the folder it names.
    return QFile::encodeName(QDir::toNativeSeparators(folder)).toStdString();
}

}  // namespace qk::platform
