#pragma once
// The user's preferences: QSettings("halvick", "Quillmoor"), an INI-style file
// under the XDG config folder. Every persistent value is written when it changes.
#include <cstdint>
#include <memory>

#include <QSettings>

namespace Prefs {

// The standard domain of this program.
std::unique_ptr<QSettings> standard();
// The domain of the program's earlier name, read once by the freed-total migration.
std::unique_ptr<QSettings> earlier();

// The freed total at start-up. When the standard domain has no "totalFreed" yet,
// copies a positive "totalFreed" and any "lastClean" from the earlier domain
// (once: afterwards the standard domain has the key). `earlier` may be null
// (the earlier domain cannot be opened).
std::int64_t loadTotalFreed(QSettings& standard, QSettings* earlier);

// After a removal: adds `freed` to the stored "totalFreed" (written even when
// it adds nothing) and, when anything was deleted or trashed, stores the
// current time under "lastClean". Returns the new total. Used by the window
// and the command-line tool alike.
std::int64_t recordRemoval(QSettings& standard, std::int64_t freed, std::int64_t trashed);

// Reads an integer the way every preference is read: a stored number or a
// text that is a whole number; 0 otherwise.
std::int64_t readInt(const QSettings& settings, const QString& key);

} // namespace Prefs
