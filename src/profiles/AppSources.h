#pragma once
// Where applications and the files they leave behind are found.
#include <filesystem>
#include <string>
#include <vector>

namespace Profiles {

struct AppSources {
    // The folders whose direct children are the installed applications, in scan order.
    std::vector<std::filesystem::path> (*folders)() = nullptr;
    // The folders searched for an application's leftovers, relative to the
    // home folder, in order.
    const std::vector<std::string>& (*leftoverDirs)() = nullptr;
};

AppSources linuxApps();
AppSources macosApps();

} // namespace Profiles
