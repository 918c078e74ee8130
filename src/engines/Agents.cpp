// Launch agents and daemons: the property lists in the profile's launch folders.
#include <algorithm>

#include <unistd.h>

#include <QFile>

#include "engines/Sweeper.h"
#include "i18n/L.h"
#include "platform/Plist.h"
#include "platform/Trash.h"

namespace fs = std::filesystem;

namespace Sweeper {

AgentItem agentFrom(const fs::path& file, const QString& scope, bool userOwned)
{
    AgentItem item;
    item.url = file;
    item.label = QFile::decodeName(QByteArray::fromStdString(file.stem().native()));
    item.program = QStringLiteral("—");
    item.scope = scope;
    item.userOwned = userOwned;
    item.key = QFile::decodeName(QByteArray::fromStdString(file.filename().native()));
    const std::optional<QVariantMap> dict = Plist::readDictionary(file);
    if (!dict)
        return item;
    if (const std::optional<QString> label = Plist::text(*dict, QStringLiteral("Label")))
        item.label = *label;
    if (const std::optional<QString> program = Plist::text(*dict, QStringLiteral("Program"))) {
        item.program = *program;
    } else {
        const QVariant args = dict->value(QStringLiteral("ProgramArguments"));
        const QVariantList list = args.typeId() == QMetaType::QVariantList ? args.toList() : QVariantList();
        const bool allText = std::all_of(list.begin(), list.end(),
                                         [](const QVariant& v) { return v.typeId() == QMetaType::QString; });
        if (!list.isEmpty() && allText)
            item.program = list.first().toString();
    }
    return item;
}

std::vector<AgentItem> scanAgents(const std::vector<LaunchFolder>& folders)
{
    std::vector<AgentItem> items;
    for (const LaunchFolder& folder : folders) {
        const QString scope = L(folder.scope);
        for (const fs::path& child : FS::children(folder.folder)) {
            if (child.extension() == ".plist")
                items.push_back(agentFrom(child, scope, folder.userOwned));
        }
    }
    return items;
}

StartupRemoval removeStartupItem(const AgentItem& item, const Profiles::StartupSources& startup,
                                 const Removal::AdminRunner& admin)
{
    const bool launchd = item.kind == QLatin1String("launchd");
    const unsigned uid = getuid();
    if (item.userOwned) {
        if (launchd && startup.userUnloadCommand)
            Shell::run(startup.userUnloadCommand(item.url, uid));
        const Trash::MoveResult moved = Trash::moveToTrash(item.url);
        if (!moved.ok)
            return {false, LF("Não foi possível remover: %@", moved.error)};
        return {true, LF("“%@” desativado e movido para a Lixeira.", item.label)};
    }
    if (!launchd)
        return {false, LF("Não removido: %@", L("só as entradas do seu usuário podem ser removidas; desative esta."))};
    const std::string unload = startup.adminUnloadCommand ? startup.adminUnloadCommand(item.url, uid) : std::string();
    const Shell::Result result = Removal::adminTrash(item.url, unload, admin);
    if (!result.ok)
        return {false, LF("Não removido: %@", result.out)};
    return {true, LF("“%@” desativado e movido para a Lixeira.", item.label)};
}

std::vector<AgentItem> scanStartup(const Profiles::StartupSources& part)
{
    if (part.scan)
        return part.scan();
    return scanAgents(part.folders ? part.folders() : std::vector<LaunchFolder>{});
}

} // namespace Sweeper
