#pragma once
// Startup items as Linux desktops have them: the XDG autostart entries of the
// user and of the system, and the enabled systemd services of the user and of
// the machine; and switching one off and on again without losing it.
//
// Switching off is always reversible: a user's own entry gets Hidden=true; a
// system entry gets a user entry of the same name with Hidden=true, marked as
// ours (kOverrideKey), which switching on deletes again; a service is
// disabled and stopped with systemctl (the machine's by the administrator
// helper's unit-disable, behind its password prompt).
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>

#include "engines/records/Startup.h"
#include "engines/startup/Startup.h"
#include "platform/Admin.h"
#include "platform/Shell.h"

namespace LinuxStartup {

using Runner = std::function<Shell::Result(const std::string& command)>;

// The key that marks a user entry as written by this program to switch a
// system entry off (or on).
inline constexpr const char* kOverrideKey = "X-Quillmoor-Override";

// Where the items come from and how systemctl is reached.
struct Sources {
    std::filesystem::path userFolder;                  // $XDG_CONFIG_HOME/autostart
    std::vector<std::filesystem::path> systemFolders;  // each $XDG_CONFIG_DIRS/autostart, in order
    QStringList desktops;                              // $XDG_CURRENT_DESKTOP, split at ':'
    bool systemdRunning = false;  // /run/systemd/system exists: the machine's services can be switched
    Runner user;                  // runs a command with the user's rights
    Admin::Runner admin;          // switches a machine's service with administrator rights
    // What the session or the machine needs, never switched off: patterns on
    // the name without its suffix ("*" for any run of characters).
    QStringList entriesNeeded;    // autostart entries
    QStringList servicesNeeded;   // services
};

// Every item, in this order: the autostart entries by file name (a user entry
// overrides the system entry of the same name; the program's own login item
// is listed even while it is not registered), the user's enabled services
// (only when the user's service manager answers), the machine's enabled
// services (only when systemd runs). Services this program switched off are
// listed too, as off, so that they can be switched on again.
std::vector<AgentItem> scan(const Sources& sources);

// The autostart entries alone.
std::vector<AgentItem> scanAutostart(const Sources& sources);

// Whether `systemctl --user` reaches a running service manager.
bool userManagerAnswers(const Runner& user);

// The enabled services of the user (`--user`) or of the machine, with their
// descriptions and programs, plus `switchedOff` (names) as off; those that
// match `needed` are locked.
std::vector<AgentItem> scanUnits(bool user, const Runner& runner, const QStringList& switchedOff,
                                 const QStringList& needed);

// Whether a file or unit name (suffix included) matches one of the patterns
// of what the session or the machine needs, which is never switched off.
bool neverOff(const QStringList& patterns, const QString& fileOrUnitName);

// Why a locked item cannot be switched off (localised).
QString lockReason();

// Switches the item on or off; on failure, why (the file or unit that could
// not be changed, the last line systemctl printed, or the administrator
// run's reason). A locked item is refused with lockReason().
std::optional<QString> setOn(const AgentItem& item, bool on, const Sources& sources);

// The services this program switched off, as "kind:name" (stored in the preferences).
QStringList switchedOffUnits();

// The startup items of these sources: switched off and on; the user's own
// entries also removed to the Trash.
StartupBackend backend(const Sources& sources);

} // namespace LinuxStartup
