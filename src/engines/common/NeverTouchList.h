#pragma once
// The never-touch list as the scans ask it: whether a path is one of the
// places or lies inside one, and whether a folder holds one below it (then
// the folder cannot be offered whole: its other children are offered one
// level down). Paths are compared by name, component by component, as the
// scans build them (absolute, not resolved through links).
#include <filesystem>
#include <vector>

class NeverTouchList {
public:
    NeverTouchList() = default;
    explicit NeverTouchList(std::vector<std::filesystem::path> places);

    bool empty() const { return m_places.empty(); }
    const std::vector<std::filesystem::path>& places() const { return m_places; }

    // The path is a place of the list or lies inside one.
    bool covers(const std::filesystem::path& path) const;
    // A place of the list lies strictly below this folder.
    bool holdsInside(const std::filesystem::path& folder) const;
    // covers() or holdsInside(): the path cannot be removed whole.
    bool touches(const std::filesystem::path& path) const { return covers(path) || holdsInside(path); }

private:
    std::vector<std::filesystem::path> m_places;
};

// What may be offered in place of `place` for the list: nothing when the list
// covers it (counted in `ignored`); for a real folder holding a place of the
// list, its other entries (hidden ones too, in name order), one level down
// and further where an entry holds one too, the covered ones counted; else
// the place itself. A link is offered as itself: its target is never entered.
std::vector<std::filesystem::path> untouchedParts(const std::filesystem::path& place, const NeverTouchList& never,
                                                  int& ignored);

