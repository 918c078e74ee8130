#pragma once
// Which copy of a duplicate set is kept and which start ticked for removal,
// and the guard that never lets the last copy of a set go. Pure functions.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "engines/dupes/Duplicates.h"

namespace Dupes {

// MostPixels is the likeness search's: the copy with the most pixels, then the
// largest file, then the oldest.
enum class KeepRule { Oldest, Newest, ShortestPath, InFolder, MostPixels };

// The copy kept: the oldest (earliest modification), the newest, the one with
// the shortest path, the first inside `preferred` (else the oldest), or the
// one with the most `pixels` (each copy's, in the set's order; then the
// largest file, then the oldest). Ties go to the path that sorts first, so the
// choice never depends on the order found.
std::size_t keptCopy(const Set& set, KeepRule rule, const std::filesystem::path& preferred = {},
                     const std::vector<std::int64_t>& pixels = {});

// Whether a folder holds ".git", each folder looked at once: what inProject
// asks of every folder above every path of a search.
class GitFolders {
public:
    bool operator()(const std::filesystem::path& folder);

private:
    std::unordered_map<std::string, bool> known_;
};

// Whether a path lies in a project's working folders: below node_modules,
// .venv, venv, site-packages, target, build or dist, or inside a Git working
// tree (some folder above it holds ".git", as `holdsGit` tells).
bool inProject(const std::filesystem::path& path,
               const std::function<bool(const std::filesystem::path& folder)>& holdsGit);

// The first ticks of a set: every copy but the kept one, except copies in a project.
std::vector<bool> firstTicks(const Set& set, std::size_t kept, const std::vector<bool>& inProjects);

// Whether copy `index` may be ticked: some other copy of the set stays unticked.
bool mayTick(const std::vector<bool>& ticked, std::size_t index);

} // namespace Dupes
