#include "cli/JunkCommands.h"

#include <algorithm>

#include <QEventLoop>
#include <QJsonObject>
#include <QTimer>

#include "cli/IgnoreCommands.h"
#include "cli/PlanOutput.h"
#include "cli/TerminalText.h"
#include "engines/autoclean/AutoRun.h"
#include "engines/junk/JunkPlan.h"
#include "engines/junk/JunkScan.h"
#include "i18n/L.h"
#include "monitor/DesktopNotifications.h"
#include "platform/Admin.h"
#include "platform/AutoCleanFiles.h"
#include "platform/FileLock.h"
#include "platform/FS.h"
#include "platform/Fmt.h"
#include "profiles/Profile.h"

namespace Cli {

namespace {

bool isGroupId(const QString& id)
{
    const Profiles::JunkCatalogue& catalogue = Profiles::active().junk;
    for (const JunkRule& rule : catalogue.rules())
        if (rule.id == id)
            return true;
    return catalogue.systemPart && SystemJunk::isGroupId(id);
}

// The home folder's groups, then the system's, as the never-touch list lets them be offered.
JunkFound scanAll()
{
    const Profiles::JunkCatalogue& catalogue = Profiles::active().junk;
    return Sweeper::scanAllJunk(catalogue.rules(), neverTouchNow(),
                                catalogue.systemPart ? Sweeper::SystemPartReader(catalogue.systemPart)
                                                     : Sweeper::SystemPartReader());
}

// With --measure: each group that could not read everything is measured as
// the administrator (one prompt each) and found again with it; a group that
// could not be measured stays as it was, and why is said on stderr.
JunkFound scanMeasured(const Context& context)
{
    JunkFound found = scanAll();
    const auto measure = Profiles::active().junk.measureSystem;
    if (!measure)
        return found;
    std::vector<JunkGroup> groups;
    for (JunkGroup& group : found.groups) {
        if (group.measure.empty()) {
            groups.push_back(std::move(group));
            continue;
        }
        SystemJunk::Measured measured = measure(group, neverTouchNow(), Admin::run);
        if (!measured.failure.isEmpty()) {
            context.err << group.title << ": " << lineSafe(measured.failure) << "\n";
            groups.push_back(std::move(group));
            continue;
        }
        for (JunkGroup& again : measured.found.groups)
            groups.push_back(std::move(again));
    }
    SystemJunk::sortGroups(groups);
    found.groups = std::move(groups);
    return found;
}

// ---- junk ----

// A size, or that it is not known.
QString sizeText(std::int64_t bytes, bool known)
{
    return known ? Fmt::bytes(bytes) : L("Tamanho desconhecido");
}

// The group's total; unknown when none of its items' sizes is known.
QString totalText(const JunkGroup& group)
{
    const bool known = std::any_of(group.items.begin(), group.items.end(),
                                   [](const JunkItem& item) { return item.sizeKnown; });
    if (known && group.atLeast && group.items.size() > 1)
        return LF("Pelo menos %@", Fmt::bytes(group.total()));
    return sizeText(group.total(), known || group.items.empty());
}

void printGroups(const Context& context, const std::vector<JunkGroup>& groups)
{
    // One size column for every group's items.
    QStringList sizes;
    for (const JunkGroup& group : groups)
        for (const JunkItem& item : group.items)
            sizes << sizeText(item.size, item.sizeKnown);
    const int sizeWidth = columnWidth(sizes) + 1;
    for (const JunkGroup& group : groups) {
        context.out << (group.asksPassword() ? "🔒 " : "") << group.title << "  " << totalText(group) << "  [" << group.id
                    << "]\n";
        for (const JunkItem& item : group.items) {
            // a list this user may not read: nothing to tick until it is measured
            context.out << "  " << (item.listedOnly ? "[-] " : item.selected ? "[x] " : "[ ] ")
                        << padded(sizeText(item.size, item.sizeKnown), sizeWidth) << shownName(item.name);
            if (!item.toolId.isEmpty())  // what --item takes
                context.out << "  [" << item.toolId.left(12) << "]";
            if (!item.note.isEmpty())
                context.out << "  (" << lineSafe(item.note) << ")";
            context.out << "\n";
        }
        if (!group.measure.empty())
            context.out << "  " << L("Para medir como administrador: quillmoor-cli junk --measure") << "\n";
    }
}

int runJunk(Context& context)
{
    const bool measure = context.args == QStringList{QStringLiteral("--measure")};
    if (!context.args.isEmpty() && !measure)
        return context.usageError(LF("argumento desconhecido “%@” para %@ (veja --help)", context.args.front(), "junk"));
    const JunkFound found = measure ? scanMeasured(context) : scanAll();
    if (context.json) {
        context.printJson(junkGroupsJson(found.groups));
    } else {
        printGroups(context, found.groups);
        printIgnored(context, found.ignored);
    }
    return Success;
}

// ---- clean ----

struct CleanOptions {
    QStringList groups;
    QStringList items;       // --item: one item by the id its tool knows it by (a container, an image, a volume)
    bool dryRun = false;
    bool yes = false;
    bool measure = false;    // --measure: what this user may not read is measured first, as the administrator
    bool automatic = false;  // --auto: the automatic choice, now
    bool ifDue = false;      // --if-due: only when the schedule says it is time
};

// Reads clean's arguments; an empty text on success, else what was wrong.
QString parseClean(const QStringList& args, CleanOptions& options)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == "--dry-run") {
            options.dryRun = true;
        } else if (arg == "--yes") {
            options.yes = true;
        } else if (arg == "--auto") {
            options.automatic = true;
        } else if (arg == "--measure") {
            options.measure = true;
        } else if (arg == "--if-due") {
            options.ifDue = true;
        } else if (arg == "--group") {
            if (i + 1 >= args.size())
                return L("--group precisa do id de um grupo");
            const QString id = args[++i];
            if (!isGroupId(id))
                return LF("grupo desconhecido “%@”", id);
            options.groups << id;
        } else if (arg == "--item") {
            if (i + 1 >= args.size() || args[i + 1].isEmpty())
                return L("--item precisa do id de um item");
            options.items << args[++i];
        } else {
            return LF("argumento desconhecido “%@” para %@ (veja --help)", arg, "clean");
        }
    }
    if (options.ifDue && !options.automatic)
        return L("--if-due vale só com --auto");
    if (options.automatic && (!options.groups.isEmpty() || !options.items.isEmpty() || options.dryRun || options.measure))
        return L("--auto limpa os grupos escolhidos nos ajustes: sem --group nem --dry-run");
    return {};
}

// Says on the desktop what an automatic run freed, as the resident program
// does but with no action (nothing here would answer it); waits a moment
// for the service to take it, since the program ends right after.
void tellFreed(std::int64_t freed)
{
    DesktopNotifications notices;
    QEventLoop loop;
    bool answered = false;
    QObject::connect(&notices, &DesktopNotifications::answered, &loop, [&] {
        answered = true;
        loop.quit();
    });
    QTimer::singleShot(3000, &loop, &QEventLoop::quit);
    notices.send(AutoClean::noticeTitle(), AutoClean::noticeText(freed), {});
    if (!answered)
        loop.exec();
}

// The automatic clean, as the timer and the resident program run it.
int runAutoClean(Context& context, const CleanOptions& options)
{
    const AutoClean::Run run = AutoClean::runNow(Profiles::active().junk.rules(), options.ifDue,
                                                 QDateTime::currentDateTime(), AutoClean::powerNow());
    if (run.outcome) {
        printOutcome(context, *run.outcome);
        if (run.outcome->freed > 0)
            tellFreed(run.outcome->freed);
        return run.outcome->complete() ? Success : Failure;
    }
    const QString why = run.decision.run ? L("Nada a limpar agora.") : run.decision.reason;
    if (context.json)
        context.printJson(QJsonObject{{"ran", false}, {"reason", why}});
    else
        context.out << why << "\n";
    return Success;
}

int runClean(Context& context)
{
    CleanOptions options;
    const QString problem = parseClean(context.args, options);
    if (!problem.isEmpty())
        return context.usageError(problem);
    if (options.automatic)
        return runAutoClean(context, options);

    const std::vector<JunkGroup> groups = options.measure ? scanMeasured(context).groups : scanAll().groups;
    const Plan::Record plan = Sweeper::planClean(groups, options.groups, options.items);
    if (options.dryRun || !options.yes) {
        printPlan(context, plan, L("Seria removido (execute de novo com --yes para remover):"));
        return Success;
    }
    // Never while another clean of this user runs (an automatic one, say).
    const FileLock lock(AutoCleanFiles::cleanLock(), FileLock::Wait::no);
    if (!lock.held()) {
        context.err << L("Outra limpeza do Quillmoor está em andamento.") << "\n";
        return Failure;
    }
    const RemovalOutcome outcome =
        Sweeper::cleanJunk(plan, groups, Admin::run, Profiles::active().junk.cleanSystem, Plan::Origin::cli);
    printOutcome(context, outcome);
    return outcome.complete() ? Success : Failure;
}

} // namespace

QJsonArray junkGroupsJson(const std::vector<JunkGroup>& groups)
{
    QJsonArray list;
    for (const JunkGroup& group : groups) {
        QJsonArray items;
        for (const JunkItem& item : group.items) {
            QJsonObject row{{"name", item.name},
                            {"path", FS::text(item.url)},
                            {"size", item.sizeKnown ? QJsonValue(qint64(item.size)) : QJsonValue()},
                            {"selected", item.selected}};
            if (!item.note.isEmpty())
                row.insert("note", item.note);
            if (!item.toolId.isEmpty())
                row.insert("item", item.toolId);
            if (item.listedOnly)
                row.insert("listedOnly", true);
            items.append(row);
        }
        list.append(QJsonObject{{"id", group.id},
                                {"title", group.title},
                                {"detail", group.detail},
                                {"symbol", group.symbol},
                                {"permanent", group.permanent},
                                {"admin", group.admin},
                                {"oneByOne", group.oneByOne},
                                {"measurable", !group.measure.empty()},
                                {"atLeast", group.atLeast},
                                {"total", qint64(group.total())},
                                {"selectedTotal", qint64(group.selectedTotal())},
                                {"items", items}});
    }
    return list;
}

std::vector<Command> junkCommands()
{
    return {
        {QStringLiteral("junk"), QStringLiteral("junk [--measure]"),
         L("procura lixo: grupos, itens, tamanhos e seleção"), runJunk},
        {QStringLiteral("clean"), QStringLiteral("clean [--group ID]... [--item ID]... [--measure] [--dry-run] [--yes] | clean --auto [--if-due]"),
         L("remove o lixo selecionado (ou os grupos indicados); --yes para remover de fato"), runClean},
    };
}

} // namespace Cli
