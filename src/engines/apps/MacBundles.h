#pragma once
// Applications as macOS has them: bundles ("Name.app" folders) in the
// application folders, identified by their Contents/Info.plist, with their
// leftovers in the user's Library. Only the direct children of the folders
// are looked at, with plain text tests.
#include <filesystem>
#include <string>
#include <vector>

#include <QString>

#include "engines/apps/Apps.h"
#include "platform/FS.h"

namespace MacApps {

// Where bundles and their leftovers are found.
struct Places {
    std::vector<std::filesystem::path> folders;  // application folders, in scan order
    std::vector<std::string> leftoverDirs;       // relative to `home`, in order
    std::filesystem::path home;
    QString systemPrefix;                        // identifiers of the system's own applications, never offered
};

// The applications among the direct children of the folders: visible folders
// named "*.app" (exactly that extension) whose Contents/Info.plist gives a
// bundle identifier that is neither the system's (`systemPrefix`) nor this
// program's own; each path once; sorted by name in the user's locale ignoring
// case, equal names in folder-and-listing order.
std::vector<AppInfo> scanApps(const std::vector<std::filesystem::path>& folders, const QString& systemPrefix = {});

// A Library entry's name in lower case with the endings ".plist",
// ".savedstate" and ".binarycookies" cut, each at most once, in that order.
QString cutLeftoverName(const QString& name);

// Whether a Library entry belongs to the application: its cut name contains
// the identifier, or equals the name when the name is longer than 3 characters
// (both compared in lower case).
bool isLeftover(const QString& entryName, const QString& bundleID, const QString& appName);

// The application's leftovers in the folders `dirs` (relative to `home`),
// each ticked, largest first (equal sizes in folder-and-listing order).
std::vector<JunkItem> leftovers(const AppInfo& app, const std::vector<std::string>& dirs,
                                const std::filesystem::path& home = FS::home());

// The uninstaller's file list: the bundle first, then its leftovers.
std::vector<JunkItem> appFiles(const AppInfo& app, const std::vector<std::string>& dirs,
                               const std::filesystem::path& home = FS::home());

// The applications of these places: a bundle has no owner's command, it goes
// to the Trash with its leftovers.
AppBackend backend(const Places& places);

} // namespace MacApps
