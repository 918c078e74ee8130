#include "engines/junk/SystemJunkGroups.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

#include "engines/apps/LinuxPackageTools.h"
#include "engines/common/NeverTouchList.h"
#include "engines/junk/LinuxSystemJunk.h"
#include "i18n/L.h"
#include "platform/AdminActions.h"

namespace fs = std::filesystem;

namespace SystemJunk {

namespace {

bool present(const fs::path& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

// How a system place is named for people: its path on the real system.
QString shownPath(const char* relative)
{
    return QStringLiteral("/") + QString::fromUtf8(relative);
}


JunkItem itemOf(fs::path url, QString name, std::optional<std::int64_t> bytes, bool selected,
                std::vector<Admin::Action> actions)
{
    JunkItem item;
    item.url = std::move(url);
    item.name = std::move(name);
    item.size = bytes.value_or(0);
    item.sizeKnown = bytes.has_value();
    item.selected = selected;
    item.actions = std::move(actions);
    return item;
}

void largestFirst(JunkGroup& group)
{
    std::stable_sort(group.items.begin(), group.items.end(),
                     [](const JunkItem& a, const JunkItem& b) { return a.size > b.size; });
}

// A group of one item standing for every file of `found` (nothing when it
// found nothing and could read everything).
std::optional<JunkItem> wholeItem(const Found& found, const fs::path& root, const char* relative, bool selected,
                                  std::vector<Admin::Action> actions)
{
    if (found.complete && found.files.empty())
        return std::nullopt;
    return itemOf(root / relative, shownPath(relative), found.total(), selected, std::move(actions));
}

// Each file of `found` an item removed by `verb` with its name.
void fileItems(JunkGroup& group, const Found& found, const char* verb)
{
    for (const SystemFile& file : found.files)
        group.items.push_back(itemOf(file.path, decoded(file.name), file.bytes, true, {{verb, {file.name}}}));
    largestFirst(group);
}

// ---- The groups, one function each --------------------------------------------

std::optional<JunkGroup> packageCaches(const fs::path& root)
{
    JunkGroup group = systemGroup("pkgcache", L("Pacotes baixados"),
                              L("Pacotes baixados que já foram instalados"), "shippingbox");
    const char* apt = "var/cache/apt/archives";
    if (present(root / apt))
        if (std::optional<JunkItem> item =
                wholeItem(aptArchives(root), root, apt, true, {{Admin::kCleanPackageCache, {"apt"}}}))
            group.items.push_back(std::move(*item));
    const char* dnf = "var/cache/dnf";
    if (present(root / dnf)) {
        const std::optional<std::int64_t> bytes = dnfCacheBytes(root);
        if (bytes != 0)
            group.items.push_back(
                itemOf(root / dnf, shownPath(dnf), bytes, true, {{Admin::kCleanPackageCache, {"dnf"}}}));
    }
    const char* pacman = "var/cache/pacman/pkg";
    if (present(root / pacman))
        if (std::optional<JunkItem> item =
                wholeItem(pacmanCache(root), root, pacman, true, {{Admin::kCleanPackageCache, {"pacman"}}}))
            group.items.push_back(std::move(*item));
    if (group.items.empty())
        return std::nullopt;
    return group;
}

std::optional<JunkGroup> journal(const fs::path& root, std::chrono::system_clock::time_point now)
{
    const char* folder = "var/log/journal";
    std::optional<JunkItem> item =
        wholeItem(oldJournals(root, now), root, folder, false, {{Admin::kVacuumJournal, {}}});
    if (!item)
        return std::nullopt;
    JunkGroup group = systemGroup("journal", L("Diário do sistema antigo"),
                              L("Registros do sistema com mais de duas semanas"), "doc.text");
    group.items.push_back(std::move(*item));
    return group;
}

std::optional<JunkGroup> snaps(const SystemPlaces& places, const std::optional<QString>& snapListAll)
{
    if (!snapListAll)
        return std::nullopt;
    const fs::path& root = places.root;
    // A revision a program still runs from is never offered.
    const std::set<std::string> running = runningSnapRevisions(places.procRoot);
    JunkGroup group = systemGroup("snaps", L("Versões antigas de Snaps"),
                              L("Revisões que o Snap guarda depois de cada atualização"), "square.stack.3d.up");
    for (const OldSnap& snap : oldSnapRevisions(*snapListAll, root)) {
        if (running.contains(encoded(snap.name + '_' + snap.revision)))
            continue;
        JunkItem item = itemOf(snap.file, snap.name + ' ' + snap.version + QStringLiteral(" (") + snap.revision + ')',
                               snap.bytes, true,
                               {{Admin::kRemoveSnapRevision, {encoded(snap.name), encoded(snap.revision)}}});
        item.note = L("Não será possível voltar a esta versão");
        group.items.push_back(std::move(item));
    }
    if (group.items.empty())
        return std::nullopt;
    largestFirst(group);
    return group;
}

std::optional<JunkGroup> flatpakRuntimes(const SystemPlaces& places, const std::optional<QString>& flatpakList)
{
    if (!flatpakList)
        return std::nullopt;
    std::map<QString, fs::path> installations{{QStringLiteral("system"), places.root / "var/lib/flatpak"}};
    if (!places.userFlatpak.empty())
        installations.emplace(QStringLiteral("user"), places.userFlatpak);
    JunkGroup group = systemGroup("flatpak", L("Runtimes Flatpak sem uso"),
                              L("Bases de apps que nenhum app instalado usa mais"), "app");
    for (const UnusedRuntime& runtime : unusedFlatpakRuntimes(*flatpakList, installations)) {
        // Only the two installations flatpak names plainly: another system
        // installation is none the helper's "uninstall --system" reaches.
        const bool system = runtime.installation == QLatin1String("system");
        if (!system && !(runtime.installation == QLatin1String("user") && !places.userFlatpak.empty()))
            continue;
        std::vector<Admin::Action> actions;
        if (system)
            actions.push_back({Admin::kRemoveFlatpakRuntimes, {encoded(runtime.ref)}});
        group.items.push_back(itemOf(runtime.folder, runtime.ref.section('/', 1), runtime.bytes, false, std::move(actions)));
    }
    if (group.items.empty())
        return std::nullopt;
    largestFirst(group);
    return group;
}

std::optional<JunkGroup> crashFiles(const Found& found, JunkGroup group, const char* verb)
{
    fileItems(group, found, verb);
    if (group.items.empty())
        return std::nullopt;
    return group;
}

std::optional<JunkGroup> rotated(const fs::path& root)
{
    const Found found = rotatedLogs(root);
    if (found.files.empty())
        return std::nullopt;
    JunkGroup group = systemGroup("oldlogs", L("Logs antigos do sistema"),
                              L("Logs já arquivados em /var/log, ao lado do log atual"), "archivebox.fill");
    // Each archived file its own row, named by its full path, removed by the
    // one action that takes exactly it: never a row that reads like the folder.
    for (const SystemFile& file : found.files)
        group.items.push_back(itemOf(file.path, shownPath("var/log/") + decoded(file.name), file.bytes, true,
                                     {{Admin::kRemoveRotatedLog, {file.name}}}));
    largestFirst(group);
    return group;
}

std::optional<JunkGroup> needlessPackages(const ToolOutputs& outputs)
{
    if (!outputs.aptAutoremove)
        return std::nullopt;
    JunkGroup group = systemGroup("autoremove", L("Pacotes que nada usa"),
                              L("Dependências instaladas automaticamente de que nenhum pacote precisa mais"),
                              "shippingbox.fill");
    for (const NeedlessPackage& package :
         packagesNothingNeeds(*outputs.aptAutoremove, outputs.dpkgShow, outputs.kernelRelease)) {
        const QString name = package.version.isEmpty() ? package.name : package.name + ' ' + package.version;
        group.items.push_back(
            itemOf({}, name, package.bytes, false, {{Admin::kRemovePackages, {encoded(package.name)}}}));
    }
    if (group.items.empty())
        return std::nullopt;
    largestFirst(group);
    return group;
}

// While the package manager works, nothing of its is ticked, and each item says who holds it.
void heldBy(JunkGroup& group, const LockHolder& holder)
{
    group.held = true;
    for (JunkItem& item : group.items) {
        item.selected = false;
        item.note = LF("Em uso por %@", holder.name);
    }
}

// Whether the helper removes the item as the one file it names (a core dump,
// a crash report, a rotated log), not as a whole its tool decides on.
bool removedAsFile(const JunkItem& item)
{
    return !item.actions.empty()
           && std::all_of(item.actions.begin(), item.actions.end(), [](const Admin::Action& action) {
                  return action.verb == Admin::kRemoveCoreDump || action.verb == Admin::kRemoveCrashReport
                         || action.verb == Admin::kRemoveRotatedLog;
              });
}

// What the never-touch list asks of a group: a file the list covers is not
// offered (returns how many); an item a tool removes as a whole (the package
// cache, the journal, a Snap revision, a Flatpak runtime) that is or holds a
// place of the list holds the whole group back, every row saying why.
int honourNeverTouch(JunkGroup& group, const NeverTouchList& never)
{
    if (never.empty())
        return 0;
    const std::size_t before = group.items.size();
    // A volume goes one by one, so only the one the list covers stays out.
    const auto alone = [&group](const JunkItem& item) { return group.oneByOne || removedAsFile(item); };
    std::erase_if(group.items, [&](const JunkItem& item) { return alone(item) && never.covers(item.url); });
    const bool touched = std::any_of(group.items.begin(), group.items.end(), [&](const JunkItem& item) {
        return !item.url.empty() && !alone(item) && never.touches(item.url);
    });
    if (touched) {
        group.held = true;
        for (JunkItem& item : group.items) {
            item.selected = false;
            item.note = L("Contém um lugar da lista Nunca tocar");
        }
    }
    return int(before - group.items.size());
}

// A package tool of the scan: in the C locale with a time limit, and behind
// the folder walks for the processor (apt-get works for seconds, and the
// home folder's groups are listed no later for it).
std::string scanTool(const std::string& command)
{
    return LinuxApps::toolCommand("nice -n 19 " + command + " 2>/dev/null");
}

} // namespace


bool isGroupId(const QString& id)
{
    for (const char* known : kGroupIds)
        if (id == QLatin1String(known))
            return true;
    return false;
}

void sortGroups(std::vector<JunkGroup>& groups)
{
    const auto rank = [](const JunkGroup& group) {
        int index = 0;
        for (const char* known : kGroupIds) {
            if (group.id == QLatin1String(known))
                return index;
            ++index;
        }
        return -1;  // not the system's: ahead, in its own order
    };
    std::stable_sort(groups.begin(), groups.end(),
                     [&rank](const JunkGroup& a, const JunkGroup& b) { return rank(a) < rank(b); });
}

JunkGroup systemGroup(const char* id, const QString& title, const QString& detail, const char* symbol)
{
    JunkGroup group;
    group.id = QString::fromUtf8(id);
    group.title = title;
    group.detail = detail;
    group.symbol = QString::fromUtf8(symbol);
    group.permanent = true;
    group.admin = true;
    return group;
}

ToolOutputs runTools(Part part, const ToolRunner& run)
{
    // A tool that is not there ends with 127 (nice cannot start it): nothing.
    const auto output = [&run](const std::string& command) -> std::optional<QString> {
        const Shell::Result result = run(scanTool(command));
        return result.ok ? std::optional(result.out) : std::nullopt;
    };
    ToolOutputs outputs;
    switch (part) {
    case Part::Files:
        break;
    case Part::Snaps:
        outputs.snapListAll = output("snap list --all");
        break;
    case Part::Flatpak:
        outputs.flatpakList = output(std::string("flatpak list --columns=") + LinuxApps::kFlatpakRefColumns);
        break;
    case Part::Podman:
        outputs.podman = readContainerTool(kPodman, run);
        break;
    case Part::Docker:
        outputs.docker = readContainerTool(kDocker, run);
        break;
    case Part::Snapshots:
        outputs.snapper = readSnapper(geteuid() == 0, run);
        outputs.timeshiftBtrfs = readTimeshiftBtrfs(run);
        break;
    case Part::Packages:
        outputs.aptAutoremove = output("apt-get -s autoremove");
        if (outputs.aptAutoremove) {
            std::string names;
            for (const QString& name : LinuxApps::parseAptRemovals(*outputs.aptAutoremove))
                names += ' ' + Shell::q(encoded(name));
            // dpkg-query ends with 1 when one name is unknown; the others' lines stand.
            if (!names.empty())
                outputs.dpkgShow = run(scanTool(std::string("dpkg-query -W -f=") + Shell::q(LinuxApps::kDpkgShowFormat)
                                                + " --" + names))
                                       .out;
            outputs.kernelRelease = output("uname -r").value_or(QString()).trimmed();
        }
        break;
    }
    return outputs;
}

ToolOutputs runTools(const ToolRunner& run)
{
    ToolOutputs all;
    all.snapListAll = runTools(Part::Snaps, run).snapListAll;
    all.flatpakList = runTools(Part::Flatpak, run).flatpakList;
    const ToolOutputs packages = runTools(Part::Packages, run);
    all.aptAutoremove = packages.aptAutoremove;
    all.dpkgShow = packages.dpkgShow;
    all.kernelRelease = packages.kernelRelease;
    all.podman = runTools(Part::Podman, run).podman;
    all.docker = runTools(Part::Docker, run).docker;
    const ToolOutputs snapshots = runTools(Part::Snapshots, run);
    all.snapper = snapshots.snapper;
    all.timeshiftBtrfs = snapshots.timeshiftBtrfs;
    return all;
}

JunkFound partGroups(Part part, const SystemPlaces& places, const ToolOutputs& outputs, const NeverTouchList& never,
                     std::chrono::system_clock::time_point now)
{
    const fs::path& root = places.root;
    std::vector<std::optional<JunkGroup>> found;
    switch (part) {
    case Part::Files:
        found.push_back(packageCaches(root));
        found.push_back(journal(root, now));
        found.push_back(crashFiles(coreDumps(root),
                                   systemGroup("coredumps", L("Despejos de memória"),
                                           L("Memória de programas que travaram, guardada para depuração"),
                                           "memorychip"),
                                   Admin::kRemoveCoreDump));
        found.push_back(crashFiles(crashReports(root),
                                   systemGroup("crashes", L("Relatórios de falha do sistema"),
                                           L("Relatórios de programas que travaram, em /var/crash"), "doc.text.fill"),
                                   Admin::kRemoveCrashReport));
        found.push_back(rotated(root));
        break;
    case Part::Snaps:
        found.push_back(snaps(places, outputs.snapListAll));
        break;
    case Part::Flatpak:
        found.push_back(flatpakRuntimes(places, outputs.flatpakList));
        break;
    case Part::Packages:
        found.push_back(needlessPackages(outputs));
        break;
    case Part::Podman:
        if (outputs.podman) {
            found.push_back(containerGroup(kPodman, *outputs.podman));
            found.push_back(volumeGroup(kPodman, *outputs.podman));
        }
        break;
    case Part::Docker:
        if (outputs.docker) {
            found.push_back(containerGroup(kDocker, *outputs.docker));
            found.push_back(volumeGroup(kDocker, *outputs.docker));
        }
        break;
    case Part::Snapshots:
    {
        const QDateTime at = QDateTime::fromSecsSinceEpoch(std::chrono::system_clock::to_time_t(now));
        if (outputs.snapper)
            found.push_back(snapperGroup(*outputs.snapper, at));
        found.push_back(timeshiftGroup(root, places.procRoot, outputs.timeshiftBtrfs, at));
        break;
    }
    }

    JunkFound result;
    for (std::optional<JunkGroup>& group : found) {
        if (!group)
            continue;
        if (group->id == QLatin1String("pkgcache") || group->id == QLatin1String("autoremove"))
            if (const std::optional<LockHolder> holder = packageLockHolder(root, places.procRoot))
                heldBy(*group, *holder);
        result.ignored += honourNeverTouch(*group, never);
        if (!group->items.empty())
            result.groups.push_back(std::move(*group));
    }
    return result;
}

Measured measurePart(const JunkGroup& group, const SystemPlaces& places, const ToolRunner& run,
                     const Admin::Runner& admin, const NeverTouchList& never, std::chrono::system_clock::time_point now)
{
    if (group.measure.empty())
        return {};
    const Admin::Reply reply = admin(Admin::Request{group.measure, {}});
    if (!reply.ok)
        return {{}, reply.reason};
    // Each configuration's list, as the helper read it.
    std::map<QString, QByteArray> measured;
    for (std::size_t i = 0; i < group.measure.size() && i < reply.details.size(); ++i)
        measured[decoded(group.measure[i].args.front())] = reply.details[i].toUtf8();
    ToolOutputs outputs = runTools(Part::Snapshots, run);
    if (!outputs.snapper)
        return {{}, L("O Snapper não respondeu.")};
    outputs.snapper = withMeasured(std::move(*outputs.snapper), measured);
    return {partGroups(Part::Snapshots, places, outputs, never, now), {}};
}

std::vector<JunkGroup> systemGroups(const SystemPlaces& places, const ToolOutputs& outputs,
                                    std::chrono::system_clock::time_point now)
{
    std::vector<JunkGroup> groups;
    for (Part part : kParts)
        for (JunkGroup& group : partGroups(part, places, outputs, NeverTouchList(), now).groups)
            groups.push_back(std::move(group));
    sortGroups(groups);
    return groups;
}

} // namespace SystemJunk
