#include "engines/junk/SnapshotGroups.h"

#include <algorithm>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "engines/apps/LinuxPackageTools.h"
#include "engines/junk/LinuxSystemJunk.h"
#include "engines/junk/SystemJunkGroups.h"
#include "i18n/L.h"
#include "platform/AdminActions.h"
#include "platform/Fmt.h"

namespace SystemJunk {

using Snapshots::Snapshot;

namespace {

// Where a snapshot lies: SUBVOLUME/.snapshots/N.
std::filesystem::path snapshotFolder(const QString& subvolume, int number)
{
    return std::filesystem::path(encoded(subvolume)) / ".snapshots" / std::to_string(number);
}

QString shownDescription(const Snapshot& snapshot)
{
    return snapshot.description.trimmed().isEmpty() ? L("Sem descrição") : snapshot.description.simplified();
}

std::optional<std::int64_t> sumOf(std::optional<std::int64_t> a, std::optional<std::int64_t> b)
{
    if (!a || !b)
        return std::nullopt;
    return *a + *b;
}

// One item for a single snapshot, or for a pre snapshot and its post together.
JunkItem snapshotItem(const Snapshot& snapshot, const Snapshot* post)
{
    JunkItem item;
    item.url = snapshotFolder(snapshot.subvolume, snapshot.number);
    const QString number = QString::number(snapshot.number);
    item.name = post ? LF("%@ e %@ (antes e depois): %@", number, QString::number(post->number),
                          shownDescription(snapshot))
                     : number + QStringLiteral(": ") + shownDescription(snapshot);
    const std::optional<std::int64_t> bytes = post ? sumOf(snapshot.exclusiveBytes, post->exclusiveBytes)
                                                   : snapshot.exclusiveBytes;
    item.size = bytes.value_or(0);
    item.sizeKnown = bytes.has_value();
    item.selected = false;
    item.note = LF("Criado em %@", Fmt::date(snapshot.date));
    item.toolId = snapshot.config + QLatin1Char(':') + number;
    item.actions = {{Admin::kRemoveSnapperSnapshot,
                     {encoded(snapshot.config), number.toStdString(), post ? std::to_string(post->number) : "0"}}};
    return item;
}

// The item standing for a configuration this user may not read.
JunkItem unreadItem(const SnapperConfig& config)
{
    JunkItem item;
    item.url = std::filesystem::path(encoded(config.subvolume)) / ".snapshots";
    item.name = LF("Instantâneos de %@", config.subvolume);
    item.sizeKnown = false;
    item.note = L("Só o administrador pode ler esta lista");
    item.listedOnly = true;
    return item;
}

// The offered snapshots of one configuration's list, oldest first.
std::vector<JunkItem> offeredItems(const std::vector<Snapshot>& snapshots, const QDateTime& now)
{
    const std::vector<Snapshots::Verdict> verdicts = Snapshots::judge(snapshots, {}, now);
    std::vector<JunkItem> items;
    for (std::size_t i = 0; i < snapshots.size(); ++i) {
        const Snapshot& snapshot = snapshots[i];
        if (!verdicts[i].offered || snapshot.type == QLatin1String("post"))
            continue;
        const Snapshot* post = nullptr;
        if (snapshot.type == QLatin1String("pre")) {
            // judge offers a pre snapshot only with its post, which is offered too
            for (const Snapshot& other : snapshots)
                if (other.type == QLatin1String("post") && other.preNumber == snapshot.number)
                    post = &other;
            if (!post)
                continue;
        }
        items.push_back(snapshotItem(snapshot, post));
    }
    return items;
}

} // namespace

bool isSnapshotGroup(const QString& groupId)
{
    return groupId == QLatin1String("snapper") || groupId.startsWith(QLatin1String("timeshift"));
}

std::vector<std::filesystem::path> snapshotTrees(const std::filesystem::path& root,
                                                 const std::filesystem::path& procRoot)
{
    std::vector<std::filesystem::path> trees;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(root / "etc/snapper/configs", error)) {
        QFile file(QString::fromStdString(entry.path().native()));
        if (!entry.is_regular_file(error) || !file.open(QIODevice::ReadOnly))
            continue;
        // SUBVOLUME="/home": the shell-style line Snapper writes
        for (const QByteArray& line : file.read(64 * 1024).split('\n'))
            if (line.startsWith("SUBVOLUME=")) {
                const QByteArray value = line.mid(10).trimmed().replace('"', "");
                if (value.startsWith('/'))
                    trees.push_back(std::filesystem::path(value.toStdString()) / ".snapshots");
            }
    }
    if (const std::optional<Snapshots::TimeshiftPlace> place = Snapshots::findTimeshift(root, procRoot))
        trees.push_back(place->snapshots);
    return trees;
}

std::optional<std::vector<SnapperConfig>> parseSnapperConfigs(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    const QJsonValue configs = document.object().value(QLatin1String("configs"));
    if (error.error != QJsonParseError::NoError || !configs.isArray())
        return std::nullopt;
    std::vector<SnapperConfig> found;
    for (const QJsonValue& row : configs.toArray()) {
        SnapperConfig config{row.toObject().value(QLatin1String("config")).toString(),
                             row.toObject().value(QLatin1String("subvolume")).toString()};
        if (Admin::isSnapperConfigName(encoded(config.name)) && config.subvolume.startsWith(QLatin1Char('/')))
            found.push_back(std::move(config));
    }
    return found;
}

std::optional<SnapperOutputs> readSnapper(bool asRoot, const std::function<Shell::Result(const std::string&)>& run)
{
    const std::string snapper = asRoot ? "nice -n 19 snapper --no-dbus --jsonout" : "nice -n 19 snapper --jsonout";
    const auto output = [&](const std::string& command) -> std::optional<QByteArray> {
        const Shell::Result result = run(LinuxApps::toolCommand(snapper + ' ' + command + " 2>/dev/null"));
        return result.ok ? std::optional(result.out.toUtf8()) : std::nullopt;
    };
    SnapperOutputs outputs;
    outputs.mayMeasure = !asRoot;
    const std::optional<QByteArray> configs = output("list-configs");
    if (!configs)
        return std::nullopt;
    outputs.configs = *configs;
    const std::vector<SnapperConfig> parsed = parseSnapperConfigs(outputs.configs).value_or(std::vector<SnapperConfig>{});
    if (parsed.empty())
        return std::nullopt;
    // Names are checked by the parser, so they reach the shell as themselves.
    for (const SnapperConfig& config : parsed)
        if (std::optional<QByteArray> list = output("-c " + encoded(config.name) + " list"))
            outputs.lists[config.name] = *list;
    return outputs;
}

std::optional<JunkGroup> snapperGroup(const SnapperOutputs& outputs, const QDateTime& now)
{
    const std::optional<std::vector<SnapperConfig>> configs = parseSnapperConfigs(outputs.configs);
    if (!configs)
        return std::nullopt;
    JunkGroup group = systemGroup("snapper", L("Instantâneos do Snapper"),
                                  L("Caminhos de volta após uma atualização; o mais recente e os que o sistema usa ficam"),
                                  "clock.arrow.circlepath");
    group.oneByOne = true;
    for (const SnapperConfig& config : *configs) {
        const auto list = outputs.lists.find(config.name);
        std::optional<std::vector<Snapshot>> snapshots =
            list == outputs.lists.end() ? std::nullopt : Snapshots::parseSnapperList(list->second);
        if (snapshots)
            std::erase_if(*snapshots, [&](const Snapshot& s) { return s.config != config.name; });
        if (!snapshots) {
            group.items.push_back(unreadItem(config));
            if (outputs.mayMeasure)
                group.measure.push_back({Admin::kMeasureSnapshots, {encoded(config.name)}});
            continue;
        }
        std::vector<JunkItem> items = offeredItems(*snapshots, now);
        if (outputs.mayMeasure && std::any_of(items.begin(), items.end(), [](const JunkItem& i) { return !i.sizeKnown; }))
            group.measure.push_back({Admin::kMeasureSnapshots, {encoded(config.name)}});
        std::move(items.begin(), items.end(), std::back_inserter(group.items));
    }
    // Data that only some of the listed snapshots share is in none of their
    // exclusive sizes: together they free more than the sum.
    group.atLeast = std::count_if(group.items.begin(), group.items.end(),
                                  [](const JunkItem& item) { return !item.listedOnly; }) > 1;
    if (group.items.empty())
        return std::nullopt;
    return group;
}

std::optional<TimeshiftOutputs> readTimeshiftBtrfs(const std::function<Shell::Result(const std::string&)>& run)
{
    const std::optional<Snapshots::TimeshiftPlace> place = Snapshots::findTimeshift("/");
    if (!place || !place->btrfs)
        return std::nullopt;
    // TOP/timeshift-btrfs/snapshots: the file system's top level is two folders up.
    const std::string top = Shell::q(place->snapshots.parent_path().parent_path().native());
    const auto output = [&](const std::string& command) {
        const Shell::Result result = run(LinuxApps::toolCommand("nice -n 19 btrfs " + command + " 2>/dev/null"));
        return result.ok ? result.out : QString();
    };
    return TimeshiftOutputs{output("qgroup show --raw " + top), output("subvolume list " + top)};
}

std::optional<JunkGroup> timeshiftGroup(const std::filesystem::path& root, const std::filesystem::path& procRoot,
                                        const std::optional<TimeshiftOutputs>& btrfs, const QDateTime& now)
{
    const std::optional<Snapshots::TimeshiftPlace> place = Snapshots::findTimeshift(root, procRoot);
    if (!place)
        return std::nullopt;
    const std::vector<Snapshots::TimeshiftSnapshot> snapshots = Snapshots::listTimeshift(place->snapshots);
    const std::vector<Snapshots::Verdict> verdicts = Snapshots::judgeTimeshift(snapshots, now);
    const auto exclusive = btrfs ? Snapshots::parseQgroupShow(btrfs->qgroupShow) : std::map<std::int64_t, std::int64_t>{};
    const auto ids = btrfs ? Snapshots::parseSubvolumeList(btrfs->subvolumeList) : std::map<QString, std::int64_t>{};

    JunkGroup group = systemGroup("timeshift",
                                  place->btrfs ? L("Instantâneos do Timeshift (btrfs)") : L("Instantâneos do Timeshift (rsync)"),
                                  L("Caminhos de volta após uma atualização; o mais recente e os que o sistema usa ficam"),
                                  "clock.arrow.circlepath");
    group.oneByOne = true;
    for (std::size_t i = 0; i < snapshots.size(); ++i) {
        if (!verdicts[i].offered)
            continue;
        const Snapshots::TimeshiftSnapshot& snapshot = snapshots[i];
        std::optional<std::int64_t> bytes;
        if (place->btrfs) {
            bytes = Snapshots::btrfsExclusiveBytes(snapshot.name, exclusive, ids);
        } else if (const Snapshots::Freed freed = Snapshots::rsyncExclusiveBytes(snapshot.folder); freed.complete) {
            bytes = freed.bytes;
        }
        JunkItem item;
        item.url = snapshot.folder;
        item.name = snapshot.comments.trimmed().isEmpty() ? snapshot.name
                                                          : snapshot.name + QStringLiteral(": ") + snapshot.comments.simplified();
        item.size = bytes.value_or(0);
        item.sizeKnown = bytes.has_value();
        item.note = snapshot.tags.join(QStringLiteral(", "));
        item.toolId = snapshot.name;
        item.actions = {{Admin::kRemoveTimeshiftSnapshot, {encoded(snapshot.name)}}};
        group.items.push_back(std::move(item));
    }
    group.atLeast = group.items.size() > 1;
    if (group.items.empty())
        return std::nullopt;
    return group;
}

SnapperOutputs withMeasured(SnapperOutputs outputs, const std::map<QString, QByteArray>& measured)
{
    for (const auto& [config, list] : measured)
        outputs.lists[config] = list;
    outputs.mayMeasure = false;
    return outputs;
}

} // namespace SystemJunk
