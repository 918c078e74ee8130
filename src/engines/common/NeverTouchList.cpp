#include "engines/common/NeverTouchList.h"

#include <algorithm>
#include <utility>

#include <sys/stat.h>

#include "platform/FS.h"

namespace {

// `inner` is `outer` or lies below it, component by component ("/a/bc" is not inside "/a/b").
bool isWithin(const std::filesystem::path& inner, const std::filesystem::path& outer)
{
    auto i = inner.begin();
    for (auto o = outer.begin(); o != outer.end(); ++o, ++i) {
        if (o->empty() && std::next(o) == outer.end())
            return true;  // a trailing separator
        if (i == inner.end() || *i != *o)
            return false;
    }
    return true;
}

} // namespace

NeverTouchList::NeverTouchList(std::vector<std::filesystem::path> places)
    : m_places(std::move(places))
{
}

bool NeverTouchList::covers(const std::filesystem::path& path) const
{
    return std::any_of(m_places.begin(), m_places.end(),
                       [&](const std::filesystem::path& place) { return isWithin(path, place); });
}

bool NeverTouchList::holdsInside(const std::filesystem::path& folder) const
{
    return std::any_of(m_places.begin(), m_places.end(), [&](const std::filesystem::path& place) {
        return place != folder && isWithin(place, folder);
    });
}

std::vector<std::filesystem::path> untouchedParts(const std::filesystem::path& place, const NeverTouchList& never,
                                                  int& ignored)
{
    std::vector<std::filesystem::path> parts;
    std::vector<std::filesystem::path> pending{place};
    while (!pending.empty()) {
        std::filesystem::path next = std::move(pending.back());
        pending.pop_back();
        if (never.covers(next)) {
            ++ignored;
            continue;
        }
        struct stat info;
        if (!never.holdsInside(next) || lstat(next.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            parts.push_back(std::move(next));
            continue;
        }
        std::vector<std::filesystem::path> children = FS::children(next, true);
        std::sort(children.rbegin(), children.rend());  // taken from the back: in name order
        for (std::filesystem::path& child : children)
            if (!FS::isProtected(child))
                pending.push_back(std::move(child));
    }
    return parts;
}

