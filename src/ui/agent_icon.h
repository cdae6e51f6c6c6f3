#pragma once
// Icons the agent draws itself, by resource id.

class QIcon;

namespace qk::ui {

inline constexpr int kAgentIconId = 115;

// The icon with `iconId`; a null icon for an id the agent does not have.
[[nodiscard]] QIcon iconById(int iconId);

}  // namespace qk::ui
