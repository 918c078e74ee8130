#include "cli/JunkCommands.h"

#include <algorithm>
#include <future>

#include <QJsonObject>

#include "engines/junk/JunkScan.h"
#include "i18n/L.h"
#include "platform/Admin.h"
#include "platform/FS.h"
#include "platform/Fmt.h"
#include "platform/Prefs.h"
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

// The home folder's groups, then the system's.
std::vector<JunkGroup> scanAll()
{
    const Profiles::JunkCatalogue& catalogue = Profiles::active().junk;
    // The package tools answer while the home folder is walked.
    std::future<std::vector<JunkGroup>> system =
        std::async(std::launch::async, [&catalogue] { return Profiles::systemGroups(catalogue); });
    std::vector<JunkGroup> groups = Sweeper::scanJunk(catalogue.rules());
    for (JunkGroup& group : system.get())
        groups.push_back(std::move(group));
    return groups;
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
    return sizeText(group.total(), known || group.items.empty());
}

void printGroups(const Context& context, const std::vector<JunkGroup>& groups)
{
    for (const JunkGroup& group : groups) {
        context.out << (group.admin ? "🔒 " : "") << group.title << "  " << totalText(group) << "  [" << group.id
                    << "]\n";
        for (const JunkItem& item : group.items) {
            context.out << "  " << (item.selected ? "[x] " : "[ ] ")
                        << sizeText(item.size, item.sizeKnown).leftJustified(10) << " " << lineSafe(item.name);
            if (!item.note.isEmpty())
                context.out << "  (" << lineSafe(item.note) << ")";
            context.out << "\n";
        }
    }
}

int runJunk(Context& context)
{
    if (!context.args.isEmpty())
        return context.usageError(LF("%@ não aceita argumentos (veja --help)", "junk"));
    const std::vector<JunkGroup> groups = scanAll();
    if (context.json)
        context.printJson(junkGroupsJson(groups));
    else
        printGroups(context, groups);
    return Success;
}

// ---- clean ----

struct CleanOptions {
    QStringList groups;
    bool dryRun = false;
    bool yes = false;
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
        } else if (arg == "--group") {
            if (i + 1 >= args.size())
                return L("--group precisa do id de um grupo");
            const QString id = args[++i];
            if (!isGroupId(id))
                return LF("grupo desconhecido “%@”", id);
            options.groups << id;
        } else {
            return LF("argumento desconhecido “%@” para %@ (veja --help)", arg, "clean");
        }
    }
    return {};
}

std::int64_t sizeOf(const std::vector<RemovalTarget>& targets)
{
    std::int64_t sum = 0;
    for (const RemovalTarget& target : targets)
        sum += target.size;
    return sum;
}

// The system's chosen items, which the administrator removes.
std::vector<JunkGroup> systemChosen(const std::vector<JunkGroup>& groups, const QStringList& ids)
{
    std::vector<JunkGroup> chosen = Sweeper::chosenGroups(groups, ids);
    std::erase_if(chosen, [](const JunkGroup& group) { return !group.admin; });
    return chosen;
}

void printPlan(const Context& context, const std::vector<RemovalTarget>& targets,
               const std::vector<JunkGroup>& system)
{
    std::int64_t systemTotal = 0;
    for (const JunkGroup& group : system)
        systemTotal += group.total();
    if (context.json) {
        QJsonArray items;
        for (const RemovalTarget& target : targets)
            items.append(QJsonObject{{"path", FS::text(target.url)},
                                     {"size", qint64(target.size)},
                                     {"permanent", target.permanent}});
        for (const JunkGroup& group : system)
            for (const JunkItem& item : group.items)
                items.append(QJsonObject{{"path", FS::text(item.url)},
                                         {"name", item.name},
                                         {"group", group.id},
                                         {"size", item.sizeKnown ? QJsonValue(qint64(item.size)) : QJsonValue()},
                                         {"permanent", true},
                                         {"admin", true}});
        context.printJson(QJsonObject{
            {"dryRun", true}, {"items", items}, {"total", qint64(sizeOf(targets) + systemTotal)}});
        return;
    }
    context.out << L("Seria removido (execute de novo com --yes para remover):") << "\n";
    // How each item goes, in a column as wide as the longer of the two words.
    const QString deleted = L("apagar");
    const QString trashed = L("para a Lixeira");
    const qsizetype width = std::max(deleted.size(), trashed.size()) + 1;
    for (const RemovalTarget& target : targets)
        context.out << "  " << (target.permanent ? deleted : trashed).leftJustified(width)
                    << Fmt::bytes(target.size).leftJustified(10) << " " << lineSafe(target.url) << "\n";
    for (const JunkGroup& group : system)
        for (const JunkItem& item : group.items)
            context.out << "  " << deleted.leftJustified(width) << sizeText(item.size, item.sizeKnown).leftJustified(10)
                        << " " << lineSafe(item.name) << "  " << L("[administrador]") << "\n";
    if (!system.empty())
        context.out
            << L("Uma senha de administrador será pedida; pacotes e versões de Snaps removidos não podem ser recuperados da Lixeira.")
            << "\n";
    context.out << LF("Total: %@", Fmt::bytes(sizeOf(targets) + systemTotal)) << "\n";
}

int runClean(Context& context)
{
    CleanOptions options;
    const QString problem = parseClean(context.args, options);
    if (!problem.isEmpty())
        return context.usageError(problem);

    const std::vector<JunkGroup> groups = scanAll();
    if (options.dryRun || !options.yes) {
        printPlan(context, Sweeper::cleanTargets(groups, options.groups), systemChosen(groups, options.groups));
        return Success;
    }

    const Profiles::JunkCatalogue& catalogue = Profiles::active().junk;
    const RemovalOutcome outcome = Sweeper::cleanJunk(groups, options.groups, Admin::run, catalogue.cleanSystem);
    // Kept like the window keeps it, so both show the same running total.
    if (auto settings = Prefs::standard())
        Prefs::recordRemoval(*settings, outcome.freed, outcome.trashed);
    const QString message = Removal::failureMessage(outcome.failures, outcome.adminReason);

    if (context.json) {
        QJsonArray failures;
        for (const QString& name : outcome.failures)
            failures.append(name);
        QJsonArray system;
        for (const GroupFreed& group : outcome.systemGroups) {
            QJsonObject row{{"id", group.id}, {"title", group.title}, {"freed", qint64(group.freed)}};
            if (!group.failure.isEmpty())
                row.insert("failure", group.failure);
            system.append(row);
        }
        context.printJson(QJsonObject{{"freed", qint64(outcome.freed)},
                                      {"trashed", qint64(outcome.trashed)},
                                      {"failures", failures},
                                      {"message", message},
                                      {"systemGroups", system}});
    } else {
        for (const QString& line : Removal::groupReport(outcome.systemGroups))
            context.out << lineSafe(line) << "\n";
        context.out << LF("%@ liberados", Fmt::bytes(outcome.freed)) << "\n";
        if (outcome.trashed > 0)
            context.out << LF("%@ na Lixeira", Fmt::bytes(outcome.trashed)) << "\n";
        if (!message.isEmpty())
            context.err << lineSafe(message) << "\n";
    }
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
            items.append(row);
        }
        list.append(QJsonObject{{"id", group.id},
                                {"title", group.title},
                                {"detail", group.detail},
                                {"symbol", group.symbol},
                                {"permanent", group.permanent},
                                {"admin", group.admin},
                                {"total", qint64(group.total())},
                                {"selectedTotal", qint64(group.selectedTotal())},
                                {"items", items}});
    }
    return list;
}

std::vector<Command> junkCommands()
{
    return {
        {QStringLiteral("junk"), QStringLiteral("junk"),
         L("procura lixo: grupos, itens, tamanhos e seleção"), runJunk},
        {QStringLiteral("clean"), QStringLiteral("clean [--group ID]... [--dry-run] [--yes]"),
         L("remove o lixo selecionado (ou os grupos indicados); --yes para remover de fato"), runClean},
    };
}

} // namespace Cli
