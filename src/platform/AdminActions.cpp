#include "platform/AdminActions.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace Admin {

namespace {

// Longest argument and longest single name the helper takes.
constexpr std::size_t kMaxArgument = 4096;
constexpr std::size_t kMaxName = 255;
// Most items one list verb takes.
constexpr std::size_t kMaxListed = 10000;

bool isLower(char c) { return c >= 'a' && c <= 'z'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isAlnum(char c) { return isLower(c) || isDigit(c) || (c >= 'A' && c <= 'Z'); }

bool allOf(std::string_view text, bool (*accepted)(char))
{
    return std::all_of(text.begin(), text.end(), accepted);
}

bool endsWith(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

bool startsWith(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }

std::optional<std::size_t> countOf(std::string_view text)
{
    std::size_t n = 0;
    if (text.empty() || text.size() > 6 || !allOf(text, isDigit))
        return std::nullopt;
    std::from_chars(text.data(), text.data() + text.size(), n);
    return n;
}

// An argument as it may be shown in a refusal: printable, shortened.
std::string printable(std::string_view text)
{
    std::string shown;
    for (const char c : text.substr(0, 80)) {
        const auto byte = static_cast<unsigned char>(c);
        shown += byte < 0x20 || byte == 0x7f ? '?' : c;
    }
    if (text.size() > 80)
        shown += "...";
    return shown;
}

bool isDeviceInode(std::string_view text)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return false;
    const std::string_view device = text.substr(0, colon);
    const std::string_view inode = text.substr(colon + 1);
    return !device.empty() && !inode.empty() && device.size() <= 20 && inode.size() <= 20 && allOf(device, isDigit)
        && allOf(inode, isDigit);
}

bool isAbsoluteTrashFiles(std::string_view text)
{
    if (text.size() < 2 || text.front() != '/' || text.size() > kMaxArgument)
        return false;
    return isRelativePath(text.substr(1)) && endsWith(text, "/Trash/files");
}

// What one argument must be.
using ArgumentCheck = bool (*)(std::string_view);

bool isPackageCacheTool(std::string_view text) { return text == "apt" || text == "dnf" || text == "pacman"; }
bool isCoreDumpName(std::string_view text) { return isFileName(text) && startsWith(text, "core."); }
bool isCrashReportName(std::string_view text)
{
    return isFileName(text) && endsWith(text, ".crash") && text.size() > 6;
}
bool isRotatedLogPath(std::string_view text)
{
    return isRelativePath(text) && !isAuditTrail(text) && isRotatedLogName(pathParts(text).back());
}
bool isPartnerNumber(std::string_view text) { return text == "0" || isSnapshotNumber(text); }

struct VerbShape {
    const char* verb;
    int fixed;   // arguments after the verb; -1: a count, then that many
    bool software;
    // Each argument's check in order; a list verb's one check is for every item.
    ArgumentCheck checks[3] = {};
};
constexpr VerbShape kVerbs[] = {
    {kRemovePackages, -1, true, {isPackageName}},
    {kRemoveSnap, 1, true, {isSnapName}},
    {kTrashRemove, 3, false, {isAbsoluteTrashFiles, isDeviceInode, isRelativePath}},
    {kUnitEnable, 1, false, {isUnitName}},
    {kUnitDisable, 1, false, {isUnitName}},
    {kDropCaches, 0, false},
    {kFlushDns, 0, false},
    {kVacuumJournal, 0, false},
    {kCleanPackageCache, 1, false, {isPackageCacheTool}},
    {kRemoveSnapRevision, 2, false, {isSnapName, isSnapRevision}},
    {kRemoveFlatpakRuntimes, -1, false, {isFlatpakRuntimeRef}},
    {kRemoveCoreDump, 1, false, {isCoreDumpName}},
    {kRemoveCrashReport, 1, false, {isCrashReportName}},
    {kRemoveRotatedLog, 1, false, {isRotatedLogPath}},
    {kRemoveTimeshiftSnapshot, 1, false, {isTimeshiftSnapshotName}},
    {kRemoveDockerImages, -1, false, {isContainerToolId}},
    {kRemoveDockerContainers, -1, false, {isContainerToolId}},
    {kPruneDockerBuildCache, 0, false},
    {kRemoveSnapperSnapshot, 3, false, {isSnapperConfigName, isSnapshotNumber, isPartnerNumber}},
    {kMeasureSnapshots, 1, false, {isSnapperConfigName}},
};

const VerbShape* shapeOf(std::string_view verb)
{
    for (const VerbShape& shape : kVerbs)
        if (verb == shape.verb)
            return &shape;
    return nullptr;
}

} // namespace

bool removesSoftware(std::string_view verb)
{
    const VerbShape* shape = shapeOf(verb);
    return shape && shape->software;
}

std::string classFor(const std::vector<Action>& actions)
{
    for (const Action& action : actions)
        if (removesSoftware(action.verb))
            return kClassSoftware;
    return kClassCare;
}

std::vector<std::string> encode(const std::vector<Action>& actions)
{
    std::vector<std::string> args{classFor(actions)};
    for (const Action& action : actions) {
        args.push_back(action.verb);
        const VerbShape* shape = shapeOf(action.verb);
        if (shape && shape->fixed < 0)
            args.push_back(std::to_string(action.args.size()));
        args.insert(args.end(), action.args.begin(), action.args.end());
    }
    return args;
}

Parsed decode(const std::vector<std::string>& args)
{
    Parsed parsed;
    const auto refuse = [&](std::string code, std::string_view detail) {
        parsed.actions.clear();
        parsed.refusal = Refusal{std::move(code), printable(detail)};
        return parsed;
    };
    if (args.empty() || (args[0] != kClassSoftware && args[0] != kClassCare))
        return refuse("class", args.empty() ? std::string_view() : std::string_view(args[0]));
    std::size_t at = 1;
    while (at < args.size()) {
        const VerbShape* shape = shapeOf(args[at]);
        if (!shape)
            return refuse("verb", args[at]);
        Action action{args[at++], {}};
        std::size_t count = static_cast<std::size_t>(shape->fixed);
        if (shape->fixed < 0) {
            const std::optional<std::size_t> n = at < args.size() ? countOf(args[at]) : std::nullopt;
            if (!n || *n == 0 || *n > kMaxListed)
                return refuse("count", action.verb);
            count = *n;
            ++at;
        }
        if (args.size() - at < count)
            return refuse("count", action.verb);
        action.args.assign(args.begin() + static_cast<std::ptrdiff_t>(at),
                           args.begin() + static_cast<std::ptrdiff_t>(at + count));
        at += count;
        parsed.actions.push_back(std::move(action));
    }
    if (parsed.actions.empty())
        return refuse("empty", {});
    if (args[0] != classFor(parsed.actions))
        return refuse("class", args[0]);
    return parsed;
}

std::optional<Refusal> check(const Action& action)
{
    const VerbShape* shape = shapeOf(action.verb);
    if (!shape)
        return Refusal{"verb", printable(action.verb)};
    if (shape->fixed >= 0 ? action.args.size() != std::size_t(shape->fixed)
                          : action.args.empty() || action.args.size() > kMaxListed)
        return Refusal{"count", action.verb};
    for (const std::string& arg : action.args)
        if (arg.size() > kMaxArgument || arg.find('\0') != std::string::npos)
            return Refusal{"argument", printable(arg)};

    for (std::size_t i = 0; i < action.args.size(); ++i) {
        const ArgumentCheck sound = shape->checks[shape->fixed < 0 ? 0 : i];
        if (!sound(action.args[i]))
            return Refusal{"argument", printable(action.args[i])};
    }
    // A snapshot is never its own partner (plain numbers: equal text, equal number).
    if (action.verb == kRemoveSnapperSnapshot && action.args[1] == action.args[2])
        return Refusal{"argument", printable(action.args[2])};
    return std::nullopt;
}

bool isPackageName(std::string_view text)
{
    // Debian's rule (lower-case letters, digits, + - . ; two or more, a letter
    // or digit first), with an architecture qualifier after a colon.
    const std::size_t colon = text.find(':');
    const std::string_view name = text.substr(0, colon);
    if (name.size() < 2 || name.size() > 128 || !(isLower(name[0]) || isDigit(name[0])))
        return false;
    if (!allOf(name, [](char c) { return isLower(c) || isDigit(c) || c == '+' || c == '-' || c == '.'; }))
        return false;
    if (colon == std::string_view::npos)
        return true;
    const std::string_view arch = text.substr(colon + 1);
    return !arch.empty() && arch.size() <= 32 && (isLower(arch[0]) || isDigit(arch[0]))
        && allOf(arch, [](char c) { return isLower(c) || isDigit(c) || c == '-'; });
}

bool isSnapName(std::string_view text)
{
    // Lower-case letters, digits and single hyphens inside, at least one
    // letter, at most 40; an instance key after "_".
    const std::size_t underscore = text.find('_');
    const std::string_view name = text.substr(0, underscore);
    if (name.empty() || name.size() > 40 || name.front() == '-' || name.back() == '-'
        || name.find("--") != std::string_view::npos)
        return false;
    if (!allOf(name, [](char c) { return isLower(c) || isDigit(c) || c == '-'; }) || allOf(name, isDigit))
        return false;
    if (underscore == std::string_view::npos)
        return true;
    const std::string_view key = text.substr(underscore + 1);
    return !key.empty() && key.size() <= 10 && allOf(key, [](char c) { return isLower(c) || isDigit(c); });
}

bool isSnapRevision(std::string_view text)
{
    if (startsWith(text, "x"))
        text.remove_prefix(1);
    return !text.empty() && text.size() <= 10 && allOf(text, isDigit);
}

bool isUnitName(std::string_view text)
{
    static constexpr std::string_view kSuffixes[] = {".service", ".socket", ".timer", ".path", ".target",
                                                     ".mount", ".automount", ".swap", ".slice", ".scope", ".device"};
    if (text.empty() || text.size() > kMaxName || text.front() == '-' || text.front() == '.')
        return false;
    if (!allOf(text, [](char c) { return isAlnum(c) || c == ':' || c == '_' || c == '.' || c == '\\' || c == '@' || c == '-'; }))
        return false;
    for (const std::string_view suffix : kSuffixes)
        if (endsWith(text, suffix) && text.size() > suffix.size())
            return true;
    return false;
}

bool isFlatpakRuntimeRef(std::string_view text)
{
    const std::vector<std::string_view> parts = pathParts(text);
    if (parts.size() != 4 || parts[0] != "runtime")
        return false;
    for (std::size_t i = 1; i < 4; ++i) {
        const std::string_view part = parts[i];
        if (part.empty() || part.size() > kMaxName || part.front() == '-' || part.front() == '.')
            return false;
        if (!allOf(part, [](char c) { return isAlnum(c) || c == '_' || c == '-' || c == '.'; }))
            return false;
    }
    return parts[1].find('.') != std::string_view::npos && parts[1].find("..") == std::string_view::npos;
}

bool isContainerToolId(std::string_view text)
{
    return text.size() >= 12 && text.size() <= 64 && allOf(text, [](char c) { return isDigit(c) || (c >= 'a' && c <= 'f'); });
}

bool isSnapperConfigName(std::string_view text)
{
    if (text.empty() || text.size() > 64 || text.front() == '-' || text.front() == '.')
        return false;
    return allOf(text, [](char c) { return isAlnum(c) || c == '_' || c == '.' || c == '-'; });
}

bool isSnapshotNumber(std::string_view text)
{
    return !text.empty() && text.size() <= 9 && text.front() != '0' && allOf(text, isDigit);
}

std::vector<std::string_view> pathParts(std::string_view path)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t slash = path.find('/', start);
        parts.push_back(path.substr(start, slash == std::string_view::npos ? std::string_view::npos : slash - start));
        if (slash == std::string_view::npos)
            return parts;
        start = slash + 1;
    }
}

bool isFileName(std::string_view text)
{
    return !text.empty() && text.size() <= kMaxName && text != "." && text != ".."
        && text.find('/') == std::string_view::npos && text.find('\0') == std::string_view::npos;
}

bool isRelativePath(std::string_view text)
{
    if (text.empty() || text.size() > kMaxArgument || text.front() == '/')
        return false;
    for (const std::string_view part : pathParts(text))
        if (!isFileName(part))
            return false;
    return true;
}

std::string rotatedLogBase(std::string_view name)
{
    if (!isFileName(name))
        return {};
    if (endsWith(name, ".old") && name.size() > 4)
        return std::string(name.substr(0, name.size() - 4));
    std::string_view rest = name;
    for (const std::string_view packed : {".gz", ".xz"})
        if (endsWith(rest, packed)) {
            rest.remove_suffix(packed.size());
            break;
        }
    const std::size_t dot = rest.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == rest.size())
        return {};
    const std::string_view number = rest.substr(dot + 1);
    if (number.size() > 4 || !allOf(number, isDigit))
        return {};
    return std::string(rest.substr(0, dot));
}

bool isRotatedLogName(std::string_view name) { return !rotatedLogBase(name).empty(); }

bool isTimeshiftSnapshotName(std::string_view text)
{
    // The local time the snapshot began, as Timeshift names it.
    constexpr std::string_view kForm = "0000-00-00_00-00-00";
    if (text.size() != kForm.size())
        return false;
    for (std::size_t i = 0; i < kForm.size(); ++i)
        if (kForm[i] == '0' ? !isDigit(text[i]) : text[i] != kForm[i])
            return false;
    return true;
}

bool isAuditTrail(std::string_view relativePath)
{
    const std::vector<std::string_view> parts = pathParts(relativePath);
    if (parts.front() == "audit")
        return true;
    const std::string_view name = parts.back();
    std::string base = rotatedLogBase(name);
    const std::string_view log = base.empty() ? name : std::string_view(base);
    for (const std::string_view trail : {"wtmp", "btmp", "lastlog", "faillog", "utmp"})
        if (log == trail)
            return true;
    return startsWith(name, "auth.log");
}

std::string answerLine(const Answer& answer)
{
    std::string line;
    if (answer.refused)
        line = "refused " + answer.code;
    else if (answer.done)
        line = "done " + std::to_string(answer.index);
    else
        line = "failed " + std::to_string(answer.index) + " " + answer.code;
    if (!answer.detail.empty()) {
        line += ' ';
        for (const char c : answer.detail) {
            const auto byte = static_cast<unsigned char>(c);
            line += byte < 0x20 || byte == 0x7f ? ' ' : c;
        }
    }
    return line + "\n";
}

std::vector<Answer> readAnswers(std::string_view out)
{
    std::vector<Answer> answers;
    std::size_t start = 0;
    while (start < out.size()) {
        const std::size_t end = std::min(out.find('\n', start), out.size());
        const std::string_view line = out.substr(start, end - start);
        start = end + 1;
        const auto word = [&](std::string_view& rest) {
            const std::size_t blank = rest.find(' ');
            const std::string_view first = rest.substr(0, blank);
            rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
            return first;
        };
        std::string_view rest = line;
        const std::string_view kind = word(rest);
        Answer answer;
        if (kind == "refused") {
            answer.refused = true;
        } else if (kind == "done" || kind == "failed") {
            const std::optional<std::size_t> index = countOf(word(rest));
            if (!index)
                continue;
            answer.index = *index;
            answer.done = kind == "done";
            if (answer.done) {
                answer.detail = std::string(rest);
                answers.push_back(std::move(answer));
                continue;
            }
        } else {
            continue;
        }
        answer.code = std::string(word(rest));
        answer.detail = std::string(rest);
        answers.push_back(std::move(answer));
    }
    return answers;
}

} // namespace Admin
