#pragma once
// A plan: what one removal the user starts will do to each item, made by the
// engine before anything is asked, shown as it is by the window's
// confirmation and the command line, and carried out exactly. Its outcome has
// the same items, each with what actually happened to it.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

#include "platform/AdminActions.h"

namespace Plan {

// What happens to an item. Administrator rights are not a fate: they are the
// item's `admin` flag (the package cache is cleaned by its tool, as administrator).
enum class Fate {
    deleted,  // deleted for good
    trashed,  // moved to the Trash, from where it can be put back
    byTool,   // removed by its owner's tool (`tool` says which)
    shared,   // a duplicate made to share the kept copy's data; every name stays
};

// What a removal was started from.
enum class Origin { window, cli, automatic };

// Who the item is, as read when the plan was made: execution acts only on
// the very same thing (a link swapped in, another inode or a file that grew
// is held back). Regular files also keep their size and modification time.
struct Identity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    unsigned mode = 0;              // the file type bits of st_mode
    std::int64_t bytes = 0;         // a regular file's length
    std::int64_t mtimeNs = 0;       // a regular file's modification time
    bool operator==(const Identity&) const = default;
};

struct Item {
    QString id;                  // the item's id in the list it came from
    QString group;               // the id of its group ("caches", "apt", "leftovers"…)
    QString groupTitle;          // the group as people read it
    std::filesystem::path path;  // empty for what a tool removes by name (a package, a runtime)
    QString label;               // how people read it: "~/Documents/C/invoice.pdf", "vim 2:9.0"
    std::int64_t size = 0;
    bool sizeKnown = true;
    Fate fate = Fate::deleted;
    QString tool;                // byTool: the command that removes it ("apt-get clean", "flatpak uninstall")
    bool admin = false;          // done with administrator rights (one password prompt for the plan)
    std::optional<Identity> identity;  // what was on the disk at `path` when the plan was made
    std::vector<Admin::Action> actions;  // the administrator helper's actions that remove it, if any

    // Whether it can be put back afterwards.
    bool restorable() const { return fate == Fate::trashed || fate == Fate::shared; }
};

struct Record {
    QString action;        // "clean", "large", "dupes", "share", "lint", "uninstall", "space", "startup", "emptyTrash"
    std::vector<Item> items;
    QStringList alongside;  // what goes with the items that no item names (the packages a removal takes along)
    QStringList leftOut;    // what was asked for that the plan leaves out, each "what: why"
    QString refusal;        // why the plan cannot be carried out at all; empty when it can

    bool empty() const { return items.empty(); }
};

// The totals of one fate.
struct FateTotal {
    std::int64_t count = 0;
    std::int64_t bytes = 0;      // of the items whose size is known
    bool someUnknown = false;    // some item's size is not known
};

// The totals of the items `which` picks.
template <typename Which>
FateTotal totalWhere(const Record& plan, Which which)
{
    FateTotal total;
    for (const Item& item : plan.items) {
        if (!which(item))
            continue;
        ++total.count;
        if (item.sizeKnown)
            total.bytes += item.size;
        else
            total.someUnknown = true;
    }
    return total;
}

inline FateTotal totalOf(const Record& plan, Fate fate)
{
    return totalWhere(plan, [fate](const Item& item) { return item.fate == fate; });
}

inline std::int64_t totalBytes(const Record& plan)
{
    std::int64_t sum = 0;
    for (const Item& item : plan.items)
        if (item.sizeKnown)
            sum += item.size;
    return sum;
}

inline bool anyAdmin(const Record& plan)
{
    for (const Item& item : plan.items)
        if (item.admin)
            return true;
    return false;
}

// What happened to one item.
enum class Result {
    notRun,  // not reached (the program was asked to quit, the prompt dismissed before it)
    done,    // it went as planned
    failed,  // it was tried and is still there
    held,    // it changed since the plan was made, or a rule kept it back: not touched
    gone,    // it was no longer there (removed by someone else): nothing to do, nothing freed
};

struct ItemResult {
    Result result = Result::notRun;
    QString reason;                  // why it failed or was held
    std::filesystem::path trashedAs;  // a Trash move: the entry inside the Trash's files/
    // A Trash move: what its .trashinfo says, the DeletionDate as written and
    // the absolute path it names (the item's real folder, which can differ
    // from `path` when a folder on the way is a link).
    QString deletionDate{};
    std::filesystem::path trashedFrom{};
};

// The plan with what happened to each of its items (the same order).
struct Outcome {
    Record plan;
    std::vector<ItemResult> results;
    Origin origin = Origin::window;

    static Outcome of(Record plan, Origin origin = Origin::window)
    {
        Outcome outcome{std::move(plan), {}, origin};
        outcome.results.resize(outcome.plan.items.size());
        return outcome;
    }
};

} // namespace Plan
