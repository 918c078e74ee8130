#pragma once
// Small facts about a system that the walks and the window need: which home
// folders the large-file walk leaves out, which folders are shown as one
// item, the prefix of the system's own applications, and the Full Disk
// Access check with its settings page.
#include <string>
#include <vector>

#include <QString>

#include "engines/records/Large.h"

namespace Profiles {

struct SystemTraits {
    // What the large-file walk leaves out and shows whole, besides its own rules.
    LargeWalkRules large;
    // Identifiers of the system's own applications, never offered ("com.apple."); empty: none.
    QString systemAppPrefix;
    // Whether the window checks that it may read the protected places and
    // shows the banner when it may not.
    bool fullDiskAccessProbe = true;
    // The address of the settings page that grants that access; empty: none.
    QString fullDiskAccessSettings;
    // Folders, relative to the home folder, that must stay even while empty
    // (a program expects them, or removing them loses a setting): the search
    // for empty folders neither lists nor enters them.
    std::vector<std::string> neededFolders = {};
};

// The traits' needed folders as absolute paths below `home`; one written
// under ".local/share", ".config" or ".cache" also where XDG_DATA_HOME,
// XDG_CONFIG_HOME or XDG_CACHE_HOME puts that folder.
std::vector<std::filesystem::path> neededFolders(const SystemTraits& traits, const std::filesystem::path& home);

SystemTraits linuxTraits();
SystemTraits macosTraits();

} // namespace Profiles
