#pragma once
// The arithmetic of the space map's folder view: listing a folder as entries,
// merging measured sizes, the final order, the totals and the breadcrumbs.
// Plain functions over plain values.
#include <cstdint>
#include <filesystem>
#include <vector>

#include <QSet>
#include <QString>

#include "space/SizeEntry.h"

namespace Space {

// One measured child: its place in the listing it came from, its path and its size.
struct Measured {
    std::size_t index = 0;
    std::filesystem::path url;
    std::int64_t size = 0;
};
using Batch = std::vector<Measured>;

// The children of a folder as unmeasured entries, in listing order (hidden
// ones only when `hidden`), without ".DS_Store". A symbolic link is listed
// with size 0 (it holds nothing of its own) and, when it leads to a folder,
// that folder's real path as its target.
std::vector<SizeEntry> listEntries(const std::filesystem::path& folder, bool hidden);

// The entries' paths that are measured: every one but the links, which hold
// nothing of their own and whose targets no walk follows.
std::vector<std::filesystem::path> toMeasure(const std::vector<SizeEntry>& entries);

// Sets the sizes of a batch in `entries`: each goes to the entry with its
// path (looked for at its listing place first); a path no longer listed is
// skipped. Returns the rows that changed, in batch order.
std::vector<std::size_t> applyBatch(std::vector<SizeEntry>& entries, const Batch& batch);

// Largest first; equal sizes keep their order, unmeasured entries end up last.
void sortBySize(std::vector<SizeEntry>& entries);

// Where the link at `path` leads when that is a folder: the real path (every
// link resolved); empty for a link to a file, a dangling link or no link.
std::filesystem::path linkedFolder(const std::filesystem::path& path);

// The sum of the measured sizes (unmeasured and empty entries add nothing).
std::int64_t total(const std::vector<SizeEntry>& entries);
// The same over the entries whose id is in `selected`.
std::int64_t selectedTotal(const std::vector<SizeEntry>& entries, const QSet<QString>& selected);

// The folders from the outermost to `current`, at most the 5 innermost, never "/".
std::vector<std::filesystem::path> breadcrumbs(const std::filesystem::path& current);

} // namespace Space
