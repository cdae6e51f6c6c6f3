#pragma once
// Small ports to the desktop platform. The app uses Qt implementations
// (platform/qt_ports.h); tests use recording fakes.

#include <cstdint>
#include <optional>
#include <string>

namespace qk::platform {

// The shell's "open" verb: a web address, a file or a folder.
class Shell {
public:
    virtual ~Shell() = default;
    // true when the platform accepted the request.
    virtual bool open(const std::string& target) = 0;
};

// The system clipboard, plain text only. Text is Windows-1252 bytes.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    // false when the clipboard could not be opened; it is then left alone.
    virtual bool setText(const std::string& text) = 0;
};

// A millisecond clock for speed measurements (wraps like a 32-bit tick count).
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint32_t milliseconds() = 0;
};

// The user locale's decimal separator.
class LocaleInfo {
public:
    virtual ~LocaleInfo() = default;
    virtual char decimalSeparator() = 0;
};

// The platform folder browser. Returns the chosen folder's file-system path,
// or nothing when cancelled or when the choice has no file-system path.
class FolderBrowser {
public:
    virtual ~FolderBrowser() = default;
    virtual std::optional<std::string> browse(const std::string& title) = 0;
};

}  // namespace qk::platform
