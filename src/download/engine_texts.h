#pragma once
// The result messages and one-field progress texts of the download engine. The
// display tells a failure by its single field; the texts themselves are the system's.

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

}  // namespace qk::download
