#include "cli/JunkCommands.h"

#include <algorithm>

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

bool isRuleId(const QString& id)
{
    for (const JunkRule& rule : Profiles::active().junk.rules())
        if (rule.id == id)
            return true;
    return false;
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
    const Profiles::JunkCatalogue& catalogue = Profiles::active().junk;
    std::vector<JunkGroup> groups = Sweeper::scanJunk(catalogue.rules());
    // The system's groups after the home folder's (clean leaves them alone).
    if (catalogue.systemGroups)
        for (JunkGroup& group : catalogue.systemGroups())
            groups.push_back(std::move(group));
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
            if (!isRuleId(id))
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

void printPlan(const Context& context, const std::vector<RemovalTarget>& targets)
{
    if (context.json) {
        QJsonArray items;
        for (const RemovalTarget& target : targets)
            items.append(QJsonObject{{"path", FS::text(target.url)},
                                     {"size", qint64(target.size)},
                                     {"permanent", target.permanent}});
        context.printJson(QJsonObject{{"dryRun", true}, {"items", items}, {"total", qint64(sizeOf(targets))}});
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
    context.out << LF("Total: %@", Fmt::bytes(sizeOf(targets))) << "\n";
}

int runClean(Context& context)
{
    CleanOptions options;
    const QString problem = parseClean(context.args, options);
    if (!problem.isEmpty())
        return context.usageError(problem);

    const std::vector<JunkGroup> groups = Sweeper::scanJunk(Profiles::active().junk.rules());
    if (options.dryRun || !options.yes) {
        printPlan(context, Sweeper::cleanTargets(groups, options.groups));
        return Success;
    }

    const RemovalOutcome outcome =
        Sweeper::cleanJunk(groups, options.groups, Admin::run);
    // Kept like the window keeps it, so both show the same running total.
    if (auto settings = Prefs::standard())
        Prefs::recordRemoval(*settings, outcome.freed, outcome.trashed);
    const QString message = Removal::failureMessage(outcome.failures, outcome.adminReason);

    if (context.json) {
        QJsonArray failures;
        for (const QString& name : outcome.failures)
            failures.append(name);
        context.printJson(QJsonObject{{"freed", qint64(outcome.freed)},
                                      {"trashed", qint64(outcome.trashed)},
                                      {"failures", failures},
                                      {"message", message}});
    } else {
        context.out << LF("%@ liberados", Fmt::bytes(outcome.freed)) << "\n";
        if (outcome.trashed > 0)
            context.out << LF("%@ na Lixeira", Fmt::bytes(outcome.trashed)) << "\n";
        if (!message.isEmpty())
            context.err << lineSafe(message) << "\n";
    }
    return outcome.failures.empty() ? Success : Failure;
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
