#include "profiles/JunkCatalogue.h"

#include <future>

namespace Profiles {

std::vector<JunkGroup> systemGroups(const JunkCatalogue& catalogue)
{
    std::vector<JunkGroup> groups;
    if (!catalogue.systemPart)
        return groups;
    std::vector<std::future<std::vector<JunkGroup>>> parts;
    for (SystemJunk::Part part : SystemJunk::kParts)
        parts.push_back(std::async(std::launch::async, catalogue.systemPart, part));
    for (auto& part : parts)
        for (JunkGroup& group : part.get())
            groups.push_back(std::move(group));
    SystemJunk::sortGroups(groups);
    return groups;
}

} // namespace Profiles
