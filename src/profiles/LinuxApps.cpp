// Applications on Linux: desktop entries in the data folders, Flatpak and
// Snap exports, with their leftovers in the user's folders.
#include "profiles/AppSources.h"
#include "profiles/SystemPlaces.h"

#include <algorithm>

#include <QFile>

#include "engines/apps/LinuxDesktopApps.h"
#include "platform/FS.h"
#include "platform/Paths.h"

namespace fs = std::filesystem;

namespace Profiles {

namespace {

fs::path pathOf(const QString& text) { return fs::path(QFile::encodeName(text).toStdString()); }

bool existsDir(const fs::path& path)
{
    std::error_code ec;
    return fs::is_directory(path, ec);
}

} // namespace

// The folders of this session: $XDG_DATA_HOME, then each of $XDG_DATA_DIRS
// (default /usr/local/share:/usr/share), then the Flatpak export folders and
// the Snap folder where they exist and are not named yet.
LinuxApps::Sources linuxAppPlaces()
{
    const fs::path home = FS::home();
    LinuxApps::Sources s;
    const fs::path dataHome = Paths::dataHome();
    s.userFolder = dataHome / "applications";
    s.folders.push_back(s.userFolder);
    QString dataDirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dataDirs.isEmpty())
        dataDirs = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString& dir : dataDirs.split(':', Qt::SkipEmptyParts))
        s.folders.push_back(pathOf(dir) / "applications");
    s.flatpakUser = dataHome / "flatpak";
    s.flatpakSystem = "/var/lib/flatpak";
    s.snapDesktop = "/var/lib/snapd/desktop/applications";
    s.snapFiles = "/var/lib/snapd/snaps";
    s.packageStatus = "/var/lib/dpkg/status";
    for (const fs::path& extra : {s.flatpakUser / "exports/share/applications",
                                  s.flatpakSystem / "exports/share/applications", s.snapDesktop}) {
        const bool named = std::any_of(s.folders.begin(), s.folders.end(), [&](const fs::path& f) {
            return f.lexically_normal() == extra.lexically_normal();
        });
        if (!named && existsDir(extra))
            s.folders.push_back(extra);
    }
    s.desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(':', Qt::SkipEmptyParts);
    s.home = home;
    s.leftoverFolders = {Paths::configHome(), dataHome, Paths::stateHome(), Paths::cacheHome()};
    s.flatpakData = home / ".var/app";
    s.snapData = home / "snap";
    s.autostart = Paths::configHome() / "autostart";
    s.programFolders = {home / ".local/bin", home / "bin"};
    return s;
}

namespace {

AppBackend backend()
{
    return LinuxApps::backend(linuxAppPlaces(), [](const std::string& command) { return Shell::run(command); });
}

} // namespace

AppSources linuxApps()
{
    return {.backend = backend};
}

} // namespace Profiles
