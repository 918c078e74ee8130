// The junk scan: every rule of the catalogue in turn, its folders turned into
// sized removable items, largest first.
#include "engines/Sweeper.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include <QByteArray>
#include <QFile>

#include "platform/FS.h"

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
    return FS::children(place, rule.hidden);
}

std::vector<JunkItem> itemsOf(const JunkRule& rule)
{
    std::vector<JunkItem> items;
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
            const std::int64_t size = FS::size(candidate);
            if (size < 1)
                continue;
            JunkItem item;
            item.url = candidate;
            item.name = itemName(rule, candidate);
            item.size = size;
            item.selected = startsSelected(rule, name);
            items.push_back(std::move(item));
        }
    }
    // Largest first; equal sizes keep the order they were found in.
    std::stable_sort(items.begin(), items.end(),
                     [](const JunkItem& a, const JunkItem& b) { return a.size > b.size; });
    return items;
}

} // namespace

QString ownIdentifier()
{
    return QStringLiteral("com.halvick.Quillmoor");
}

std::filesystem::path resolveRulePath(const std::string& text)
{
    if (text == "~/.Trash")
        return FS::trashFolder();
    return FS::expand(text);
}

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
