#pragma once
// Tests on entry names that every scan shares: the program's own entries,
// extensions and name patterns.
#include <filesystem>
#include <set>
#include <string>
#include <string_view>

#include <QString>

namespace Sweeper {

// The program's own identifier: entries whose name contains it are never offered.
QString ownIdentifier();

// Whether an entry with this name belongs to this program (its own caches and
// saved state) and so is never offered: the name contains the own identifier,
// or is "Quillmoor" or "quillmoor-cli" in any letter case (the program's
// folders under ~/.cache and the like carry its plain names).
bool isOwnEntry(std::string_view name);

// Whether the entry's extension, in lower case and without the dot, is in the
// set. "Setup.DMG" has "dmg"; a name without a dot (or only a leading one) has none.
bool hasExtension(const std::filesystem::path& entry, const std::set<std::string>& extensions);

// Whether a name matches a pattern in which each "*" stands for any run of
// characters (the empty one included); every other character stands for itself.
bool matchesPattern(std::string_view name, std::string_view pattern);

} // namespace Sweeper
