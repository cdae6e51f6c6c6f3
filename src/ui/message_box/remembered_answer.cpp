#include "ui/message_box/remembered_answer.h"

#include "platform/settings_store.h"
#include "ui/message_box.h"

namespace qk::ui {
namespace {

constexpr std::string_view kNameAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghijklmnopqrstuvwxyz98";
static_assert(kNameAlphabet.size() == 64);

constexpr std::uint32_t kCheckBoxBits = mb::kDontAskAgain | mb::kDontTellAgain | mb::kDontShowAgain;

}  // namespace

std::string rememberedValueName(std::string_view rememberKey, int rememberIdent)
{
    std::string name;
    name.reserve(rememberKey.size() + 12);
    for (std::size_t i = 0; i < rememberKey.size(); ++i) {
        // Unsigned arithmetic: the low six bits come out the same for any byte value.
        const auto c = static_cast<unsigned char>(rememberKey[i]);
        name += kNameAlphabet[(static_cast<std::uint32_t>(i) * 5u + c) & 0x3Fu];
    }
    name += std::to_string(rememberIdent);
    return name;
}

std::string rememberedAnswersKey(std::string_view company, std::string_view programFileName)
{
    std::string key;
    if (!company.empty()) {
        key += "Software\\";
        key += company;
        key += '\\';
    }
    key += programFileName;
    key += "\\MessageBox";
    return key;
}

RememberedAnswers::RememberedAnswers(SettingsStore* settings, std::string programFileName)
    : settings_(settings), programFileName_(std::move(programFileName))
{
}

std::optional<std::uint32_t> RememberedAnswers::lookup(std::string_view company,
                                                       std::string_view rememberKey,
                                                       int rememberIdent) const
{
    if (settings_ == nullptr || rememberKey.empty())
        return std::nullopt;
    const auto answer = settings_->readNumber(rememberedAnswersKey(company, programFileName_),
                                              rememberedValueName(rememberKey, rememberIdent));
    if (!answer || (*answer & kCheckBoxBits) == 0)
        return std::nullopt;
    return answer;
}

bool RememberedAnswers::store(std::string_view company, std::string_view rememberKey,
                              int rememberIdent, std::uint32_t answer)
{
    if (settings_ == nullptr || rememberKey.empty())
        return false;
    const std::string key = rememberedAnswersKey(company, programFileName_);
    if (!settings_->createKey(key))
        return false;
    return settings_->writeNumber(key, rememberedValueName(rememberKey, rememberIdent), answer);
}

}  // namespace qk::ui
