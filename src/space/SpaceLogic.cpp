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
        SizeEntry entry{child, -1, FS::isDir(child)};
        std::error_code error;
        entry.isLink = std::filesystem::is_symlink(std::filesystem::symlink_status(child, error));
        if (entry.isLink) {
            entry.size = 0;
            entry.target = linkedFolder(child);
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::filesystem::path linkedFolder(const std::filesystem::path& path)
{
    std::error_code error;
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, error)))
        return {};
    const std::filesystem::path real = std::filesystem::canonical(path, error);
    if (error || !FS::isDir(real))
        return {};
    return real;
}

std::vector<std::filesystem::path> toMeasure(const std::vector<SizeEntry>& entries)
{
    std::vector<std::filesystem::path> paths;
    paths.reserve(entries.size());
    for (const SizeEntry& entry : entries)
        if (!entry.isLink)
            paths.push_back(entry.url);
    return paths;
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
