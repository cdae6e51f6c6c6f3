#pragma once
// The agent's message box: every message of the agent goes through one function with
// this signature. The app installs AgentMessageBox (ui/message_box/agent_message_box.h); tests of
// other parts install a scripted box that records every call.

#include <functional>
#include <string>

namespace qk::ui {

class DialogView;
struct MessageBoxParams;  // defined with AgentMessageBox

// Flag bits, as the platform's message box has them where they coincide.
namespace mb {
inline constexpr unsigned kOk = 0x0;
inline constexpr unsigned kOkCancel = 0x1;
inline constexpr unsigned kAbortRetryIgnore = 0x2;
inline constexpr unsigned kYesNoCancel = 0x3;
inline constexpr unsigned kYesNo = 0x4;
inline constexpr unsigned kRetryCancel = 0x5;
inline constexpr unsigned kCancelTryContinue = 0x6;
inline constexpr unsigned kIconStop = 0x10;
inline constexpr unsigned kIconQuestion = 0x20;
inline constexpr unsigned kIconExclamation = 0x30;
inline constexpr unsigned kIconInformation = 0x40;
inline constexpr unsigned kSystemModal = 0x1000;
inline constexpr unsigned kHelp = 0x4000;
inline constexpr unsigned kSetForeground = 0x10000;
inline constexpr unsigned kTopMost = 0x40000;
inline constexpr unsigned kDontAskAgain = 0x01000000;
inline constexpr unsigned kDontTellAgain = 0x02000000;
inline constexpr unsigned kDontShowAgain = 0x04000000;
inline constexpr unsigned kYesToAll = 0x08000000;
inline constexpr unsigned kNoToAll = 0x10000000;
inline constexpr unsigned kNoStringTable = 0x20000000;
inline constexpr unsigned kNoSound = 0x40000000;
inline constexpr unsigned kCountdownMark = 0x80000000;
}  // namespace mb

// Answers. A box ended by the program's quit rather than by the customer gives no
// answer, and no flow acts on it.
inline constexpr int kIdNoAnswer = 0;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdAbort = 3;
inline constexpr int kIdRetry = 4;
inline constexpr int kIdIgnore = 5;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// (parameter block or nullptr, owner or nullptr, text, caption or nullptr, flags) -> id
using MessageBoxFunction = std::function<int(const MessageBoxParams* params, DialogView* owner,
                                             const std::string& text, const char* caption,
                                             unsigned flags)>;

}  // namespace qk::ui
