#pragma once
// What container and snapshot tools keep out of sight of the file walks: the
// groups whose every item its tool removes by id. The low-space notice and the overview
// name the largest of them, from the last scan's figures.
#include <cstdint>
#include <optional>
#include <vector>

#include <QString>

#include "engines/records/Junk.h"

namespace SystemJunk {

bool isToolStore(const JunkGroup& group);

struct StoreTotal {
    QString title;
    std::int64_t bytes = 0;
};

// The tool store with the most known bytes; nothing when none holds any.
std::optional<StoreTotal> largestToolStore(const std::vector<JunkGroup>& groups);

} // namespace SystemJunk
