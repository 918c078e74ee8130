#include "engines/startup/MacLaunchItems.h"

#include <algorithm>

#include <unistd.h>

#include <QFile>

#include "engines/removal/Removal.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "platform/Plist.h"
#include "platform/Shell.h"

namespace fs = std::filesystem;

namespace MacStartup {

std::string userUnloadCommand(const fs::path& item, unsigned uid)
{
    return "launchctl bootout gui/" + std::to_string(uid) + " " + Shell::q(item.native()) + " 2>/dev/null";
}

std::string adminUnloadCommand(const fs::path& item, unsigned uid)
{
    const bool daemon = item.native().rfind("/Library/LaunchDaemons", 0) == 0;
    const std::string domain = daemon ? std::string("system") : "gui/" + std::to_string(uid);
    return "launchctl bootout " + domain + " " + Shell::q(item.native()) + " 2>/dev/null";
}

namespace {

StartupChange remove(const AgentItem& item, const Admin::Runner& admin)
{
    const unsigned uid = getuid();
    if (item.userOwned) {
        Shell::run(userUnloadCommand(item.url, uid));
        return Startup::trashUserItem(item);
    }
    const Admin::Reply reply = Removal::adminTrash(item.url, adminUnloadCommand(item.url, uid), admin);
    if (!reply.ok)
        return {false, LF("Não removido: %@", reply.reason)};
    return {true, LF("“%@” desativado e movido para a Lixeira.", item.label)};
}

} // namespace

AgentItem agentFrom(const fs::path& file, const QString& scope, bool userOwned)
{
    AgentItem item;
    item.url = file;
    item.label = QFile::decodeName(QByteArray::fromStdString(file.stem().native()));
    item.program = QStringLiteral("—");
    item.scope = scope;
    item.userOwned = userOwned;
    item.key = QFile::decodeName(QByteArray::fromStdString(file.filename().native()));
    item.kind = QStringLiteral("launchd");
    item.removable = true;
    item.stopsFirst = true;
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

StartupBackend backend(const std::vector<LaunchFolder>& folders)
{
    StartupBackend backend;
    backend.scan = [folders] { return scanAgents(folders); };
    backend.remove = remove;
    return backend;
}

} // namespace MacStartup
