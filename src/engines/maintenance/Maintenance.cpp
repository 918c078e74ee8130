#include "engines/maintenance/Maintenance.h"

#include <algorithm>
#include <map>

#include "i18n/L.h"
#include "i18n/ShownText.h"
#include "platform/AdminDescription.h"
#include "platform/Fmt.h"
#include "platform/Quitting.h"

namespace Maintenance {

QStringList defaultSelection(const std::vector<MaintTask>& tasks, const QStringList& wanted)
{
    QStringList ids;
    for (const MaintTask& task : tasks)
        if (task.available && wanted.contains(task.id))
            ids << task.id;
    return ids;
}

QString commandText(const MaintTask& task)
{
    return task.action ? Admin::describe(*task.action) : QString::fromStdString(task.cmd);
}

std::string adminBatch(const std::vector<MaintTask>& adminTasks, Reasons reasons)
{
    std::string batch;
    for (const MaintTask& task : adminTasks) {
        if (!batch.empty())
            batch += "; ";
        const std::string id = task.id.toStdString();
        if (reasons == Reasons::Silent)
            batch += "(" + task.cmd + ") >/dev/null 2>&1 && echo OK:" + id + " || echo FAIL:" + id;
        else
            batch += "qm_out=$( (" + task.cmd + ") 2>&1 ) && echo OK:" + id + " || echo \"FAIL:" + id +
                     ":$(printf '%s\\n' \"$qm_out\" | tail -n 1)\"";
    }
    return batch;
}

QString failureReason(const QString& out, const QString& id)
{
    const QString marker = QStringLiteral("FAIL:") + id + QLatin1Char(':');
    for (const QString& line : out.split(QLatin1Char('\n')))
        if (line.startsWith(marker))
            return line.mid(marker.size()).trimmed();
    return {};
}

bool markedOk(const QString& out, const QString& id)
{
    // Whole lines only, so that one id can never pass for another that it begins.
    const QString marker = QStringLiteral("OK:") + id;
    for (const QString& line : out.split(QLatin1Char('\n')))
        if (line.trimmed() == marker)
            return true;
    return false;
}

namespace {

// The title and the reason, or the title alone when there is no reason.
QString failure(const MaintTask& task, const QString& reason)
{
    return reason.isEmpty() ? task.title : LF("%@: %@", task.title, reason);
}

// The gauges of the routines that have one, read now.
std::map<QString, std::int64_t> readGauges(const std::vector<MaintTask>& tasks)
{
    std::map<QString, std::int64_t> values;
    for (const MaintTask& task : tasks)
        if (task.gauge)
            values[task.id] = task.gauge();
    return values;
}

// What each routine that succeeded freed, by its gauge.
void noteFreed(Outcome& outcome, const std::vector<MaintTask>& tasks, const std::map<QString, std::int64_t>& before)
{
    for (const MaintTask& task : tasks) {
        if (!task.gauge || !outcome.okIds.contains(task.id))
            continue;
        const std::int64_t shrank = std::max<std::int64_t>(0, before.at(task.id) - task.gauge());
        outcome.notes.append(LF("%@: o cache de páginas diminuiu %@.", task.title, shownRun(Fmt::bytes(shrank))));
    }
}

} // namespace

Outcome run(const std::vector<MaintTask>& all, const QStringList& selected, const Runner& user,
            const Admin::Runner& admin, const std::function<void(const QString&)>& starting, Reasons reasons)
{
    std::vector<MaintTask> adminTasks;
    std::vector<MaintTask> userTasks;
    for (const MaintTask& task : all)
        if (task.available && selected.contains(task.id))
            (task.admin ? adminTasks : userTasks).push_back(task);

    Outcome outcome;
    // Once the program is asked to end, no routine is begun.
    if (!adminTasks.empty() && !Quitting::requested()) {
        if (starting)
            starting(adminTasks.front().id);
        const std::map<QString, std::int64_t> before = readGauges(adminTasks);
        Admin::Request request;
        std::vector<MaintTask> scripted;
        for (const MaintTask& task : adminTasks) {
            if (task.action)
                request.actions.push_back(*task.action);
            else
                scripted.push_back(task);
        }
        request.script = adminBatch(scripted, reasons);
        const Admin::Reply reply = admin(request);
        // The helper answers each action, a script run answers by succeeding.
        const bool answered =
            request.actions.empty() ? reply.ok : reply.failures.size() == request.actions.size();
        if (!answered) {
            // A cancelled prompt, a refused request, or no way to ask: one entry, and no routine ran.
            outcome.failures.append(reply.reason);
        } else {
            std::size_t index = 0;
            for (const MaintTask& task : adminTasks) {
                if (task.action) {
                    const std::size_t i = index++;
                    if (reply.done(i))
                        outcome.okIds.append(task.id);
                    else
                        outcome.failures.append(failure(task, reasons == Reasons::Silent ? QString()
                                                                                          : reply.failures[i]));
                } else if (markedOk(reply.out, task.id)) {
                    outcome.okIds.append(task.id);
                } else {
                    outcome.failures.append(failure(task, failureReason(reply.out, task.id)));
                }
            }
            noteFreed(outcome, adminTasks, before);
        }
    }
    for (const MaintTask& task : userTasks) {
        if (Quitting::requested())
            break;
        if (starting)
            starting(task.id);
        const std::map<QString, std::int64_t> before = readGauges({task});
        const Shell::Result result = user(task.cmd);
        if (result.ok) {
            outcome.okIds.append(task.id);
            noteFreed(outcome, {task}, before);
        } else {
            outcome.failures.append(failure(task, reasons == Reasons::Silent ? result.out.trimmed()
                                                                             : Shell::lastLine(result.out)));
        }
    }
    return outcome;
}

} // namespace Maintenance
