#include "engines/junk/ToolStores.h"

#include <algorithm>

namespace SystemJunk {

bool isToolStore(const JunkGroup& group)
{
    return !group.items.empty() && std::all_of(group.items.begin(), group.items.end(),
                                               [](const JunkItem& item) { return !item.toolId.isEmpty(); });
}

std::optional<StoreTotal> largestToolStore(const std::vector<JunkGroup>& groups)
{
    std::optional<StoreTotal> largest;
    for (const JunkGroup& group : groups)
        if (isToolStore(group) && group.total() > 0 && (!largest || group.total() > largest->bytes))
            largest = StoreTotal{group.title, group.total()};
    return largest;
}

} // namespace SystemJunk
