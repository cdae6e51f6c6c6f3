#pragma once
// Icons the agent draws itself, by resource id.

class QIcon;
class QImage;

namespace qk::ui {

inline constexpr int kAgentIconId = 115;

// The icon with `iconId`; a null icon for an id the agent does not have.
[[nodiscard]] QIcon iconById(int iconId);

// The agent's own icon drawn at `size` x `size` pixels. The window icon and the icon
// files installed for the desktop both come from this one drawing.
[[nodiscard]] QImage agentIconImage(int size);

}  // namespace qk::ui
