#include "cli/StartupCommands.h"

#include <QJsonArray>
#include <QJsonObject>

#include "engines/startup/Startup.h"
#include "i18n/L.h"
#include "i18n/ShownText.h"
#include "platform/FS.h"
#include "profiles/Profile.h"

namespace Cli {

namespace {

std::optional<StartupBackend> backendOverride;
Admin::Runner adminOverride;

StartupBackend backend() { return backendOverride ? *backendOverride : Profiles::active().startup.backend(); }

QString stateText(const AgentItem& item)
{
    if (item.locked)
        return L("Sempre ativo");
    return item.on ? L("Ativado") : L("Desativado");
}

int list(Context& context)
{
    const std::vector<AgentItem> items = backend().scan();
    const qint64 count = qint64(items.size());
    QJsonArray json;
    for (const AgentItem& item : items) {
        if (context.json) {
            json.append(QJsonObject{{"id", item.key},
                                    {"name", item.label},
                                    {"label", item.label},
                                    {"kind", item.kind},
                                    {"scope", item.scope},
                                    {"on", item.on},
                                    {"locked", item.locked},
                                    {"otherDesktop", item.otherDesktop},
                                    {"userOwned", item.userOwned},
                                    {"program", item.program},
                                    {"path", FS::text(item.url)}});
        } else {
            context.out << shownName(item.key) << "  " << shownName(item.label) << "  [" << item.scope << "]  "
                        << stateText(item)
                        << (item.otherDesktop ? "  (" + L("Não nesta área de trabalho") + ")" : QString()) << "  "
                        << shownName(item.program) << "\n";
        }
    }
    if (context.json)
        context.printJson(json);
    else
        // What to do next, in the tool's own words.
        context.out << (count == 0 ? L("Nenhum agente ou serviço em segundo plano.")
                                   : LP(count, "%ld agentes e serviços em segundo plano. Para iniciar mais rápido, desative o que você não usa: quillmoor-cli startup off ID", count))
                    << "\n";
    return Success;
}

// A change's message (which names the item) with the item's name shown as every name is.
QString messageOf(const StartupChange& change, const AgentItem& item)
{
    QString message = change.message;
    if (!item.label.isEmpty())
        message.replace(item.label, escapeDirectionMarks(item.label));
    return lineSafe(message);
}

std::optional<AgentItem> find(const QString& id)
{
    for (const AgentItem& item : backend().scan())
        if (item.key == id)
            return item;
    return std::nullopt;
}

int switchItem(Context& context, const AgentItem& item, bool on)
{
    const StartupChange change = Startup::switchItem(backend(), item, on);
    (change.ok ? context.out : context.err) << messageOf(change, item) << "\n";
    return change.ok ? Success : Failure;
}

int removeItem(Context& context, const AgentItem& item)
{
    const Admin::Runner admin = adminOverride ? adminOverride : Admin::Runner(Admin::run);
    const StartupChange removal = Startup::removeItem(backend(), item, Startup::planRemoval(item), admin);
    (removal.ok ? context.out : context.err) << messageOf(removal, item) << "\n";
    return removal.ok ? Success : Failure;
}

int runStartup(Context& context)
{
    if (context.args.isEmpty())
        return list(context);
    const QString action = context.args.first();
    if (action != "off" && action != "on" && action != "remove")
        return context.usageError(LF("ação de inicialização desconhecida “%@” (off, on ou remove; veja --help)", action));
    if (context.args.size() != 2)
        return context.usageError(LF("startup %@ aceita o id de um item (veja quillmoor-cli startup)", action));
    const std::optional<AgentItem> item = find(context.args[1]);
    if (!item) {
        context.err << "quillmoor-cli: "
                    << lineSafe(LF("nenhum item de inicialização “%@” (veja quillmoor-cli startup)", escapeDirectionMarks(context.args[1]))) << "\n";
        return Failure;
    }
    if (action == "remove")
        return removeItem(context, *item);
    return switchItem(context, *item, action == "on");
}

} // namespace

void setStartupBackend(std::optional<StartupBackend> startup, Admin::Runner admin)
{
    backendOverride = std::move(startup);
    adminOverride = std::move(admin);
}

std::vector<Command> startupCommands()
{
    return {
        {QStringLiteral("startup"), QStringLiteral("startup [off|on|remove ID]"),
         L("o que inicia com a sessão ou o sistema; desativa ou ativa um item, ou remove um do próprio usuário"),
         runStartup},
        {QStringLiteral("agents"), QStringLiteral("agents"), L("o mesmo que startup"), runStartup},
    };
}

} // namespace Cli
