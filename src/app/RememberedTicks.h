#pragma once
// The user's ticks in a list, remembered by what they were given to, so
// that the list made again (a new scan) keeps them: an untick holds for
// the same place, a tick only for the very same file or folder (device and
// inode), so that nothing the user never saw is ticked for removal.
#include <filesystem>
#include <map>
#include <optional>

#include <QString>

#include "engines/records/Plan.h"
#include "engines/removal/Removal.h"

class RememberedTicks {
public:
    // What the user just did to the item `key` (its group and path) at `path`.
    void remember(const QString& key, const std::filesystem::path& path, bool selected)
    {
        ticks_[key] = {selected, selected ? Removal::identityOf(path) : std::nullopt};
    }
    // The tick to show for the item `key` found at `path`: the user's, where
    // it still holds, else `given` (the rules' first tick).
    bool tickFor(const QString& key, const std::filesystem::path& path, bool given) const
    {
        const auto found = ticks_.find(key);
        if (found == ticks_.end())
            return given;
        if (!found->second.selected)
            return false;
        return found->second.identity && found->second.identity == Removal::identityOf(path) ? true : given;
    }

private:
    struct Tick {
        bool selected = false;
        std::optional<Plan::Identity> identity;
    };
    std::map<QString, Tick> ticks_;
};
