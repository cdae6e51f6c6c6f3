#pragma once
// The result messages and one-field progress texts of the download engine. The
// display tells a failure by its single field; the texts themselves are the system's.

#include <cerrno>
#include <string_view>

namespace qk::download {

inline constexpr std::string_view kDataDownloaded = "Data has been downloaded";
inline constexpr std::string_view kCannotOpenFile = "Error: Cannot open file.";
inline constexpr std::string_view kCouldNotOpenLocalFile = "Error: Could not open local file";
inline constexpr std::string_view kCouldNotSetup = "Error: Could not setup Internet connection";
inline constexpr std::string_view kCouldNotConnectHostName = " Error: Could not connect to host name";
inline constexpr std::string_view kCouldNotConnectHostUrl = "Error: Could not connect to host URL";
inline constexpr std::string_view kInvalidContentLength =
    "Error: Invalid content length received from host or there is no data to download";
inline constexpr std::string_view kNoDataReceived =
    "Error: No data has been received due to a connection error or an expired or invalid link";
inline constexpr std::string_view kUnspecifiedError = "Error: There was an unspecified error";

// Causes that follow the error text when the failure lies on this side.
inline constexpr std::string_view kCauseDiskFull = "The disk is full.";
inline constexpr std::string_view kCauseReadOnly = "The disk is read-only.";
inline constexpr std::string_view kCauseNotWritten = "The file could not be written.";
inline constexpr std::string_view kCauseRecordNotWritten = "The record of the file could not be written.";

// The cause of a write that failed with this errno.
constexpr std::string_view writeFailureCause(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return kCauseDiskFull;
    case EROFS:
        return kCauseReadOnly;
    default:
        return kCauseNotWritten;
    }
}

}  // namespace qk::download
