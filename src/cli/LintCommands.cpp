#include "cli/LintCommands.h"

#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>

#include "cli/ArgumentBytes.h"
#include "cli/IgnoreCommands.h"
#include "cli/PlanOutput.h"
#include "cli/TerminalText.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "platform/Paths.h"
#include "platform/Quitting.h"
#include "profiles/Profile.h"

namespace fs = std::filesystem;

namespace Cli {

namespace {

struct LintArguments {
    fs::path folder;
    bool hidden = false;
    bool trash = false;
    bool yes = false;
};

QString parseLint(const QStringList& args, LintArguments& parsed)
{
    for (const QString& arg : args) {
        if (arg == "--hidden")
            parsed.hidden = true;
        else if (arg == "--trash")
            parsed.trash = true;
        else if (arg == "--yes")
            parsed.yes = true;
        else if (!arg.startsWith('-') && parsed.folder.empty())
            parsed.folder = fs::path(argumentBytes(arg));
        else
            return LF("argumento desconhecido “%@” para %@ (veja --help)", arg, "lint");
    }
    return {};
}

QString kindText(Lint::Kind kind) { return kind == Lint::Kind::EmptyFolder ? L("Pasta vazia") : L("Link quebrado"); }

void printItems(const Context& context, const Lint::Result& result)
{
    QStringList kinds;
    for (const Lint::Item& item : result.items)
        kinds << kindText(item.kind);
    const int kindWidth = columnWidth(kinds) + 2;
    int folders = 0, links = 0;
    for (const Lint::Item& item : result.items) {
        (item.kind == Lint::Kind::EmptyFolder ? folders : links) += 1;
        context.out << (item.selected ? "[x] " : "[ ] ") << padded(kindText(item.kind), kindWidth) << shownName(item.path);
        if (item.kind == Lint::Kind::EmptyFolder && item.folders > 1)
            context.out << "  " << LP(item.folders, "%ld pastas", long(item.folders));
        if (item.kind == Lint::Kind::BrokenLink)
            context.out << "  → " << lineSafe(fs::path(item.target));
        const QString note = Lint::noteOf(item);
        if (!note.isEmpty())
            context.out << "  (" << lineSafe(note) << ")";
        context.out << "\n";
    }
    context.out << LP(folders, "%ld pastas vazias", long(folders)) << "  ·  "
                << LP(links, "%ld links quebrados", long(links)) << "\n";
}

int runLint(Context& context)
{
    LintArguments parsed;
    const QString problem = parseLint(context.args, parsed);
    if (!problem.isEmpty())
        return context.usageError(problem);
    if (parsed.yes && !parsed.trash)
        return context.usageError(L("--yes só vale com --trash"));
    const fs::path folder = parsed.folder.empty() ? FS::home() : parsed.folder;
    if (!FS::isDir(folder))
        return context.usageError(LF("“%@” não é uma pasta", shownName(folder)));

    Lint::Options options;
    options.hidden = parsed.hidden;
    options.never = neverTouchNow();
    options.needed = Profiles::neededFolders(Profiles::active().traits, Paths::home());
    const bool showProgress = isatty(STDERR_FILENO) == 1;
    CancelFlag flag;
    const auto progress = [&](std::int64_t entries) {
        if (Quitting::requested())
            flag.cancelled = true;
        if (showProgress) {
            context.err << "\r… " << entries << "     ";
            context.err.flush();
        }
    };
    const Lint::Result result = Lint::find(folder, options, flag, progress);
    if (showProgress) {
        context.err << "\r" << QString(32, ' ') << "\r";
        context.err.flush();
    }
    if (result.cancelled)
        return Interrupted;

    if (parsed.trash && parsed.yes) {
        const Plan::Record plan = Lint::planRecord(result.items);
        if (plan.empty() && !context.json) {
            context.out << L("Nada está selecionado: nada foi mudado.") << "\n";
            return Success;
        }
        if (!context.json)
            printPlan(context, plan, QString());
        const RemovalOutcome outcome = Lint::remove(result.items);
        printOutcome(context, outcome);
        return outcome.complete() ? Success : Failure;
    }
    if (context.json && parsed.trash) {
        printPlan(context, Lint::planRecord(result.items), QString());  // what --yes would do
        return Success;
    }
    if (context.json) {
        QJsonArray items;
        for (const Lint::Item& item : result.items)
            items.append(lintItemJson(item));
        context.printJson(items);
        return Success;
    }
    printItems(context, result);
    printIgnored(context, result.ignored);
    if (parsed.trash) {
        printPlan(context, Lint::planRecord(result.items), QString());
        context.out << L("Nada foi mudado: execute de novo com --yes para remover os selecionados.") << "\n";
    }
    return Success;
}

} // namespace

QJsonObject lintItemJson(const Lint::Item& item)
{
    const QString note = Lint::noteOf(item);
    QJsonObject object{{"path", FS::text(item.path)},
                       {"kind", item.kind == Lint::Kind::EmptyFolder ? "empty-folder" : "broken-link"},
                       {"selected", item.selected},
                       {"note", note.isEmpty() ? QJsonValue() : QJsonValue(note)}};
    if (item.kind == Lint::Kind::EmptyFolder)
        object.insert("folders", item.folders);
    else
        object.insert("target", FS::text(item.target));
    return object;
}

std::vector<Command> lintCommands()
{
    return {
        {QStringLiteral("lint"), QStringLiteral("lint [PATH] [--hidden] [--trash --yes]"),
         L("pastas que só contêm pastas vazias e links cujo destino não existe, na pasta pessoal ou em PATH; --trash remove as pastas e move os links selecionados para a Lixeira"),
         runLint},
    };
}

} // namespace Cli
