#pragma once
// The uninstaller's engine, whatever the system: how a system's applications
// are found, described and removed (an AppBackend, made by the system's own
// file beside this one and chosen by the profile), and what every system
// shares: sizes, ordering, search.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <QString>

#include "engines/records/Apps.h"
#include "engines/common/NeverTouchList.h"
#include "engines/records/Junk.h"
#include "engines/records/Plan.h"
#include "engines/removal/Removal.h"
#include "platform/Admin.h"
#include "platform/FS.h"
#include "platform/Shell.h"

// One system's applications, bound to the places they are looked for.
struct AppBackend {
    // The installed applications, sorted by name.
    std::function<std::vector<AppInfo>()> scan;
    // The application's own item first, then its leftovers.
    std::function<std::vector<JunkItem>(const AppInfo& app, const std::vector<AppInfo>& installed)> files;
    // How the application's owner removes it, made before the confirmation.
    std::function<UninstallPlan(const AppInfo& app, const std::vector<AppInfo>& installed)> plan;
    // Runs an owner's removal command that needs no administrator rights.
    std::function<Shell::Result(const std::string& command)> tools;
    // The files and folders whose modification time changes when an
    // application comes or goes (the package database, the entry folders).
    std::vector<std::filesystem::path> watched;
};

namespace Sweeper {

// An application's file list (its own item first, then its leftovers) as the
// never-touch list lets it be offered: a leftover the list covers is left out,
// one holding a place of the list is offered as its other entries (see
// untouchedParts, each measured, named "leftover/entry", ticked as it was);
// the application's own item that is or holds a place stays, unticked, with
// the reason, so the application itself is not removed. Returns how many the
// list hid.
int honourNeverTouch(std::vector<JunkItem>& files, const NeverTouchList& never);

// When each watched place was last modified (nanoseconds; -1 for one that is
// not there): the list is read again when this differs from what it was
// before the last reading.
std::vector<std::int64_t> changeStamp(const std::vector<std::filesystem::path>& watched);

// Orders applications by name, locale-aware and case-insensitive; stable.
void sortAppsByName(std::vector<AppInfo>& apps);

// Whether the application's name or identifier contains the search text,
// ignoring case in the user's locale; an empty search matches every application.
bool appMatches(const AppInfo& app, const QString& search);

// Who installed the application, as people read it: "Pacote xterm",
// "Entrada local", "Sem dono"… `withId` adds the Flatpak or Snap id (which
// the command line accepts) to "Flatpak" and "Snap".
QString ownerText(const AppInfo& app, bool withId);

// The owner's removal of the plan as a command line, for people (the
// administrator's actions described); empty when its own item goes to the Trash.
QString ownerCommandText(const UninstallPlan& plan);

// Asks the application's running copies to quit, without waiting: the
// processes of its program, or of anything inside its bundle.
void requestQuit(const AppInfo& app);

// What each application weighs: its owner's own figure when it gives one (a
// package's installed size), else the measured size of its own item (the
// bundle, the Flatpak's folder, the Snap or AppImage file, the entry), all
// measured together on the pool of walking threads. Calls sized(index, bytes)
// once per application, the owners' figures first, the rest as soon as each
// is measured (from the walking threads, possibly two at once). Every sizing
// of the application list goes through here.
void appSizes(const std::vector<AppInfo>& apps, const std::function<void(std::size_t, std::int64_t)>& sized);

// The uninstall as a plan, for the confirmation and the command line, from
// the same inputs as `uninstall`: the application's own item (group "app":
// by its owner's tool, as administrator for a package or a Snap; else to the
// Trash, as administrator when `mayDelete` says the user may not), then each
// ticked leftover to the Trash (group "leftovers"), with the packages and
// applications that go along. A refused plan with the application's own item
// ticked carries the refusal; with it unticked, the leftovers alone, and
// why the application stays.
Plan::Record planUninstall(const AppInfo& app, const UninstallPlan& plan, const std::vector<JunkItem>& files,
                           const std::function<bool(const std::filesystem::path&)>& mayDelete = FS::mayDelete);

// Uninstalls an application, whatever its owner: `files` is its file list as
// the backend made it (its own item first, then its leftovers) with the
// user's ticks, `plan` its owner's plan. One rule for every front end:
//  - a refused plan never removes the application itself: with its own item
//    ticked nothing is touched (`refused`, the refusal in `appStays`); with
//    it unticked, the ticked leftovers alone go to the Trash and `appStays`
//    says why the application stays;
//  - otherwise its running copies are asked to quit, the owner's removal
//    runs (the plan's administrator actions through `admin`, its command
//    through the backend's tools) or its own item goes to the Trash (through
//    `admin` when the user may not remove it), then the ticked leftovers go
//    to the Trash; when the owner's removal fails, nothing else is touched.
// Blocks while an administrator prompt is open: never call it on the main thread.
UninstallOutcome uninstall(const AppInfo& app, const UninstallPlan& plan, const std::vector<JunkItem>& files,
                           const AppBackend& backend, const Admin::Runner& admin,
                           const std::function<bool(const std::filesystem::path&)>& mayDelete = FS::mayDelete);

// The same, carrying out `record` (planUninstall's, as the user confirmed
// it) exactly: what changed on the disk since it was made is held back, and
// each item's result is in the outcome's record.
UninstallOutcome uninstall(const AppInfo& app, const UninstallPlan& plan, const Plan::Record& record,
                           const AppBackend& backend, const Admin::Runner& admin,
                           Plan::Origin origin = Plan::Origin::window);

} // namespace Sweeper
