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
// The program the entry starts: the installed program when this one runs from
// an installation, else the program it was started from (an AppImage's file).
QString programToStart();
// Writes the entry starting `executable`; the error text on failure.
std::optional<QString> registerItem(const QString& executable);
// Removes the entry (nothing there is fine); the error text on failure.
std::optional<QString> unregisterItem();
// The entry's text for an executable: Exec quoted as the desktop-entry rules
// require, and TryExec naming the same file, so that nothing runs once it is gone.
QString desktopEntryFor(const QString& executable);
// The program a registered entry starts (its TryExec, else the first word of
// its Exec); nothing when there is no entry, it is hidden or names nothing.
std::optional<QString> registeredProgram();
// At start: a registered entry whose program no longer exists is written anew
// to start `executable`. True when it was rewritten.
bool repairItem(const QString& executable);

} // namespace LoginItem
