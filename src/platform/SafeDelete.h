#pragma once
// Deleting for good without ever following a link: folders are descended with
// openat(O_NOFOLLOW | O_DIRECTORY) and emptied with unlinkat, so a link met on
// the way (or swapped in during the deletion) is removed as a link and what it
// points to is never touched. Iterative, so depth is unbounded.
#include <filesystem>

namespace SafeDelete {

// Deletes a file, a link, or a folder with everything inside it. True when
// nothing is left at the path afterwards (including when nothing was there).
// A part that cannot be deleted stays; the rest is deleted all the same.
bool removeAll(const std::filesystem::path& path);

} // namespace SafeDelete
