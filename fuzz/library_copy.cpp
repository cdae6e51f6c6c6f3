// The envelope of the kept library copy, as a damaged or foreign file may hand it to the
// agent: any bytes give a verdict without a crash, and a usable envelope is exactly the
// bytes its fields encode to (nothing read past its end, nothing ignored).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "check.h"
#include "max_len.h"
#include "store/library_copy.h"

namespace {

using qk::fuzz::check;

}  // namespace

// A header, four fields and a checksum: longer inputs only make the replies longer.
QK_FUZZ_MAX_LEN(4096)

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace qk;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    LibraryCopy copy;
    const CopyVerdict verdict = decodeLibraryCopy(bytes, copy);
    if (verdict == CopyVerdict::Usable) {
        check(encodeLibraryCopy(copy) == bytes);
    } else {
        check(copy.email.empty() && copy.catalogReply.empty() && copy.purchasesReply.empty());
    }

    // Fields taken from the input make an envelope that reads back as written.
    const std::size_t quarter = size / 4;
    const LibraryCopy made{std::string(bytes.substr(0, quarter)), static_cast<std::int64_t>(size) - 7,
                           std::string(bytes.substr(quarter, quarter)),
                           std::string(bytes.substr(2 * quarter))};
    LibraryCopy again;
    check(decodeLibraryCopy(encodeLibraryCopy(made), again) == CopyVerdict::Usable);
    check(again.email == made.email && again.savedAt == made.savedAt &&
          again.catalogReply == made.catalogReply && again.purchasesReply == made.purchasesReply);
    return 0;
}
