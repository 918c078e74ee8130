#include "admin/Perform.h"

#include <charconv>
#include <pwd.h>

#include "admin/PackageRemoval.h"
#include "admin/SnapperSnapshots.h"
#include "admin/SystemFiles.h"
#include "admin/TimeshiftRemoval.h"

namespace AdminHelper {

namespace {

// The package cache cleaners, by the name the program passes.
std::pair<const char*, std::vector<std::string>> cacheCleaner(const std::string& tool)
{
    if (tool == "dnf")
        return {"dnf", {"clean", "packages"}};
    if (tool == "pacman")
        return {"pacman", {"-Sc", "--noconfirm"}};
    return {"apt-get", {"clean"}};
}

// "--" then the items, after the options.
std::vector<std::string> withItems(std::vector<std::string> options, const std::vector<std::string>& items)
{
    options.push_back("--");
    options.insert(options.end(), items.begin(), items.end());
    return options;
}

} // namespace

Admin::Answer perform(const Context& context, const Admin::Action& action)
{
    const std::string& verb = action.verb;
    const std::vector<std::string>& args = action.args;
    if (verb == Admin::kRemovePackages)
        return removePackages(context, action);
    if (verb == Admin::kRemoveSnap)
        return runTool(context, "snap", withItems({"remove"}, args));
    if (verb == Admin::kRemoveSnapRevision)
        return runTool(context, "snap", withItems({"remove", "--revision=" + args[1]}, {args[0]}));
    if (verb == Admin::kTrashRemove)
        return removeTrashEntry(context, action);
    if (verb == Admin::kUnitEnable)
        return runTool(context, "systemctl", withItems({"enable", "--now"}, args));
    if (verb == Admin::kUnitDisable)
        return runTool(context, "systemctl", withItems({"disable", "--now"}, args));
    if (verb == Admin::kDropCaches)
        return dropCaches(context);
    if (verb == Admin::kFlushDns)
        return runTool(context, "resolvectl", {"flush-caches"});
    if (verb == Admin::kVacuumJournal)
        return runTool(context, "journalctl", {"--vacuum-time=2weeks"});
    if (verb == Admin::kCleanPackageCache) {
        const auto [tool, cleanArgs] = cacheCleaner(args[0]);
        return runTool(context, tool, cleanArgs);
    }
    if (verb == Admin::kRemoveFlatpakRuntimes)
        return runTool(context, "flatpak", withItems({"uninstall", "--system", "-y", "--noninteractive"}, args));
    if (verb == Admin::kRemoveCoreDump)
        return removeCoreDump(context, action);
    if (verb == Admin::kRemoveCrashReport)
        return removeCrashReport(context, action);
    if (verb == Admin::kRemoveRotatedLog)
        return removeRotatedLog(context, action);
    if (verb == Admin::kRemoveTimeshiftSnapshot)
        return removeTimeshiftSnapshot(context, action);
    // Never -f: docker keeps what started since the scan, and says so.
    if (verb == Admin::kRemoveDockerImages)
        return runTool(context, "docker", withItems({"image", "rm"}, args));
    if (verb == Admin::kRemoveDockerContainers)
        return runTool(context, "docker", withItems({"container", "rm"}, args));
    if (verb == Admin::kPruneDockerBuildCache)
        return runTool(context, "docker", {"builder", "prune", "-f"});  // -f: no question on the terminal
    if (verb == Admin::kRemoveSnapperSnapshot)
        return removeSnapperSnapshot(context, action);
    if (verb == Admin::kMeasureSnapshots)
        return measureSnapshots(context, action);
    return failed("verb", verb);
}

int runRequest(const Context& context, const std::vector<std::string>& args,
               const std::function<void(const std::string&)>& say)
{
    const auto refuse = [&](const Admin::Refusal& refusal) {
        Admin::Answer answer;
        answer.refused = true;
        answer.code = refusal.code;
        answer.detail = refusal.detail;
        say(Admin::answerLine(answer));
        return Admin::kExitRefused;
    };
    const Admin::Parsed parsed = Admin::decode(args);
    if (parsed.refusal)
        return refuse(*parsed.refusal);
    for (const Admin::Action& action : parsed.actions)
        if (const std::optional<Admin::Refusal> refusal = Admin::check(action))
            return refuse(*refusal);

    int status = Admin::kExitDone;
    for (std::size_t i = 0; i < parsed.actions.size(); ++i) {
        Admin::Answer answer = perform(context, parsed.actions[i]);
        answer.index = i;
        if (!answer.done)
            status = Admin::kExitFailed;
        say(Admin::answerLine(answer));
    }
    return status;
}

std::optional<uid_t> actingUser(const char* pkexecUid, uid_t realUser)
{
    if (!pkexecUid)
        return realUser;
    const std::string_view text(pkexecUid);
    unsigned long uid = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), uid);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || uid > 0xfffffffeUL)
        return std::nullopt;
    if (!getpwuid(uid_t(uid)))
        return std::nullopt;
    return uid_t(uid);
}

} // namespace AdminHelper
