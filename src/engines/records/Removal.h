#pragma once
// What the removal loop is handed and what it reports.
#include <cstdint>
#include <filesystem>
#include <vector>

#include <QString>
#include <QStringList>

struct RemovalTarget {
    std::filesystem::path url;
    bool permanent = true;   // true: delete for good; false: move to the Trash
    std::int64_t size = 0;   // the caller's figure, counted on success
};

// What the clean of one of the system's groups freed, measured before and after.
struct GroupFreed {
    QString id;
    QString title;
    std::int64_t freed = 0;
    QString failure;  // why not all of it went; empty when it did
};

struct RemovalOutcome {
    std::int64_t freed = 0;          // deleted for good
    std::int64_t trashed = 0;        // moved to the Trash
    std::vector<QString> failures;   // last path component of each target not removed, in order
    QString adminReason;             // why the administrator's retry did nothing (a dismissed or refused prompt)
    std::vector<GroupFreed> systemGroups;  // the system's groups cleaned (their bytes are in `freed`)
    QStringList held;                // items left on purpose, each "name: why" (a duplicate that changed)

    // Whether everything asked for went.
    bool complete() const
    {
        for (const GroupFreed& group : systemGroups)
            if (!group.failure.isEmpty())
                return false;
        return failures.empty() && held.isEmpty();
    }
};
