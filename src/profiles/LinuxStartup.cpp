// Startup items on Linux: the XDG autostart folders and systemd's services,
// and what the session or the machine needs, which is never switched off.
#include "profiles/StartupSources.h"
#include "profiles/SystemPlaces.h"

#include <QDir>
#include <QFile>

#include "engines/startup/LinuxStartup.h"
#include "platform/Admin.h"
#include "platform/Paths.h"
#include "platform/Shell.h"

namespace fs = std::filesystem;

namespace Profiles {

namespace {

// Services of the machine and of the session that are never switched off.
const QStringList kServicesNeeded = {
    "dbus*", "systemd-*", "polkit*", "udisks2", "NetworkManager*", "wpa_supplicant*", "accounts-daemon",
    "upower", "gdm*", "sddm", "lightdm", "display-manager", "getty@*", "serial-getty@*", "ssh", "sshd",
    "pipewire*", "wireplumber", "gpg-agent*", "xdg-*portal*", "gnome-keyring*",
    // services of packages the system cannot do without (Priority required or important)
    "cron", "anacron", "rsyslog", "networking", "e2scrub*", "apt-daily*", "dpkg-db-backup", "logrotate",
    "keyboard-setup", "console-setup", "kmod*", "procps", "udev", "ifupdown*", "auditd"};

// The desktop's own autostart entries.
const QStringList kEntriesNeeded = {"at-spi-dbus-bus", "gnome-*", "org.gnome.*", "org.kde.*", "polkit-*",
                                    "pulseaudio", "pipewire*"};

QStringList environmentList(const char* variable, const QString& fallback)
{
    QString value = qEnvironmentVariable(variable);
    if (value.isEmpty())
        value = fallback;
    return value.split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

} // namespace

// The XDG folders and desktop of the environment, Shell::run and Admin::run.
LinuxStartup::Sources linuxStartupPlaces()
{
    LinuxStartup::Sources s;
    s.userFolder = Paths::configHome() / "autostart";
    for (const QString& dir : environmentList("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg")))
        if (QDir::isAbsolutePath(dir))
            s.systemFolders.push_back(fs::path(QFile::encodeName(dir).toStdString()) / "autostart");
    s.desktops = environmentList("XDG_CURRENT_DESKTOP", QString());
    std::error_code ec;
    s.systemdRunning = fs::is_directory("/run/systemd/system", ec);
    s.user = [](const std::string& command) { return Shell::run(command); };
    s.admin = Admin::run;
    s.entriesNeeded = kEntriesNeeded;
    s.servicesNeeded = kServicesNeeded;
    return s;
}

StartupSources linuxStartup()
{
    return {.backend = [] { return LinuxStartup::backend(linuxStartupPlaces()); }};
}

} // namespace Profiles
