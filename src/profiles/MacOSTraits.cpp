// The small facts of macOS: packages, the Library and the old Trash left out
// of the large-file walk, Apple's own applications, the privacy settings page.
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
                QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles")};
}

} // namespace Profiles
