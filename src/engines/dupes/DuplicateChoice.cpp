#include "engines/dupes/DuplicateChoice.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <tuple>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace Dupes {

std::size_t keptCopy(const Set& set, KeepRule rule, const fs::path& preferred, const std::vector<std::int64_t>& pixels)
{
    if (set.empty())
        return 0;
    const auto inPreferred = [&preferred](const Copy& copy) {
        if (preferred.empty())
            return false;
        const fs::path path(copy.file.path);
        const auto [end, at] = std::mismatch(preferred.begin(), preferred.end(), path.begin(), path.end());
        return end == preferred.end() && at != path.end();
    };
    const auto pixelsOf = [&](const Copy& copy) {
        const std::size_t at = std::size_t(&copy - set.data());
        return at < pixels.size() ? pixels[at] : 0;
    };
    // A key per rule, smaller is kept; the path breaks ties.
    const auto before = [&](const Copy& a, const Copy& b) {
        switch (rule) {
        case KeepRule::MostPixels: {
            const std::int64_t pa = -pixelsOf(a), pb = -pixelsOf(b), sa = -a.file.size, sb = -b.file.size;
            return std::tie(pa, sa, a.file.mtimeNs, a.file.path) < std::tie(pb, sb, b.file.mtimeNs, b.file.path);
        }
        case KeepRule::Newest:
            return std::tie(b.file.mtimeNs, a.file.path) < std::tie(a.file.mtimeNs, b.file.path);
        case KeepRule::ShortestPath: {
            const auto la = a.file.path.size(), lb = b.file.path.size();
            return std::tie(la, a.file.path) < std::tie(lb, b.file.path);
        }
        case KeepRule::InFolder: {
            const bool ia = !inPreferred(a), ib = !inPreferred(b);
            return std::tie(ia, a.file.mtimeNs, a.file.path) < std::tie(ib, b.file.mtimeNs, b.file.path);
        }
        case KeepRule::Oldest:
            break;
        }
        return std::tie(a.file.mtimeNs, a.file.path) < std::tie(b.file.mtimeNs, b.file.path);
    };
    return std::size_t(std::min_element(set.begin(), set.end(), before) - set.begin());
}

bool GitFolders::operator()(const fs::path& folder)
{
    const auto [at, added] = known_.try_emplace(folder.native(), false);
    if (added) {
        struct stat info;
        at->second = lstat((folder / ".git").c_str(), &info) == 0;
    }
    return at->second;
}

bool inProject(const fs::path& path, const std::function<bool(const fs::path& folder)>& holdsGit)
{
    static constexpr std::array<std::string_view, 7> kWorkFolders = {"node_modules", ".venv", "venv", "site-packages",
                                                                     "target",       "build", "dist"};
    for (fs::path folder = path.parent_path(); !folder.empty(); folder = folder.parent_path()) {
        const std::string name = folder.filename().string();
        if (std::find(kWorkFolders.begin(), kWorkFolders.end(), name) != kWorkFolders.end())
            return true;
        if (holdsGit && holdsGit(folder))
            return true;
        if (folder == folder.root_path())
            break;
    }
    return false;
}

std::vector<bool> firstTicks(const Set& set, std::size_t kept, const std::vector<bool>& inProjects)
{
    std::vector<bool> ticks(set.size(), false);
    for (std::size_t i = 0; i < set.size(); ++i)
        ticks[i] = i != kept && !(i < inProjects.size() && inProjects[i]);
    return ticks;
}

bool mayTick(const std::vector<bool>& ticked, std::size_t index)
{
    for (std::size_t i = 0; i < ticked.size(); ++i)
        if (i != index && !ticked[i])
            return true;
    return false;
}

} // namespace Dupes
