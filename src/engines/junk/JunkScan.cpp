// The junk scan: every rule of the catalogue in turn, its folders turned into
// sized removable items, largest first.
#include "engines/junk/JunkScan.h"

#include <algorithm>
#include <cstdlib>
#include <future>
#include <mutex>
#include <system_error>
#include <thread>

#include <sys/stat.h>

#include <QByteArray>
#include <QFile>

#include "engines/common/Names.h"
#include "engines/common/NeverTouchList.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "platform/Trash.h"
#include "platform/Paths.h"
#include "platform/Processes.h"

namespace fs = std::filesystem;

namespace Sweeper {

namespace {

QString nameText(const std::string& name)
{
    return QFile::decodeName(QByteArray::fromStdString(name));
}

bool isLink(const fs::path& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

// A folder with its links resolved; the path unchanged when it cannot be.
fs::path resolved(const fs::path& path)
{
    char* real = realpath(path.c_str(), nullptr);
    if (!real)
        return path;
    fs::path result(real);
    std::free(real);
    return result;
}

// One thing the rule may offer, before it is sized.
struct Candidate {
    fs::path path;
    QString name;      // what the list shows
    bool listed;       // found by listing a folder (so the name filters apply)
};

// Where the rule's path texts point in this scan.
struct ScanPlaces {
    fs::path cache;  // the cache folder, its own link resolved once
};

ScanPlaces scanPlaces()
{
    return {resolved(Paths::cacheHome())};
}

fs::path resolveIn(const std::string& text, const ScanPlaces& places)
{
    if (text == "~/.Trash")
        return FS::trashFolder();
    if (text == "$CACHE")
        return places.cache;
    if (text.rfind("$CACHE/", 0) == 0)
        return places.cache / text.substr(7);
    return FS::expand(text);
}

// The folders that match a path with one "*" component (the component may
// hold more text around the star, as in "*.log"), each with the matched name.
std::vector<std::pair<fs::path, std::string>> starMatches(const fs::path& pattern, bool hidden)
{
    std::vector<std::pair<fs::path, std::string>> found;
    fs::path before;
    fs::path after;
    std::string star;
    for (const fs::path& part : pattern) {
        if (star.empty() && part.native().find('*') != std::string::npos)
            star = part.native();
        else
            (star.empty() ? before : after) /= part;
    }
    for (const fs::path& child : FS::children(before, hidden)) {
        const std::string name = child.filename().native();
        if (!matchesPattern(name, star))
            continue;
        const fs::path match = after.empty() ? child : child / after;
        std::error_code error;
        if (!after.empty() && !fs::exists(fs::symlink_status(match, error)))
            continue;
        found.emplace_back(match, name);
    }
    return found;
}

// Everything the rule's places hold, in place-then-listing order: each entry
// of a folder (named after itself), each match of a "*" path (named after the
// matched component), or a whole folder (named by its home-relative path).
std::vector<Candidate> candidatesOf(const JunkRule& rule, const ScanPlaces& places)
{
    std::vector<fs::path> folders;
    std::vector<Candidate> candidates;
    for (const std::string& text : rule.paths) {
        const fs::path place = resolveIn(text, places);
        if (text.find('*') != std::string::npos) {
            for (auto& [match, name] : starMatches(place, rule.hidden))
                candidates.push_back({match, nameText(name), true});
        } else {
            folders.push_back(place);
        }
    }
    if (rule.places)
        for (const fs::path& place : rule.places())
            folders.push_back(place);
    for (const fs::path& place : folders) {
        std::error_code error;
        if (!fs::exists(fs::symlink_status(place, error)))
            continue;
        if (!rule.children) {
            candidates.push_back({place, FS::pretty(place), false});
            continue;
        }
        // A trash is read only when it is a real folder of the user.
        const std::vector<fs::path> children = rule.trash ? Trash::entries(place) : FS::children(place, rule.hidden);
        for (const fs::path& child : children)
            candidates.push_back({child, nameText(child.filename().native()), true});
    }
    return candidates;
}

bool excluded(const fs::path& path, const std::vector<fs::path>& exclude)
{
    const fs::path clean = path.lexically_normal();
    return std::any_of(exclude.begin(), exclude.end(), [&](const fs::path& e) { return e == clean; });
}

bool offered(const JunkRule& rule, const Candidate& candidate, const std::vector<fs::path>& exclude)
{
    const std::string name = candidate.path.filename().native();
    if (name == ".DS_Store" || isOwnEntry(name))
        return false;
    if (excluded(candidate.path, exclude))
        return false;
    if (candidate.listed) {
        if (rule.extensions && !hasExtension(candidate.path, *rule.extensions))
            return false;
        if (!rule.namePatterns.empty()
            && std::none_of(rule.namePatterns.begin(), rule.namePatterns.end(),
                            [&](const std::string& pattern) { return matchesPattern(name, pattern); }))
            return false;
    }
    return !FS::isProtected(candidate.path);
}

// The sizes of the candidates, in their order: the one place where the scan measures.
// The path as running processes see it: the folder holding the item resolved,
// the item's own name kept (a link is held through its target, never itself).
std::string heldPath(const fs::path& item)
{
    return (resolved(item.parent_path()) / item.filename()).native();
}

// Adds what the never-touch list lets a candidate offer (see untouchedParts):
// a part below the candidate is named after it ("folder/entry").
void addUntouched(Candidate candidate, const NeverTouchList& never, std::vector<Candidate>& offered, int& ignored)
{
    for (fs::path& part : untouchedParts(candidate.path, never, ignored)) {
        if (part == candidate.path) {
            offered.push_back(std::move(candidate));
            return;
        }
        const QString below = nameText(part.lexically_relative(candidate.path).native());
        offered.push_back({std::move(part), candidate.name + '/' + below, false});
    }
}

// What the rule may offer in this scan, before it is sized.
std::vector<Candidate> offeredCandidates(const JunkRule& rule, const ScanPlaces& places, const NeverTouchList& never,
                                         int& ignored)
{
    std::vector<fs::path> exclude;
    for (const std::string& text : rule.exclude)
        exclude.push_back(resolveIn(text, places).lexically_normal());

    std::vector<Candidate> candidates;
    for (Candidate& candidate : candidatesOf(rule, places))
        if (offered(rule, candidate, exclude))
            addUntouched(std::move(candidate), never, candidates, ignored);
    return candidates;
}

// The rule's items from its candidates and their sizes (in the same order).
std::vector<JunkItem> itemsOf(const JunkRule& rule, const std::vector<Candidate>& candidates,
                              const std::int64_t* sizes, const std::vector<Processes::Holder>& held)
{
    std::vector<JunkItem> items;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const Candidate& candidate = candidates[i];
        // Nothing listed weighs nothing: an empty folder, an empty file, a
        // link that takes no blocks of its own. A link with blocks of its own
        // is listed as itself (removing it removes only the link).
        if (sizes[i] < 1)
            continue;
        const bool link = isLink(candidate.path);
        JunkItem item;
        item.url = candidate.path;
        item.name = candidate.name;
        item.size = sizes[i];
        item.selected = startsSelected(rule, candidate.path.filename().native());
        if (!link) {
            if (const Processes::Holder* holder = Processes::holderInside(held, heldPath(candidate.path))) {
                item.selected = false;
                item.inUse = true;
                item.note = LF("Em uso por %@", QString::fromStdString(holder->process));
            }
        }
        items.push_back(std::move(item));
    }
    // Largest first; equal sizes keep the order they were found in.
    std::stable_sort(items.begin(), items.end(),
                     [](const JunkItem& a, const JunkItem& b) { return a.size > b.size; });
    return items;
}

} // namespace

fs::path resolveRulePath(const std::string& text)
{
    return resolveIn(text, scanPlaces());
}

bool startsSelected(const JunkRule& rule, std::string_view name)
{
    if (!rule.preselect)
        return false;
    return rule.systemPrefix.empty() || !name.starts_with(rule.systemPrefix);
}

JunkFound scanJunk(const std::vector<JunkRule>& ruleList, const NeverTouchList& never, const JunkProgress& progress,
                   const fs::path& procRoot)
{
    JunkFound found;
    const ScanPlaces places = scanPlaces();
    // What running programs hold, read once for the whole scan on a thread of
    // its own while the folders are measured (on the calling thread when no
    // thread can be started).
    std::future<std::vector<Processes::Holder>> holders;
    try {
        holders = std::async(std::launch::async, [&procRoot] { return Processes::heldPlaces(procRoot); });
    } catch (const std::system_error&) {
        holders = std::async(std::launch::deferred, [&procRoot] { return Processes::heldPlaces(procRoot); });
    }

    // Every rule's candidates, measured together on the pool of walking
    // threads, so no thread waits for the last big folder of one rule before
    // the next rule starts.
    const std::size_t ruleCount = ruleList.size();
    std::vector<std::vector<Candidate>> candidates;
    std::vector<fs::path> paths;
    std::vector<std::size_t> ruleOf;        // the rule of each path
    std::vector<std::size_t> firstOf;       // each rule's first index in `paths`
    std::vector<std::size_t> left(ruleCount, 0);
    for (std::size_t r = 0; r < ruleCount; ++r) {
        candidates.push_back(offeredCandidates(ruleList[r], places, never, found.ignored));
        firstOf.push_back(paths.size());
        for (const Candidate& candidate : candidates.back()) {
            paths.push_back(candidate.path);
            ruleOf.push_back(r);
        }
        left[r] = candidates.back().size();
    }

    // Progress in catalogue order: each rule's title when it is being worked
    // on, then its found bytes once all its candidates are summed (also when
    // it found nothing, so the screen moves on). Reports come from the walking
    // threads, one at a time.
    std::vector<std::int64_t> sizes(paths.size(), 0);
    std::vector<std::int64_t> bytesFound(ruleCount, 0);
    std::mutex reporting;
    std::size_t reported = 0;
    const auto reportFinishedRules = [&] {
        while (reported < ruleCount && left[reported] == 0) {
            if (progress)
                progress(ruleList[reported].title, bytesFound[reported]);
            if (++reported < ruleCount && progress)
                progress(ruleList[reported].title, 0);
        }
    };
    if (ruleCount > 0 && progress)
        progress(ruleList.front().title, 0);
    reportFinishedRules();
    FS::sizeEach(paths, FS::sizeWorkers(std::thread::hardware_concurrency()),
                 [&](std::size_t index, std::int64_t bytes) {
                     const std::lock_guard<std::mutex> hold(reporting);
                     sizes[index] = bytes;
                     const std::size_t r = ruleOf[index];
                     bytesFound[r] += std::max<std::int64_t>(bytes, 0);
                     --left[r];
                     reportFinishedRules();
                 });

    const std::vector<Processes::Holder> held = holders.get();
    for (std::size_t r = 0; r < ruleCount; ++r) {
        const JunkRule& rule = ruleList[r];
        std::vector<JunkItem> items = itemsOf(rule, candidates[r], sizes.data() + firstOf[r], held);
        if (items.empty())
            continue;
        found.groups.push_back({rule.id, rule.title, rule.detail, rule.symbol, rule.permanent, std::move(items)});
    }
    return found;
}

JunkFound scanAllJunk(const std::vector<JunkRule>& rules, const NeverTouchList& never,
                      const SystemPartReader& systemPart, const JunkScanReports& reports)
{
    std::vector<std::future<JunkFound>> parts;
    if (systemPart)
        for (SystemJunk::Part part : SystemJunk::kParts)
            parts.push_back(std::async(std::launch::async, [&systemPart, &reports, &never, part] {
                JunkFound found = systemPart(part, never);
                if (reports.partRead)
                    reports.partRead(found);
                return found;
            }));
    JunkFound found = scanJunk(rules, never, reports.progress);
    if (reports.homeRead)
        reports.homeRead(found);
    std::vector<JunkGroup> system;
    for (auto& part : parts) {
        JunkFound partFound = part.get();
        found.ignored += partFound.ignored;
        for (JunkGroup& group : partFound.groups)
            system.push_back(std::move(group));
    }
    SystemJunk::sortGroups(system);
    for (JunkGroup& group : system)
        found.groups.push_back(std::move(group));
    return found;
}

std::vector<JunkGroup> chosenGroups(const std::vector<JunkGroup>& groups, const QStringList& groupIds,
                                    const QStringList& itemIds)
{
    const bool named = !groupIds.isEmpty() || !itemIds.isEmpty();
    // An id is named whole, or by its first twelve characters or more, as the tools shorten them.
    const auto namedItem = [&itemIds](const JunkItem& item) {
        return !item.toolId.isEmpty() && std::any_of(itemIds.begin(), itemIds.end(), [&](const QString& id) {
                   return id == item.toolId || (id.size() >= 12 && item.toolId.startsWith(id));
               });
    };
    std::vector<JunkGroup> chosen;
    for (const JunkGroup& group : groups) {
        // A group whose items hold data is never taken whole.
        const bool wholeGroup = groupIds.contains(group.id) && !group.oneByOne;
        if (group.held)
            continue;
        JunkGroup kept = group;
        std::erase_if(kept.items, [&](const JunkItem& item) {
            if (item.listedOnly)
                return true;
            return named ? !wholeGroup && !namedItem(item) : !item.selected;
        });
        if (!kept.items.empty())
            chosen.push_back(std::move(kept));
    }
    return chosen;
}

} // namespace Sweeper
