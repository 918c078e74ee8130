#include "admin/TimeshiftRemoval.h"

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>

#include <sys/stat.h>

#include <QDateTime>

#include "engines/junk/TimeshiftStore.h"

namespace AdminHelper {

namespace {

// Whether anything at all is at `path` (a link counts, never followed).
bool present(const std::filesystem::path& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0 || errno != ENOENT;
}

} // namespace

Admin::Answer removeTimeshiftSnapshot(const Context& context, const Admin::Action& action)
{
    const std::string& name = action.args[0];

    // Where Timeshift keeps its snapshots now, and what they are.
    const std::optional<Snapshots::TimeshiftPlace> place =
        Snapshots::findTimeshift(context.system("/"), context.system("/proc"));
    if (!place)
        return failed("no-timeshift", {});
    const std::vector<Snapshots::TimeshiftSnapshot> snapshots = Snapshots::listTimeshift(place->snapshots);
    const std::vector<Snapshots::Verdict> verdicts = Snapshots::judgeTimeshift(snapshots, QDateTime::currentDateTime());
    std::optional<std::size_t> found;
    for (std::size_t i = 0; i < snapshots.size(); ++i)
        if (snapshots[i].name.toStdString() == name)
            found = i;
    if (!found)
        return failed("snapshot-gone", name);
    if (!verdicts[*found].offered)
        return failed("snapshot-kept", name + ' ' + verdicts[*found].why.toStdString());

    Admin::Answer answer;
    {
        const CLocale plainWords;
        answer = runTool(context, "timeshift", {"--delete", "--snapshot", name, "--scripted"});
    }
    // timeshift has been seen to say it deleted a snapshot and leave its folder.
    if (answer.done && present(snapshots[*found].folder))
        return failed("kept", name);
    return answer;
}

} // namespace AdminHelper
