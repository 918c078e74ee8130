// The junk scan: every rule of the catalogue in turn, its folders turned into
// sized removable items, largest first.
#include "engines/Sweeper.h"

#include <algorithm>
#include <cctype>
#include <system_error>
#include <thread>

#include <QByteArray>
#include <QFile>

#include "platform/FS.h"
#include "platform/Trash.h"

namespace Sweeper {

namespace {

std::string lowerAscii(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// What the list shows for an item: its own name for an entry of a folder, the
// home-relative path for a whole folder.
QString itemName(const JunkRule& rule, const std::filesystem::path& candidate)
{
    if (rule.children)
        return QFile::decodeName(QByteArray::fromStdString(candidate.filename().native()));
    return FS::pretty(candidate);
}

// Where a rule's items come from at one of its paths, in listing order.
std::vector<std::filesystem::path> candidatesAt(const JunkRule& rule, const std::filesystem::path& place)
{
    if (!rule.children)
        return {place};
    // Only the Trash shows its hidden entries: what was thrown away is junk
    // whatever its name. It is read only when it is a real folder of the user.
    if (rule.id == QLatin1String("trash"))
        return Trash::entries(place);
    return FS::children(place);
}

// The sizes of all of a rule's candidates, measured together on the pool of
// walking threads, in the order of `candidates`.
std::vector<std::int64_t> sizesOf(const std::vector<std::filesystem::path>& candidates)
{
    std::vector<std::int64_t> sizes(candidates.size(), 0);
    // Each index is written by one report only, and all are in before sizeEach returns.
    FS::sizeEach(candidates, FS::sizeWorkers(std::thread::hardware_concurrency()),
                 [&](std::size_t index, std::int64_t bytes) { sizes[index] = bytes; });
    return sizes;
}

std::vector<JunkItem> itemsOf(const JunkRule& rule)
{
    std::vector<std::filesystem::path> candidates;
    for (const std::string& text : rule.paths) {
        const std::filesystem::path place = resolveRulePath(text);
        std::error_code error;
        if (!std::filesystem::exists(place, error))
            continue;
        for (const std::filesystem::path& candidate : candidatesAt(rule, place)) {
            const std::string name = candidate.filename().native();
            if (name == ".DS_Store" || isOwnEntry(name))
                continue;
            if (rule.extensions && !hasExtension(candidate, *rule.extensions))
                continue;
            if (FS::isProtected(candidate))
                continue;
            candidates.push_back(candidate);
        }
    }
    const std::vector<std::int64_t> sizes = sizesOf(candidates);
    std::vector<JunkItem> items;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (sizes[i] < 1)
            continue;
        JunkItem item;
        item.url = candidates[i];
        item.name = itemName(rule, candidates[i]);
        item.size = sizes[i];
        item.selected = startsSelected(rule, candidates[i].filename().native());
        items.push_back(std::move(item));
    }
    // Largest first; equal sizes keep the order they were found in.
    std::stable_sort(items.begin(), items.end(),
                     [](const JunkItem& a, const JunkItem& b) { return a.size > b.size; });
    return items;
}

} // namespace

bool isOwnEntry(std::string_view name)
{
    const std::string identifier = ownIdentifier().toStdString();
    if (name.find(identifier) != std::string_view::npos)
        return true;
    return lowerAscii(std::string(name)) == "quillmoor";
}

bool hasExtension(const std::filesystem::path& entry, const std::set<std::string>& extensions)
{
    std::string extension = entry.filename().extension().native();
    if (extension.size() < 2)
        return false;
    return extensions.count(lowerAscii(extension.substr(1))) > 0;
}

bool startsSelected(const JunkRule& rule, std::string_view name)
{
    if (!rule.preselect)
        return false;
    return !name.starts_with("com.apple.");
}

std::vector<JunkGroup> scanJunk(const JunkProgress& progress)
{
    return scanJunk(rules(), progress);
}

std::vector<JunkGroup> scanJunk(const std::vector<JunkRule>& ruleList, const JunkProgress& progress)
{
    std::vector<JunkGroup> groups;
    for (const JunkRule& rule : ruleList) {
        if (progress)
            progress(rule.title, 0);
        std::vector<JunkItem> items = itemsOf(rule);
        std::int64_t found = 0;
        for (const JunkItem& item : items)
            found += item.size;
        // Reported even when nothing was found, so the screen moves on.
        if (progress)
            progress(rule.title, found);
        if (items.empty())
            continue;
        groups.push_back({rule.id, rule.title, rule.detail, rule.symbol, rule.permanent, std::move(items)});
    }
    return groups;
}

} // namespace Sweeper
