// The small facts of macOS: packages, the Library and the old Trash left out
// of the large-file walk, Apple's own applications, the privacy settings page,
// the folders the system makes for the user and expects to find.
#include "profiles/SystemTraits.h"

namespace Profiles {

SystemTraits macosTraits()
{
    return {.large = {.skip = {"Library", ".Trash"},
                      .packageExtensions = {"app", "bundle", "framework", "plugin", "photoslibrary", "photolibrary",
                                            "fcpbundle", "logicx", "band", "rtfd", "xcarchive", "pkg", "mpkg"},
                      .applicationExtension = "app"},
            .systemAppPrefix = QStringLiteral("com.apple."),
            .fullDiskAccessProbe = true,
            .fullDiskAccessSettings =
                QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles"),
            .neededFolders = {"Library", "Applications", "Movies", "Sites", ".Trash", ".ssh", ".gnupg",
                              ".local/bin"}};
}

} // namespace Profiles
