#include "space/SpaceLogic.h"

#include <algorithm>

#include "platform/FS.h"

namespace Space {

std::vector<SizeEntry> listEntries(const std::filesystem::path& folder, bool hidden)
{
    std::vector<SizeEntry> entries;
    for (const std::filesystem::path& child : FS::children(folder, hidden)) {
        if (child.filename() == ".DS_Store")
            continue;
        entries.push_back(SizeEntry{child, -1, FS::isDir(child)});
    }
    return entries;
}

std::vector<std::size_t> applyBatch(std::vector<SizeEntry>& entries, const Batch& batch)
{
    std::vector<std::size_t> changed;
    for (const Measured& result : batch) {
        std::size_t row = result.index;
        if (row >= entries.size() || entries[row].url != result.url) {
            const auto it = std::find_if(entries.begin(), entries.end(),
                                         [&](const SizeEntry& entry) { return entry.url == result.url; });
            if (it == entries.end())
                continue;  // the entry is gone
            row = std::size_t(it - entries.begin());
        }
        entries[row].size = result.size;
        changed.push_back(row);
    }
    return changed;
}

void sortBySize(std::vector<SizeEntry>& entries)
{
    std::stable_sort(entries.begin(), entries.end(),
                     [](const SizeEntry& a, const SizeEntry& b) { return a.size > b.size; });
}

std::int64_t total(const std::vector<SizeEntry>& entries)
{
    std::int64_t sum = 0;
    for (const SizeEntry& entry : entries)
        sum += std::max<std::int64_t>(entry.size, 0);
    return sum;
}

std::int64_t selectedTotal(const std::vector<SizeEntry>& entries, const QSet<QString>& selected)
{
    if (selected.isEmpty())
        return 0;
    std::int64_t sum = 0;
    for (const SizeEntry& entry : entries)
        if (selected.contains(entry.id()))
            sum += std::max<std::int64_t>(entry.size, 0);
    return sum;
}

std::vector<std::filesystem::path> breadcrumbs(const std::filesystem::path& current)
{
    std::vector<std::filesystem::path> crumbs;
    std::filesystem::path folder = current;
    while (!folder.empty() && folder != folder.root_path() && crumbs.size() < 5) {
        crumbs.insert(crumbs.begin(), folder);
        std::filesystem::path parent = folder.parent_path();
        if (parent == folder)
            break;
        folder = std::move(parent);
    }
    return crumbs;
}

} // namespace Space
