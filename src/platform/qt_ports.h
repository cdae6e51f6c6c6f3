#pragma once
// Qt implementations of the desktop ports: shell "open", clipboard, folder browser.

#include "platform/ports.h"

class QWidget;

namespace qk::platform {

class QtShell final : public Shell {
public:
    // A web address (Windows-1252 text) opens in the browser; anything else is taken as
    // a local path in the file system's own encoding, as std::filesystem gives it.
    bool open(const std::string& target) override;
};

class QtClipboard final : public Clipboard {
public:
    bool setText(const std::string& text) override;
};

// Gives the chosen folder in the file system's own encoding (as std::filesystem takes it).
class QtFolderBrowser final : public FolderBrowser {
public:
    // `parent` (may be nullptr) is the window the browser is modal to.
    explicit QtFolderBrowser(QWidget* parent = nullptr) : parent_(parent) {}
    std::optional<std::string> browse(const std::string& title) override;

private:
    QWidget* parent_;
};

}  // namespace qk::platform
