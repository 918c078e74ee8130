#pragma once
// What the removal loop is handed and what it reports.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

#include "engines/records/Plan.h"

struct RemovalTarget {
    std::filesystem::path url;
    bool permanent = true;   // true: delete for good; false: move to the Trash
    std::int64_t size = 0;   // the caller's figure, counted on success
    // What was there when the plan was made: anything else found at `url`
    // (a link swapped in, another inode, a file that grew) is held back.
    std::optional<Plan::Identity> identity = std::nullopt;
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
    std::vector<QString> failures;   // each target not removed, its path home-relative, in order
    QString adminReason;             // why the administrator's retry did nothing (a dismissed or refused prompt)
    std::vector<GroupFreed> systemGroups;  // the system's groups cleaned (their bytes are in `freed`)
    QStringList held;                // items left on purpose, each "path: why" (one that changed since the plan)
    std::vector<Plan::ItemResult> results;  // one per target handed to the loop, in order
    // The plan carried out with what happened to each of its items, when the
    // removal was made from a plan; the window and the command line report it.
    std::optional<Plan::Outcome> record;

    // Whether everything asked for went.
    bool complete() const
    {
        for (const GroupFreed& group : systemGroups)
            if (!group.failure.isEmpty())
                return false;
        if (record) {
            if (!record->plan.leftOut.isEmpty())
                return false;
            for (const Plan::ItemResult& result : record->results)
                if (result.result != Plan::Result::done && result.result != Plan::Result::gone)
                    return false;
        }
        return failures.empty() && held.isEmpty();
    }
};
