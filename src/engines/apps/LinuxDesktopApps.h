#pragma once
// Applications as Linux desktops have them: desktop entries found in the data
// folders, each with the owner that installed it (a Debian package, a
// Flatpak, a Snap, an AppImage file, the user, or nobody), the leftovers it
// keeps in the user's folders, and the plan that removes it. Plain functions:
// the folders, the package tools and the process list come in as parameters
// (the linux profile names the real ones), so tests run them over fixture
// folders and recorded tool outputs.
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>

#include "engines/apps/Apps.h"
#include "engines/apps/LinuxPackageTools.h"
#include "engines/records/Apps.h"
#include "engines/records/Junk.h"
#include "platform/Shell.h"

namespace LinuxApps {

namespace fs = std::filesystem;

// Runs one shell command line and returns (ok, out).
using CommandRunner = std::function<Shell::Result(const std::string& command)>;

// Where applications are found.
struct Sources {
    // The "applications" folders in precedence order: the first that has an
    // id wins.
    std::vector<fs::path> folders;
    fs::path userFolder;        // $XDG_DATA_HOME/applications: unowned entries here are "local"
    fs::path flatpakUser;       // ~/.local/share/flatpak (exports/share/applications, app/ID)
    fs::path flatpakSystem;     // /var/lib/flatpak
    fs::path snapDesktop;       // /var/lib/snapd/desktop/applications
    fs::path snapFiles;         // /var/lib/snapd/snaps (NAME_REV.snap)
    fs::path packageStatus;     // /var/lib/dpkg/status: rewritten whenever a package comes or goes
    QStringList desktops;       // $XDG_CURRENT_DESKTOP, split at ':'
    // Where an application's leftovers are looked for:
    fs::path home;                          // the user's home folder
    std::vector<fs::path> leftoverFolders;  // each child may be a leftover (~/.config, ~/.local/share…)
    fs::path flatpakData;                   // ~/.var/app: a Flatpak's own data folder ID
    fs::path snapData;                      // ~/snap: a Snap's own data folder NAME
    fs::path autostart;                     // ~/.config/autostart: entries that start the application
    std::vector<fs::path> programFolders;   // ~/.local/bin, ~/bin: where a local entry's own program may lie
};

// The desktop-file id of an entry below an "applications" folder: its path
// relative to that folder with '/' turned into '-'.
QString desktopId(const fs::path& folder, const fs::path& entry);

// The program an Exec line really starts, launchers and interpreters skipped
// (env with its assignments, sh/bash -c, python3, java -jar, flatpak run,
// snap run…). `program` is as written (a name or a path); `appId` is the
// Flatpak or Snap id named by "flatpak run"/"snap run". Both empty when the
// line names nothing.
struct ExecTarget {
    QString program;
    QString appId;
};
ExecTarget execTarget(const QStringList& argv);
// The same from an Exec line as written (field codes such as %F dropped).
ExecTarget execTarget(const QString& commandLine);

// The installed applications: every visible desktop entry of the folders with
// its owner, version, icon and keys; sorted by name (locale-aware, ignoring
// case, stable). Entries whose owner is a package that is never offered are
// given to the package of the program they run, or left out.
std::vector<AppInfo> scanApps(const Sources& sources, const CommandRunner& run);

// The image file of an entry's Icon: the file it names, else NAME.png/.xpm
// in the hicolor or Adwaita theme of the data folders (48 pixels first), else
// in their pixmaps folder (also Debian's NAME_48x48.xpm); empty when none.
fs::path iconFile(const QString& icon, const std::vector<fs::path>& dataFolders);

// The keys a leftover's name is compared with, in lower case: the desktop id
// without ".desktop" and its last dotted component (when longer than three
// characters), the package name, the executable's file name, StartupWMClass,
// the Flatpak or Snap id.
QStringList matchKeys(const QString& desktopId, const QString& package, const QString& executable,
                      const QString& wmClass, const QString& appId);

// Whether a file name matches one of the keys: equal ignoring case (a leading
// dot ignored), or containing a key that has a dot.
bool nameMatches(const QString& name, const QStringList& keys);

// The desktop's shared places, never listed as anyone's leftover.
bool isSharedPlace(const QString& name);

// Who holds a path open: the name of a process (not one of the application's
// own) that has a file open inside it or its working folder there; empty when
// none.
using InUseCheck = std::function<QString(const fs::path& path)>;
// The real check over /proc, looked at once: the user's processes except ours
// and those running `executable`.
InUseCheck inUseCheck(const fs::path& executable, const fs::path& procRoot = "/proc");

// The application's own item (its package, Flatpak, Snap, AppImage file or
// entry, with its size) followed by its leftovers in the sources' leftover
// folders. A leftover that also matches another installed application (one
// of a different owner) or is held open is listed unticked with its note; the
// shared places and protected paths are never listed. A local entry's own
// program directly in a program folder (named like the application, run by
// no other entry) is listed unticked too: a link as the link, never its target.
std::vector<JunkItem> appFiles(const AppInfo& app, const std::vector<AppInfo>& installed, const Sources& sources,
                               const InUseCheck& inUse);

// How an application is removed: by its owner (a package: the
// administrator's remove-packages with the whole set a simulation with
// apt-get names, which must take nothing the system needs; a Snap: the
// administrator's remove-snap; a Flatpak: flatpak with the user's rights),
// or its own item to the Trash (a local entry, an AppImage); refused for an
// entry nobody installed.
UninstallPlan planUninstall(const AppInfo& app, const std::vector<AppInfo>& installed, const CommandRunner& run);

// The applications of these sources, with `run` answering the package tools;
// it watches the package status file, the entry folders and the Flatpak and
// Snap export folders (also while they are not there yet).
AppBackend backend(const Sources& sources, const CommandRunner& run);

} // namespace LinuxApps
