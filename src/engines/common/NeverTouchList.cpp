#include "engines/common/NeverTouchList.h"

#include <algorithm>
#include <utility>

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
