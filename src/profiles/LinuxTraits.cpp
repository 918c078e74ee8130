// The small facts of Linux: no folder is a package, and a sandbox that hides
// the home folder is what the access check finds (there is no settings page);
// the folders the desktop and common programs need even while empty.
#include "profiles/SystemTraits.h"

namespace Profiles {

namespace {

// Each holds what a program looks for or writes into without making it
// again, or a setting kept by the folder's mere presence or permissions.
const std::vector<std::string> kNeeded = {
    // the desktop: menu entries, login items, user services, icons, fonts, themes, scripts
    ".local/share/applications", ".config/autostart", ".config/systemd/user", ".local/share/icons",
    ".local/share/fonts", ".fonts", ".icons", ".themes", ".local/share/themes", ".local/share/gnome-shell/extensions",
    ".local/share/nautilus/scripts", ".local/share/mime", ".local/share/dbus-1", ".config/environment.d",
    ".config/dconf", ".local/share/kservices5", ".local/share/plasma", ".local/share/kwalletd",
    // programs of the user's own, found on the PATH once the folder exists at login
    ".local/bin", "bin",
    // keys and their permissions
    ".ssh", ".gnupg", ".gnupg/private-keys-v1.d", ".local/share/keyrings", ".pki",
    // places that belong to others: the Trash, caches, sandboxes and their data
    ".local/share/Trash", ".cache", ".mozilla", ".thunderbird", "snap", ".local/share/flatpak", ".var/app",
    ".local/share/containers", ".local/state/wireplumber", ".config/pulse",
};

} // namespace

SystemTraits linuxTraits()
{
    return {.large = {}, .systemAppPrefix = {}, .fullDiskAccessProbe = true, .fullDiskAccessSettings = {},
            .neededFolders = kNeeded};
}

} // namespace Profiles
