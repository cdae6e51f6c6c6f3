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

// Sets the fields the record has, in order; fields it lacks keep what they held, and
// fields past the fourteenth are not read.
void readOrderRecord(std::string_view record, OrderFields& fields);

// (name, size text) of every "/"-separated entry; the size is what follows the first
// ":", empty when there is none.
using OrderFileList = std::vector<std::pair<std::string, std::string>>;
OrderFileList readOrderFileList(std::string_view files);

}  // namespace qk
