// Applications from desktop entries: discovery, owners from the package
// tools, leftovers with the guard, and the removal plan.
// GLib first: its headers use the word "signals", which Qt turns into a macro.
#include <gio/gdesktopappinfo.h>
#include <glib.h>
#undef signals

#include "engines/apps/LinuxDesktopApps.h"

#include <algorithm>
#include <map>
#include <set>

#include <QCollator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include "engines/common/Names.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "platform/Processes.h"

namespace LinuxApps {

namespace {

QString text(const fs::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

fs::path pathOf(const QString& text)
{
    return fs::path(QFile::encodeName(text).toStdString());
}

bool existsDir(const fs::path& path)
{
    std::error_code ec;
    return fs::is_directory(path, ec);
}

bool isUnder(const fs::path& path, const fs::path& folder)
{
    if (folder.empty())
        return false;
    const std::string p = path.lexically_normal().native();
    std::string f = folder.lexically_normal().native();
    if (!f.empty() && f.back() != '/')
        f += '/';
    return p.rfind(f, 0) == 0;
}

// An owned GLib pointer, freed by its own function.
template <typename T>
struct GFree {
    void operator()(T* p) const { g_object_unref(p); }
};
using AppInfoPtr = std::unique_ptr<GDesktopAppInfo, GFree<GDesktopAppInfo>>;

QString takeGString(char* value)
{
    if (!value)
        return {};
    QString result = QString::fromUtf8(value);
    g_free(value);
    return result;
}

QString gText(const char* value)
{
    return value ? QString::fromUtf8(value) : QString();
}

QStringList parseArgv(const QString& line)
{
    int argc = 0;
    char** argv = nullptr;
    QStringList result;
    if (!g_shell_parse_argv(line.toUtf8().constData(), &argc, &argv, nullptr))
        return result;
    for (int i = 0; i < argc; ++i)
        result << QString::fromUtf8(argv[i]);
    g_strfreev(argv);
    return result;
}

// What one desktop entry says, read with GLib.
struct Entry {
    fs::path file;
    QString id;
    QString name;
    QString icon;
    QString wmClass;
    QString exec;
    QString snapInstance;
    QString flatpakId;
};

bool showsIn(GDesktopAppInfo* info, const QStringList& desktops)
{
    if (desktops.isEmpty())
        return g_desktop_app_info_get_show_in(info, "");
    for (const QString& desktop : desktops)
        if (g_desktop_app_info_get_show_in(info, desktop.toUtf8().constData()))
            return true;
    return false;
}

std::optional<Entry> readEntry(const fs::path& file, const QString& id, const QStringList& desktops)
{
    // NULL for a file that is no readable desktop entry of Type=Application,
    // or whose TryExec program is not found.
    AppInfoPtr info(g_desktop_app_info_new_from_filename(file.c_str()));
    if (!info)
        return std::nullopt;
    GDesktopAppInfo* raw = info.get();
    if (g_desktop_app_info_get_nodisplay(raw) || g_desktop_app_info_get_is_hidden(raw) || !showsIn(raw, desktops))
        return std::nullopt;
    Entry entry;
    entry.file = file;
    entry.id = id;
    entry.name = gText(g_app_info_get_name(G_APP_INFO(raw)));
    entry.icon = takeGString(g_desktop_app_info_get_string(raw, "Icon"));
    entry.wmClass = gText(g_desktop_app_info_get_startup_wm_class(raw));
    entry.exec = gText(g_app_info_get_commandline(G_APP_INFO(raw)));
    entry.snapInstance = takeGString(g_desktop_app_info_get_string(raw, "X-SnapInstanceName"));
    entry.flatpakId = takeGString(g_desktop_app_info_get_string(raw, "X-Flatpak"));
    // a Name that is missing or not UTF-8 (GLib then says "Unnamed"): the id
    if (takeGString(g_desktop_app_info_get_string(raw, "Name")).isEmpty())
        entry.name = QString(id).remove(QRegularExpression(QStringLiteral("\\.desktop$")));
    return entry;
}

bool isOwnProgram(const Entry& entry, const ExecTarget& target)
{
    const QString own = Sweeper::ownIdentifier();
    return entry.id.contains(own, Qt::CaseInsensitive)
           || QFileInfo(target.program).fileName().compare(QLatin1String("quillmoor"), Qt::CaseInsensitive) == 0;
}

// The program as a path: a name is looked up on PATH; links kept.
fs::path findProgram(const QString& program)
{
    if (program.isEmpty())
        return {};
    if (program.contains('/'))
        return pathOf(program).lexically_normal();
    char* where = g_find_program_in_path(QFile::encodeName(program).constData());
    if (!where)
        return {};
    const fs::path found(where);
    g_free(where);
    return found.lexically_normal();
}

// The same with links (alternatives) resolved.
fs::path resolveProgram(const QString& program)
{
    const fs::path found = findProgram(program);
    if (found.empty())
        return {};
    std::error_code ec;
    const fs::path real = fs::canonical(found, ec);
    return ec ? found : real;
}

bool isInterpreter(const QString& name)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(python[0-9.]*|perl[0-9.]*|ruby[0-9.]*|node|nodejs|gjs|lua[0-9.]*|php[0-9.]*|mono|wine|wine64)$"));
    return pattern.match(name).hasMatch();
}

bool isShell(const QString& name)
{
    static const QStringList shells{"sh", "bash", "dash", "zsh", "ksh"};
    return shells.contains(name);
}

std::string quoteAll(const std::vector<std::string>& words)
{
    std::string line;
    for (const std::string& word : words)
        line += " " + Shell::q(word);
    return line;
}

// The applications folders' owner facts, gathered with one call of each tool.
struct Owners {
    std::map<std::string, QString> packageOfPath;
    std::map<QString, PackageFacts> packages;
    std::map<QString, QString> flatpaks;      // id → version
    std::map<QString, SnapFacts> snaps;
};

std::map<std::string, QString> searchPackages(const std::vector<std::string>& paths, const CommandRunner& run)
{
    if (paths.empty())
        return {};
    return parseDpkgSearch(run(toolCommand("dpkg-query -S" + quoteAll(paths) + " 2>/dev/null")).out);
}

void showPackages(const std::set<QString>& names, Owners& owners, const CommandRunner& run)
{
    std::vector<std::string> wanted;
    for (const QString& name : names)
        if (!owners.packages.count(name))
            wanted.push_back(name.toStdString());
    if (wanted.empty())
        return;
    const QString out = run(toolCommand(std::string("dpkg-query -W -f=") + Shell::q(kDpkgShowFormat) + " --"
                                        + quoteAll(wanted) + " 2>/dev/null"))
                            .out;
    for (auto& [name, facts] : parseDpkgShow(out))
        owners.packages[name] = facts;
}

std::optional<AppInfo> appFrom(const Entry& entry, const Sources& sources, const Owners& owners)
{
    const ExecTarget target = execTarget(entry.exec);
    AppInfo app;
    app.url = entry.file;
    app.name = entry.name;
    app.bundleID = entry.id;
    app.icon = entry.icon;
    app.executable = resolveProgram(target.program);
    app.program = findProgram(target.program);
    app.ownItem = entry.file;

    QString appId;  // a Flatpak or Snap id
    const auto inFlatpak = [&](const fs::path& installation) {
        return !installation.empty() && isUnder(entry.file, installation / "exports");
    };
    if (inFlatpak(sources.flatpakUser) || inFlatpak(sources.flatpakSystem)) {
        const bool user = inFlatpak(sources.flatpakUser);
        appId = !entry.flatpakId.isEmpty() ? entry.flatpakId : QString(entry.id).remove(QRegularExpression("\\.desktop$"));
        app.ownerKind = AppOwner::flatpak;
        app.ownerName = appId;
        app.version = owners.flatpaks.count(appId) ? owners.flatpaks.at(appId) : QString();
        app.ownItem = (user ? sources.flatpakUser : sources.flatpakSystem) / "app" / pathOf(appId);
        app.systemWide = !user;
        app.bundleID = appId;
    } else if (!sources.snapDesktop.empty() && isUnder(entry.file, sources.snapDesktop)) {
        appId = entry.snapInstance;
        if (appId.isEmpty())
            appId = text(entry.file.filename()).section('_', 0, 0).remove(QRegularExpression("\\.desktop$"));
        app.ownerKind = AppOwner::snap;
        app.ownerName = appId;
        const auto facts = owners.snaps.find(appId);
        if (facts != owners.snaps.end()) {
            app.version = facts->second.version;
            app.ownItem = sources.snapFiles / pathOf(appId + "_" + facts->second.revision + ".snap");
        }
    } else if (target.program.endsWith(QLatin1String(".appimage"), Qt::CaseInsensitive)
               && fs::is_regular_file(pathOf(target.program))) {
        app.ownerKind = AppOwner::appimage;
        app.ownerName = target.program;
        app.ownItem = pathOf(target.program);
    } else if (const auto owned = owners.packageOfPath.find(entry.file.native()); owned != owners.packageOfPath.end()) {
        QString package = owned->second;
        const auto facts = owners.packages.find(package);
        if (facts != owners.packages.end() && facts->second.neverOffered) {
            // The entry belongs to a package the system needs: the package of
            // the program it runs owns the application instead, when that one may go.
            const auto runs = owners.packageOfPath.find(app.executable.native());
            if (runs == owners.packageOfPath.end())
                return std::nullopt;
            const auto runFacts = owners.packages.find(runs->second);
            if (runFacts == owners.packages.end() || runFacts->second.neverOffered)
                return std::nullopt;
            package = runs->second;
        }
        const PackageFacts& chosen = owners.packages.count(package) ? owners.packages.at(package) : PackageFacts{};
        app.ownerKind = AppOwner::package;
        app.ownerName = package;
        app.version = chosen.version;
        app.knownSize = chosen.installedBytes > 0 ? chosen.installedBytes : -1;
    } else if (isUnder(entry.file, sources.userFolder)) {
        app.ownerKind = AppOwner::local;
        app.ownerName = text(entry.file);
    } else {
        app.ownerKind = AppOwner::none;
    }
    if (appId.isEmpty())
        appId = target.appId;
    app.keys = matchKeys(entry.id, app.ownerKind == AppOwner::package ? app.ownerName : QString(),
                         QFileInfo(target.program).fileName(), entry.wmClass, appId);
    return app;
}

// The entries of the folders, each id once (the first folder wins).
std::vector<Entry> collectEntries(const Sources& sources)
{
    std::vector<Entry> entries;
    std::set<std::string> ids;  // raw bytes: two names that are not UTF-8 stay apart
    for (const fs::path& folder : sources.folders) {
        std::error_code ec;
        fs::recursive_directory_iterator walk(folder, fs::directory_options::skip_permission_denied, ec);
        for (; !ec && walk != fs::recursive_directory_iterator(); walk.increment(ec)) {
            const fs::path& file = walk->path();
            if (walk.depth() > 4) {
                walk.disable_recursion_pending();
                continue;
            }
            std::error_code typeError;
            if (file.extension() != ".desktop" || !walk->is_regular_file(typeError))
                continue;
            std::string raw = file.lexically_relative(folder).native();
            std::replace(raw.begin(), raw.end(), '/', '-');
            if (!ids.insert(raw).second)
                continue;
            const QString id = desktopId(folder, file);
            if (std::optional<Entry> entry = readEntry(file, id, sources.desktops))
                entries.push_back(std::move(*entry));
        }
    }
    return entries;
}

Owners gatherOwners(const std::vector<Entry>& entries, const Sources& sources, const CommandRunner& run)
{
    Owners owners;
    std::vector<std::string> files;
    bool anyFlatpak = false;
    bool anySnap = false;
    for (const Entry& entry : entries) {
        const bool flatpak = (!sources.flatpakUser.empty() && isUnder(entry.file, sources.flatpakUser))
                             || (!sources.flatpakSystem.empty() && isUnder(entry.file, sources.flatpakSystem));
        const bool snap = !sources.snapDesktop.empty() && isUnder(entry.file, sources.snapDesktop);
        anyFlatpak = anyFlatpak || flatpak;
        anySnap = anySnap || snap;
        if (!flatpak && !snap && !isUnder(entry.file, sources.userFolder))
            files.push_back(entry.file.native());
    }
    owners.packageOfPath = searchPackages(files, run);
    std::set<QString> names;
    for (const auto& [path, package] : owners.packageOfPath)
        names.insert(package);
    showPackages(names, owners, run);

    // Entries of packages the system needs: who owns the program they run?
    std::vector<std::string> programs;
    for (const Entry& entry : entries) {
        const auto owned = owners.packageOfPath.find(entry.file.native());
        if (owned == owners.packageOfPath.end() || !owners.packages[owned->second].neverOffered)
            continue;
        const fs::path program = resolveProgram(execTarget(entry.exec).program);
        if (!program.empty())
            programs.push_back(program.native());
    }
    std::set<QString> more;
    for (auto& [path, package] : searchPackages(programs, run)) {
        owners.packageOfPath[path] = package;
        more.insert(package);
    }
    showPackages(more, owners, run);

    if (anyFlatpak)
        owners.flatpaks = parseFlatpakList(
            run(toolCommand("flatpak list --app --columns=application,version,installation 2>/dev/null")).out);
    if (anySnap)
        owners.snaps = parseSnapList(run(toolCommand("snap list 2>/dev/null")).out);
    return owners;
}

// ---- leftovers ----

struct Candidate {
    fs::path path;
    bool wholeFolder = false;   // a Flatpak's or Snap's own data folder: matched by where it is
};

QString baseName(QString name)
{
    if (name.startsWith('.'))
        name.remove(0, 1);
    return name.toLower();
}

QString ownerOf(const AppInfo& app)
{
    return ownerKindName(app.ownerKind) + ":" + app.ownerName;
}

bool autostartRuns(const fs::path& file, const AppInfo& app)
{
    AppInfoPtr info(g_desktop_app_info_new_from_filename(file.c_str()));
    if (!info)
        return false;
    const ExecTarget target = execTarget(gText(g_app_info_get_commandline(G_APP_INFO(info.get()))));
    if (!target.appId.isEmpty() && target.appId == app.ownerName)
        return true;
    if (target.program.isEmpty() || app.executable.empty())
        return false;
    return resolveProgram(target.program) == app.executable;
}

JunkItem itemFor(const fs::path& path, bool selected, const QString& note)
{
    JunkItem item;
    item.url = path;
    item.name = FS::pretty(path);
    item.size = FS::size(path);
    item.selected = selected;
    item.note = note;
    return item;
}

// A local entry's own program, lying directly in one of the user's program
// folders, named like the application and run by no other entry.
bool isLocalAppsProgram(const AppInfo& app, const std::vector<AppInfo>& installed, const Sources& sources)
{
    const fs::path& program = app.program;
    if (app.ownerKind != AppOwner::local || program.empty() || FS::isProtected(program)
        || Sweeper::isOwnEntry(program.filename().native()))
        return false;
    // Named after the entry (the program's own name is one of the keys, so it
    // is left out here): "myapp" or "myapp.sh" for myapp.desktop.
    const QStringList entryKeys = matchKeys(app.bundleID, {}, {}, {}, {});
    if (!nameMatches(text(program.filename()), entryKeys) && !nameMatches(text(program.stem()), entryKeys))
        return false;
    const bool inProgramFolder = std::any_of(sources.programFolders.begin(), sources.programFolders.end(),
                                             [&](const fs::path& folder) { return program.parent_path() == folder.lexically_normal(); });
    std::error_code ec;
    if (!inProgramFolder || !fs::exists(fs::symlink_status(program, ec)))
        return false;
    return std::none_of(installed.begin(), installed.end(),
                        [&](const AppInfo& other) { return other.url != app.url && other.program == program; });
}

} // namespace

fs::path iconFile(const QString& icon, const std::vector<fs::path>& dataFolders)
{
    if (icon.isEmpty())
        return {};
    if (icon.startsWith('/'))
        return fs::is_regular_file(pathOf(icon)) ? pathOf(icon) : fs::path();
    const fs::path name = pathOf(icon);
    static const char* sizes[] = {"48x48", "64x64", "32x32", "128x128", "256x256", "24x24", "22x22", "16x16"};
    static const char* kinds[] = {".png", ".xpm"};
    std::error_code ec;
    for (const fs::path& data : dataFolders)
        for (const char* theme : {"hicolor", "Adwaita"})
            for (const char* size : sizes)
                for (const char* kind : kinds) {
                    const fs::path file = data / "icons" / theme / size / "apps" / (name.native() + kind);
                    if (fs::is_regular_file(file, ec))
                        return file;
                }
    for (const fs::path& data : dataFolders) {
        const fs::path pixmaps = data / "pixmaps";
        for (const char* kind : kinds)
            if (fs::is_regular_file(pixmaps / (name.native() + kind), ec))
                return pixmaps / (name.native() + kind);
        // Debian's own naming: NAME_48x48.xpm and the like
        for (const char* size : sizes)
            for (const char* kind : kinds) {
                const fs::path file = pixmaps / (name.native() + "_" + size + kind);
                if (fs::is_regular_file(file, ec))
                    return file;
            }
    }
    return {};
}

QString desktopId(const fs::path& folder, const fs::path& entry)
{
    return text(entry.lexically_relative(folder)).replace('/', '-');
}

ExecTarget execTarget(const QStringList& given)
{
    QStringList argv;
    for (const QString& arg : given)
        if (!(arg.size() == 2 && arg.startsWith('%')))
            argv << arg;
    int i = 0;
    while (i < argv.size()) {
        const QString name = QFileInfo(argv[i]).fileName();
        // options of the launchers that take the next word as their value
        static const QStringList valued{"-u", "--unset", "-C", "--chdir", "-n", "-c", "-p", "--adjustment"};
        const auto skipOptions = [&](bool assignments) {
            ++i;
            while (i < argv.size()
                   && (argv[i].startsWith('-') || (assignments && argv[i].contains('=') && !argv[i].startsWith('/'))))
                i += valued.contains(argv[i]) ? 2 : 1;
        };
        if (name == QLatin1String("env")) {
            skipOptions(true);
        } else if (name == QLatin1String("nice") || name == QLatin1String("ionice") || name == QLatin1String("exec")
                   || name == QLatin1String("nohup") || name == QLatin1String("setsid")) {
            skipOptions(false);
        } else if (isShell(name)) {
            const qsizetype dashC = argv.indexOf(QStringLiteral("-c"), i + 1);
            if (dashC >= 0 && dashC + 1 < argv.size()) {
                // "cd /opt/game && ./game": the last command of the line runs the program
                QStringList words = parseArgv(argv[dashC + 1]);
                for (qsizetype k = words.size() - 1; k >= 0; --k)
                    if (words[k] == QLatin1String("&&") || words[k] == QLatin1String(";") || words[k] == QLatin1String("||")) {
                        words = words.mid(k + 1);
                        break;
                    }
                return execTarget(words);
            }
            ++i;  // a script run by the shell
            while (i < argv.size() && argv[i].startsWith('-'))
                ++i;
        } else if (name == QLatin1String("java")) {
            const qsizetype jar = argv.indexOf(QStringLiteral("-jar"), i + 1);
            if (jar >= 0 && jar + 1 < argv.size())
                return {argv[jar + 1], {}};
            ++i;
            while (i < argv.size() && argv[i].startsWith('-'))
                ++i;
        } else if (isInterpreter(name)) {
            ++i;
            while (i < argv.size() && argv[i].startsWith('-')) {
                if (argv[i] == QLatin1String("-m") && i + 1 < argv.size())
                    return {argv[i + 1], {}};  // python3 -m module
                ++i;
            }
        } else if ((name == QLatin1String("flatpak") || name == QLatin1String("snap")) && i + 1 < argv.size()
                   && argv[i + 1] == QLatin1String("run")) {
            for (int j = i + 2; j < argv.size(); ++j)
                if (!argv[j].startsWith('-'))
                    return {{}, argv[j]};
            return {};
        } else {
            return {argv[i], {}};
        }
    }
    return {};
}

ExecTarget execTarget(const QString& commandLine)
{
    return execTarget(parseArgv(commandLine));
}

std::vector<AppInfo> scanApps(const Sources& sources, const CommandRunner& run)
{
    std::vector<Entry> entries = collectEntries(sources);
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [](const Entry& e) { return isOwnProgram(e, execTarget(e.exec)); }),
                  entries.end());
    const Owners owners = gatherOwners(entries, sources, run);
    std::vector<AppInfo> apps;
    for (const Entry& entry : entries)
        if (std::optional<AppInfo> app = appFrom(entry, sources, owners))
            apps.push_back(std::move(*app));
    // Icons: the theme's or pixmaps' file where one is found, else the name as written.
    std::vector<fs::path> data;
    for (const fs::path& folder : sources.folders)
        data.push_back(folder.parent_path());
    for (AppInfo& app : apps) {
        const fs::path file = iconFile(app.icon, data);
        if (!file.empty())
            app.icon = text(file);
    }
    Sweeper::sortAppsByName(apps);
    return apps;
}

QStringList matchKeys(const QString& desktopId, const QString& package, const QString& executable,
                      const QString& wmClass, const QString& appId)
{
    QStringList keys;
    const auto add = [&](const QString& key) {
        const QString lower = key.trimmed().toLower();
        if (!lower.isEmpty() && !keys.contains(lower))
            keys << lower;
    };
    QString id = desktopId;
    if (id.endsWith(QLatin1String(".desktop")))
        id.chop(8);
    add(id);
    if (id.contains('.')) {
        const QString last = id.section('.', -1);
        if (last.size() > 3)
            add(last);
    }
    add(package);
    add(executable);
    add(wmClass);
    add(appId);
    return keys;
}

bool nameMatches(const QString& name, const QStringList& keys)
{
    const QString plain = baseName(name);
    for (const QString& key : keys) {
        if (plain == key)
            return true;
        if (key.contains('.') && plain.contains(key))
            return true;
    }
    return false;
}

bool isSharedPlace(const QString& name)
{
    static const QStringList shared{
        "gtk-2.0", "gtk-3.0", "gtk-4.0", "dconf", "pulse", "pipewire", "wireplumber", "systemd", "fontconfig",
        "autostart", "applications", "icons", "fonts", "mime", "keyrings", "trash", "flatpak", "recently-used.xbel",
        "user-dirs.dirs", "user-dirs.locale", "mimeapps.list", "ssh", "gnupg", "pki", "java", "local", "config",
        "cache", "var", "dbus", "ibus", "menus", "desktop-directories", "sounds", "themes", "nautilus", "session",
        "xsession-errors", "bashrc", "profile", "bash_history", "bash_logout", "quillmoor"};
    const QString plain = baseName(name);
    if (shared.contains(plain))
        return true;
    for (const char* prefix : {"gnome", "kde", "plasma", "xfce", "xdg"})
        if (plain.startsWith(QLatin1String(prefix)))
            return true;
    return false;
}

InUseCheck inUseCheck(const fs::path& executable, const fs::path& procRoot)
{
    // One look at the process table. The application's own processes are
    // asked to quit, so what they hold does not count.
    auto held = std::make_shared<std::vector<Processes::Holder>>();
    std::map<int, bool> ownProcess;
    for (Processes::Holder& holder : Processes::heldPlaces(procRoot)) {
        auto [known, inserted] = ownProcess.try_emplace(holder.pid, false);
        if (inserted && !executable.empty()) {
            std::error_code ec;
            const fs::path exe = fs::read_symlink(procRoot / std::to_string(holder.pid) / "exe", ec);
            known->second = !ec && exe == executable;
        }
        if (!known->second)
            held->push_back(std::move(holder));
    }
    return [held](const fs::path& path) -> QString {
        const Processes::Holder* holder = Processes::holderInside(*held, path.native());
        return holder ? QString::fromStdString(holder->process) : QString();
    };
}

std::vector<JunkItem> appFiles(const AppInfo& app, const std::vector<AppInfo>& installed, const Sources& sources,
                               const InUseCheck& inUse)
{
    std::vector<JunkItem> files;
    // The application's own item first.
    JunkItem own;
    own.url = app.ownItem.empty() ? app.url : app.ownItem;
    own.size = app.knownSize >= 0 ? app.knownSize : FS::size(own.url);
    own.selected = app.ownerKind != AppOwner::none;
    // what an owner's tool removes is named by its owner; a file by its path
    const bool byTool = app.ownerKind == AppOwner::package || app.ownerKind == AppOwner::flatpak
                        || app.ownerKind == AppOwner::snap;
    own.name = byTool ? Sweeper::ownerText(app, true) : FS::pretty(own.url);
    files.push_back(own);
    if (app.ownerKind == AppOwner::appimage && isUnder(app.url, sources.home)) {
        // the entry an integration tool made for the AppImage goes with it
        files.push_back(itemFor(app.url, true, {}));
    }

    std::vector<Candidate> candidates;
    for (const fs::path& place : sources.leftoverFolders)
        for (const fs::path& child : FS::children(place, true))
            candidates.push_back({child});
    // Hidden entries directly in the home folder (~/.NAME) are protected
    // places, never offered, so they are not looked at.
    const auto ownData = [&](AppOwner kind, const fs::path& folder) {
        const fs::path own = folder / pathOf(app.ownerName);
        if (app.ownerKind == kind && !folder.empty() && !app.ownerName.isEmpty() && existsDir(own))
            candidates.push_back({own, true});
    };
    ownData(AppOwner::flatpak, sources.flatpakData);
    ownData(AppOwner::snap, sources.snapData);

    std::vector<JunkItem> found;
    std::set<std::string> seen;
    const QString mine = ownerOf(app);
    for (const Candidate& candidate : candidates) {
        const QString name = text(candidate.path.filename());
        if (!seen.insert(candidate.path.native()).second || isSharedPlace(name) || FS::isProtected(candidate.path)
            || Sweeper::isOwnEntry(candidate.path.filename().native()))
            continue;
        if (!candidate.wholeFolder && !nameMatches(name, app.keys))
            continue;
        QString note;
        for (const AppInfo& other : installed) {
            if (ownerOf(other) != mine && nameMatches(name, other.keys)) {
                note = LF("Também usado por %@", other.name);
                break;
            }
        }
        if (note.isEmpty() && inUse) {
            const QString holder = inUse(candidate.path);
            if (!holder.isEmpty())
                note = LF("Em uso por %@", holder);
        }
        found.push_back(itemFor(candidate.path, note.isEmpty(), note));
    }
    if (isLocalAppsProgram(app, installed, sources))
        found.push_back(itemFor(app.program, false, L("Programa deste app")));  // FS::size does not follow a link
    // Autostart entries that start the application.
    for (const fs::path& entry : FS::children(sources.autostart, true))
        if (entry.extension() == ".desktop" && autostartRuns(entry, app))
            found.push_back(itemFor(entry, true, {}));

    std::stable_sort(found.begin(), found.end(), [](const JunkItem& a, const JunkItem& b) { return a.size > b.size; });
    for (JunkItem& item : found)
        files.push_back(std::move(item));
    return files;
}

UninstallPlan planUninstall(const AppInfo& app, const std::vector<AppInfo>& installed, const CommandRunner& run)
{
    UninstallPlan plan;
    const std::string name = app.ownerName.toStdString();
    switch (app.ownerKind) {
    case AppOwner::none:
    case AppOwner::bundle:
        plan.refusal = L("Nada instalou esta entrada: não há o que desinstalar.");
        return plan;
    case AppOwner::local:
    case AppOwner::appimage:
        return plan;  // its own items go to the Trash
    case AppOwner::flatpak: {
        const std::string scope = app.systemWide ? "--system" : "--user";
        plan.command = "flatpak uninstall -y --noninteractive " + scope + " " + Shell::q(name);
        return plan;
    }
    case AppOwner::snap:
        plan.adminActions = {{Admin::kRemoveSnap, {name}}};
        return plan;
    case AppOwner::package:
        break;
    }
    const QString out = run(toolCommand("apt-get -s remove -- " + Shell::q(name) + " 2>&1")).out;
    const QStringList removed = parseAptRemovals(out);
    if (removed.isEmpty()) {
        const QString reason = Shell::lastLine(out);
        plan.refusal = LF("Não removido: %@", reason.isEmpty() ? L("A ferramenta de pacotes não respondeu.") : reason);
        return plan;
    }
    std::set<QString> wanted(removed.begin(), removed.end());
    Owners facts;
    showPackages(wanted, facts, run);
    QStringList needed;
    for (const QString& package : removed) {
        if (!facts.packages.count(package) || facts.packages.at(package).neverOffered)
            needed << package;
        if (package != app.ownerName.section(':', 0, 0))
            plan.packages << package;
    }
    for (const AppInfo& other : installed)
        if (other.ownerKind == AppOwner::package && wanted.count(other.ownerName) && other.name != app.name
            && !plan.apps.contains(other.name))
            plan.apps << other.name;
    if (!needed.isEmpty()) {
        plan.refusal = LF("Remover %@ levaria junto o que o sistema precisa: %@", app.ownerName, needed.join(", "));
        return plan;
    }
    // The whole set the simulation named, so the helper can check as root
    // that the removal still takes exactly these packages.
    std::vector<std::string> packages;
    for (const QString& package : parseAptRemovals(out, true))
        packages.push_back(package.toStdString());
    plan.adminActions = {{Admin::kRemovePackages, packages}};
    return plan;
}

AppBackend backend(const Sources& sources, const CommandRunner& run)
{
    AppBackend backend;
    backend.scan = [sources, run] { return scanApps(sources, run); };
    backend.files = [sources](const AppInfo& app, const std::vector<AppInfo>& installed) {
        return appFiles(app, installed, sources, inUseCheck(app.executable));
    };
    backend.plan = [run](const AppInfo& app, const std::vector<AppInfo>& installed) {
        return planUninstall(app, installed, run);
    };
    backend.tools = run;
    backend.watched = sources.folders;
    for (const fs::path& exports : {sources.flatpakUser / "exports/share/applications",
                                    sources.flatpakSystem / "exports/share/applications", sources.snapDesktop})
        if (std::find(backend.watched.begin(), backend.watched.end(), exports) == backend.watched.end())
            backend.watched.push_back(exports);
    backend.watched.push_back(sources.packageStatus);
    return backend;
}

} // namespace LinuxApps
