#include "cli/RestoreCommands.h"

#include <optional>
#include <string>

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

#include "cli/TerminalText.h"
#include "engines/removal/PlanJson.h"
#include "engines/removal/Restore.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "platform/HistoryFile.h"

namespace Cli {

namespace {

struct RestoreOptions {
    QString address;
    std::optional<std::string> otherName;  // --as
    bool yes = false;
};

// Reads restore's arguments; an empty text on success, else what was wrong.
QString parseRestore(const QStringList& args, RestoreOptions& options)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == "--yes") {
            options.yes = true;
        } else if (arg == "--as") {
            const std::string name = i + 1 < args.size() ? QFile::encodeName(args[++i]).toStdString() : std::string();
            if (!TrashRestore::isPlainName(name))
                return L("--as precisa de um nome simples, sem “/”");
            options.otherName = name;
        } else if (!arg.startsWith('-') && options.address.isEmpty()) {
            options.address = arg;
        } else {
            return LF("argumento desconhecido “%@” para %@ (veja --help)", arg, "restore");
        }
    }
    if (options.address.isEmpty())
        return L("restore precisa do id de um registro do histórico (veja history)");
    return {};
}

constexpr Plan::NameTable<Restore::State, 6> kStates{{
    {Restore::State::available, "available"},
    {Restore::State::gone, "gone"},
    {Restore::State::occupied, "occupied"},
    {Restore::State::unmounted, "unmounted"},
    {Restore::State::notOurs, "notOurs"},
    {Restore::State::refused, "refused"},
}};

// One named item: its address, how people read it, and what was found or done.
struct Row {
    QString address;
    QString label;
    bool ok = false;
    QString reason;
    std::filesystem::path place;  // where it goes (or went) back
    Restore::State state = Restore::State::refused;
};

void printRows(const Context& context, const std::vector<Row>& rows, const QString& okWord, const QString& notWord)
{
    QStringList addresses, words;
    for (const Row& row : rows) {
        addresses << row.address;
        words << (row.ok ? okWord : notWord);
    }
    const int addressWidth = columnWidth(addresses) + 2;
    const int wordWidth = columnWidth(words) + 2;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        context.out << "  " << padded(row.address, addressWidth) << padded(words[qsizetype(i)], wordWidth)
                    << (row.place.empty() ? shownName(row.label) : shownName(FS::pretty(row.place)));
        if (!row.reason.isEmpty())
            context.out << ": " << lineSafe(row.reason);
        context.out << "\n";
    }
}

void printJsonRows(const Context& context, const QString& id, const std::vector<Row>& rows, bool dryRun)
{
    QJsonArray items;
    for (const Row& row : rows) {
        QJsonObject item{{"address", row.address}, {"label", row.label}};
        if (dryRun)
            item.insert("state", Plan::nameIn(kStates, row.state));
        else
            item.insert("restored", row.ok);
        if (!row.reason.isEmpty())
            item.insert("reason", row.reason);
        Plan::insertPath(item, dryRun ? QStringLiteral("target") : QStringLiteral("restoredAt"), row.place);
        items.append(item);
    }
    context.printJson(QJsonObject{{"dryRun", dryRun}, {"id", id}, {"items", items}});
}

int runRestore(Context& context)
{
    RestoreOptions options;
    const QString problem = parseRestore(context.args, options);
    if (!problem.isEmpty())
        return context.usageError(problem);
    QString notFound;
    const std::optional<Restore::Addressed> found =
        Restore::find(options.address, HistoryFile::read(HistoryFile::Limits{}.records).records, notFound);
    if (!found && !Restore::parseAddress(options.address))
        return context.usageError(notFound);
    if (!found) {
        context.err << "quillmoor-cli: " << lineSafe(notFound) << "\n";
        return Failure;
    }
    if (options.otherName && found->items.size() != 1)
        return context.usageError(L("--as vale para um item só: indique-o como ID.N"));
    const Plan::Outcome& outcome = found->entry.outcome;

    std::vector<Row> rows;
    bool allDone = true;
    for (const std::size_t i : found->items) {
        const Plan::Item& item = outcome.plan.items[i];
        const Plan::ItemResult& result = outcome.results[i];
        Row row;
        row.address = found->entry.id + "." + QString::number(qulonglong(i) + 1);
        row.label = item.label;
        if (options.yes) {
            const Restore::Done done = Restore::run(item, result, options.otherName);
            row.ok = done.ok;
            row.reason = done.reason;
            row.place = done.restoredAt;
        } else {
            const Restore::Check now = Restore::check(item, result);
            row.state = now.state;
            row.ok = now.state == Restore::State::available
                || (now.state == Restore::State::occupied && options.otherName);
            row.reason = row.ok ? QString() : now.reason;
            row.place = options.otherName && !now.target.empty() ? now.target.parent_path() / *options.otherName : now.target;
        }
        allDone = allDone && row.ok;
        rows.push_back(std::move(row));
    }

    if (context.json) {
        printJsonRows(context, found->entry.id, rows, !options.yes);
    } else if (rows.empty()) {
        context.out << L("Nenhum item deste registro foi para a Lixeira.") << "\n";
    } else if (options.yes) {
        printRows(context, rows, L("restaurado"), L("não restaurado"));
    } else {
        context.out << L("Seria restaurado (execute de novo com --yes para restaurar):") << "\n";
        printRows(context, rows, L("pode voltar"), L("não pode voltar"));
        for (const Row& row : rows)
            if (row.state == Restore::State::occupied && !options.otherName) {
                context.out << L("Para restaurar ao lado com outro nome, use --as NAME com ID.N.") << "\n";
                break;
            }
    }
    return !options.yes || (allDone && !rows.empty()) ? Success : Failure;
}

} // namespace

std::vector<Command> restoreCommands()
{
    return {
        {QStringLiteral("restore"), QStringLiteral("restore ID[.N] [--as NAME] [--yes]"),
         L("põe de volta o que um registro do histórico (ou o seu item N) moveu para a Lixeira; --as dá outro nome ao item quando o lugar está ocupado; --yes para restaurar de fato"),
         runRestore},
    };
}

} // namespace Cli
