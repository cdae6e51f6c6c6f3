// The Qt ports that can run offscreen.
#include "platform/qt_ports.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

#include <filesystem>

namespace qk::platform {
namespace {

TEST(QtPorts, ClipboardTakesWindows1252TextAndShellRefusesNothing)
{
    QtClipboard clipboard;
    ASSERT_TRUE(clipboard.setText("Serial \xE9-1234"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("Serial \u00e9-1234"));

    QtShell shell;
    EXPECT_FALSE(shell.open(""));
}

// Answers the folder browser once it is up: accept with `folder` selected, or cancel.
void answerFolderBrowser(const QString& folder)
{
    QTimer::singleShot(50, [folder] {
        auto* browser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!browser)
            return answerFolderBrowser(folder);  // not up yet
        if (folder.isEmpty()) {
            browser->reject();
            return;
        }
        // With nothing typed, a folder browser answers the folder it shows.
        browser->setDirectory(folder);
        static_cast<QDialog*>(browser)->accept();  // public in the base class
    });
}

TEST(QtPorts, FolderBrowserGivesThePathOrNothing)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString chosen = root.filePath(QString::fromUtf8("T\u00e9l\u00e9chargements"));
    ASSERT_TRUE(QDir().mkpath(chosen));

    QtFolderBrowser browser;
    answerFolderBrowser(chosen);
    const std::optional<std::string> path = browser.browse("Select the download folder");
    ASSERT_TRUE(path.has_value());
    // The file system's bytes, so the folder can be opened by that path.
    EXPECT_TRUE(std::filesystem::is_directory(*path));
    EXPECT_EQ(*path, QFile::encodeName(chosen).toStdString());

    answerFolderBrowser(QString());
    EXPECT_FALSE(browser.browse("Select the download folder").has_value());
}

}  // namespace
}  // namespace qk::platform
