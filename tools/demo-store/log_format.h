#pragma once
// The request log's line format, shared by the store (writing) and the test fixture
// (reading). One line per request, fields separated by single blanks:
//   <server> <method> <hex target> <hex body> [<hex header name>:<hex header value>]...
// Hex keeps every byte (GET bodies, 0x01 separators, blanks) intact and the line free
// of separators; an empty target or body is an empty field between two blanks.

#include <string>
#include <utility>
#include <vector>

namespace qk::demo {

struct LogEntry {
    std::string server;  // "https", "http", "file1", "file2"
    std::string method;
    std::string target;  // path with query
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
};

inline std::string toHex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const unsigned char c : bytes) {
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 0x0F]);
    }
    return out;
}

namespace detail {
inline int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace detail

inline bool fromHex(const std::string& hex, std::string& bytes) {
    if (hex.size() % 2 != 0) return false;
    bytes.clear();
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = detail::hexValue(hex[i]);
        const int low = detail::hexValue(hex[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes.push_back(static_cast<char>(high * 16 + low));
    }
    return true;
}

inline std::string formatLogLine(const LogEntry& entry) {
    std::string line = entry.server + ' ' + entry.method + ' ' + toHex(entry.target) + ' ' + toHex(entry.body);
    for (const auto& [name, value] : entry.headers) line += ' ' + toHex(name) + ':' + toHex(value);
    return line;
}

inline bool parseLogLine(const std::string& line, LogEntry& entry) {
    // Empty fields (an empty body) are nothing between two blanks: split positionally.
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t blank = line.find(' ', start);
        parts.push_back(line.substr(start, blank == std::string::npos ? std::string::npos : blank - start));
        if (blank == std::string::npos) break;
        start = blank + 1;
    }
    if (parts.size() < 4) return false;
    entry.server = parts[0];
    entry.method = parts[1];
    if (!fromHex(parts[2], entry.target) || !fromHex(parts[3], entry.body)) return false;
    entry.headers.clear();
    for (std::size_t i = 4; i < parts.size(); ++i) {
        const std::size_t colon = parts[i].find(':');
        if (colon == std::string::npos) return false;
        std::string name, value;
        if (!fromHex(parts[i].substr(0, colon), name) || !fromHex(parts[i].substr(colon + 1), value)) return false;
        entry.headers.emplace_back(std::move(name), std::move(value));
    }
    return true;
}

}  // namespace qk::demo
