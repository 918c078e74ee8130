#pragma once
// Where this user's files live: the home folder and the XDG base folders.
// Everything is read from the environment at each call, so tests can point
// HOME and XDG_* at a temporary fixture home.
#include <filesystem>

namespace Paths {

// $HOME, else the password database entry of the current user, else "/".
std::filesystem::path home();
// $XDG_DATA_HOME when set and absolute, else ~/.local/share.
std::filesystem::path dataHome();
// $XDG_CONFIG_HOME when set and absolute, else ~/.config.
std::filesystem::path configHome();
// $XDG_STATE_HOME when set and absolute, else ~/.local/state.
std::filesystem::path stateHome();
// The diagnostic log folder: <stateHome>/Quillmoor.
std::filesystem::path logFolder();

} // namespace Paths
