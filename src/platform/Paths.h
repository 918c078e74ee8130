#pragma once
// Where this user's files live: the home folder and the XDG base folders.
// Everything is read from the environment at each call, so tests can point
// HOME and XDG_* at a temporary fixture home.
#include <filesystem>
#include <string>
#include <vector>

namespace Paths {

// $HOME, else the password database entry of the current user, else "/".
std::filesystem::path home();
// $XDG_DATA_HOME when set and absolute, else ~/.local/share.
std::filesystem::path dataHome();
// $XDG_CONFIG_HOME when set and absolute, else ~/.config.
std::filesystem::path configHome();
// $XDG_STATE_HOME when set and absolute, else ~/.local/state.
std::filesystem::path stateHome();
// $XDG_CACHE_HOME when set and absolute, else ~/.cache (a relative or empty
// value is ignored).
std::filesystem::path cacheHome();

// One folder named in $XDG_CONFIG_HOME/user-dirs.dirs: its key without the
// XDG_ and _DIR ("DOWNLOAD", "DESKTOP"…) and its absolute path.
struct UserDir {
    std::string key;
    std::filesystem::path path;
};
// The folders the file names, in file order, with "$HOME/…" expanded. A file
// that is missing, not valid UTF-8, or has a line that is neither blank, a
// comment nor XDG_NAME_DIR="$HOME/…" or ="/…" gives nothing (the defaults
// then hold). A folder that is the home folder itself (a disabled entry) is left out.
std::vector<UserDir> userDirs();
// The download folder: the user-dirs.dirs entry DOWNLOAD, else ~/Downloads.
std::filesystem::path downloadFolder();
// The same read from the given text (tests).
std::vector<UserDir> parseUserDirs(const std::string& text, const std::filesystem::path& home);
// The diagnostic log folder: <stateHome>/Quillmoor.
std::filesystem::path logFolder();

} // namespace Paths
