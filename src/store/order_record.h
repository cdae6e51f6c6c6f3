#pragma once
// One order record of the purchases reply, as the detail panel reads it: "*"-separated
// fields by position, and a multi-file order's file list "name:size/name:size".

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qk {

inline constexpr std::size_t kOrderFieldCount = 14;
using OrderFields = std::array<std::string, kOrderFieldCount>;

// Field positions in an order record ("*"-separated).
namespace order {
inline constexpr int kProductId = 0;
inline constexpr int kProductName = 1;
inline constexpr int kFiles = 2;
inline constexpr int kVersion = 3;
inline constexpr int kFileSize = 4;
inline constexpr int kCertificate = 7;
inline constexpr int kSerialNumber = 8;
inline constexpr int kPrice = 11;
inline constexpr int kPostProcess = 12;
inline constexpr int kOrderNumber = 13;
inline constexpr int kFieldCount = 14;
static_assert(kFieldCount == static_cast<int>(kOrderFieldCount));
}  // namespace order

// Sets the fields the record has, in order; fields it lacks keep what they held, and
// fields past the fourteenth are not read.
void readOrderRecord(std::string_view record, OrderFields& fields);

// (name, size text) of every "/"-separated entry; the size is what follows the first
// ":", empty when there is none.
using OrderFileList = std::vector<std::pair<std::string, std::string>>;
OrderFileList readOrderFileList(std::string_view files);

}  // namespace qk
