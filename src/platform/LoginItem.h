#pragma once
// Opening the program at login, as an XDG autostart entry:
// $XDG_CONFIG_HOME/autostart/com.halvick.Quillmoor.desktop.
#include <filesystem>
#include <optional>

#include <QString>

namespace LoginItem {

std::filesystem::path entryPath();
// Registered = the entry exists and does not say Hidden=true.
bool isRegistered();
// Writes the entry starting `executable`; the error text on failure.
std::optional<QString> registerItem(const QString& executable);
// Removes the entry (nothing there is fine); the error text on failure.
std::optional<QString> unregisterItem();
// The entry's text for an executable (quoted as the desktop-entry rules require).
QString desktopEntryFor(const QString& executable);

} // namespace LoginItem
