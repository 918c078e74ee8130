#include "cli/IgnoreCommands.h"

#include <filesystem>

#include <QJsonObject>

#include "cli/ArgumentBytes.h"
#include "engines/removal/PlanJson.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "platform/NeverTouch.h"
#include "platform/Prefs.h"

namespace fs = std::filesystem;

namespace Cli {

namespace {


int runList(const Context& context)
{
    QJsonArray list;
    const std::vector<fs::path> places = NeverTouch::current();
    for (const fs::path& place : places) {
        std::error_code error;
        const fs::file_status status = fs::symlink_status(place, error);
        const bool missing = !fs::exists(status);
        const bool link = fs::is_symlink(status);
        if (context.json) {
            QJsonObject row{{"missing", missing}, {"link", link}};
            Plan::insertPath(row, QStringLiteral("path"), place);
            list.append(row);
            continue;
        }
        context.out << shownName(place);
        if (link)
            context.out << "  (" << L("link") << ")";
        if (missing)
            context.out << "  (" << L("não existe mais") << ")";
        context.out << "\n";
    }
    if (context.json)
        context.printJson(list);
    else if (places.empty())
        context.out << L("Nenhum lugar na lista Nunca tocar.") << "\n";
    return Success;
}

// Adds or removes the place the argument names, relative to the current folder.
int runChange(const Context& context, bool adding)
{
    if (context.args.size() != 2)
        return context.usageError(LF("%@ precisa de um caminho (veja --help)", "ignore " + context.args[0]));
    QString error;
    const std::optional<fs::path> place =
        NeverTouch::normalised(argumentBytes(context.args[1]), fs::current_path(), error);
    if (!place) {
        context.err << "quillmoor-cli: " << lineSafe(error) << "\n";
        return Failure;
    }
    const std::unique_ptr<QSettings> settings = Prefs::standard();
    const bool changed = adding ? NeverTouch::add(*settings, *place) : NeverTouch::remove(*settings, *place);
    settings->sync();
    if (settings->status() != QSettings::NoError) {
        context.err << "quillmoor-cli: " << L("Não foi possível gravar as preferências.") << "\n";
        return Failure;
    }
    if (!adding && !changed) {
        context.err << "quillmoor-cli: " << LF("não está na lista Nunca tocar: %@", shownName(*place)) << "\n";
        return Failure;
    }
    if (context.json) {
        QJsonObject row{{"changed", changed}};
        Plan::insertPath(row, QStringLiteral("path"), *place);
        context.printJson(row);
    } else if (adding) {
        context.out << LF("Acrescentado à lista Nunca tocar: %@", shownName(*place)) << "\n";
    } else {
        context.out << LF("Retirado da lista Nunca tocar: %@", shownName(*place)) << "\n";
    }
    return Success;
}

int runIgnore(Context& context)
{
    const QString action = context.args.value(0);
    if (action == QLatin1String("list") && context.args.size() == 1)
        return runList(context);
    if (action == QLatin1String("add") || action == QLatin1String("remove"))
        return runChange(context, action == QLatin1String("add"));
    if (action == QLatin1String("list"))
        return context.usageError(LF("%@ não aceita argumentos (veja --help)", "ignore list"));
    return context.usageError(LF("ação desconhecida “%@” (list, add ou remove; veja --help)", action));
}

} // namespace

NeverTouchList neverTouchNow() { return NeverTouchList(NeverTouch::current()); }

void printIgnored(const Context& context, int ignored)
{
    if (ignored > 0)
        context.out << LP(ignored, "%ld itens ignorados", ignored) << "\n";
}

std::vector<Command> ignoreCommands()
{
    return {
        {QStringLiteral("ignore"), QStringLiteral("ignore list | add PATH | remove PATH"),
         L("os lugares que o Quillmoor nunca oferece nem remove: listar, acrescentar, retirar"), runIgnore},
    };
}

} // namespace Cli
