#pragma once
// The files cleaning on a schedule keeps in the program's state folder
// ($XDG_STATE_HOME/Quillmoor): the time of the last automatic run, and the
// lock every clean holds while it runs, so two never run at once.
#include <filesystem>
#include <optional>

#include <QDateTime>

namespace AutoCleanFiles {

// When the last automatic run started; nothing when it never ran or the
// stamp cannot be read.
std::optional<QDateTime> lastRun();
// Writes the stamp (whole or not at all); false when it could not be written.
bool stamp(const QDateTime& when);
// The lock file of every clean of this user (made with its folder when missing).
std::filesystem::path cleanLock();

} // namespace AutoCleanFiles
