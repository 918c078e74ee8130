#pragma once
// What the removal loop is handed and what it reports.
#include <cstdint>
#include <filesystem>
#include <vector>

#include <QString>

struct RemovalTarget {
    std::filesystem::path url;
    bool permanent = true;   // true: delete for good; false: move to the Trash
    std::int64_t size = 0;   // the caller's figure, counted on success
};

struct RemovalOutcome {
    std::int64_t freed = 0;          // deleted for good
    std::int64_t trashed = 0;        // moved to the Trash
    std::vector<QString> failures;   // last path component of each target not removed, in order
    QString adminReason;             // why the administrator's retry did nothing (a dismissed or refused prompt)
};
