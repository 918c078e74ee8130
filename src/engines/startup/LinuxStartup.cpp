// GLib before Qt: its headers use the identifier `signals`, which Qt defines.
#include <glib.h>

#include "engines/startup/LinuxStartup.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "engines/common/Names.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "platform/LoginItem.h"
#include "platform/Prefs.h"

namespace fs = std::filesystem;

namespace LinuxStartup {

namespace {

constexpr const char* kGroup = "Desktop Entry";
const QString kOffKey = QStringLiteral("startupUnitsOff");

struct KeyFileFree {
    void operator()(GKeyFile* file) const { g_key_file_free(file); }
};
using KeyFile = std::unique_ptr<GKeyFile, KeyFileFree>;

KeyFile load(const fs::path& file)
{
    KeyFile keys(g_key_file_new());
    if (!g_key_file_load_from_file(keys.get(), file.c_str(),
                                   GKeyFileFlags(G_KEY_FILE_KEEP_COMMENTS | G_KEY_FILE_KEEP_TRANSLATIONS), nullptr))
        return nullptr;
    if (!g_key_file_has_group(keys.get(), kGroup))
        return nullptr;
    return keys;
}

bool has(GKeyFile* keys, const char* key) { return g_key_file_has_key(keys, kGroup, key, nullptr); }

bool boolean(GKeyFile* keys, const char* key, bool fallback)
{
    GError* error = nullptr;
    const gboolean value = g_key_file_get_boolean(keys, kGroup, key, &error);
    if (error) {
        g_error_free(error);
        return fallback;
    }
    return value;
}

QString text(GKeyFile* keys, const char* key, bool localised = false)
{
    gchar* value = localised ? g_key_file_get_locale_string(keys, kGroup, key, nullptr, nullptr)
                             : g_key_file_get_string(keys, kGroup, key, nullptr);
    const QString result = value ? QString::fromUtf8(value) : QString();
    g_free(value);
    return result;
}

QStringList list(GKeyFile* keys, const char* key)
{
    QStringList result;
    gchar** values = g_key_file_get_string_list(keys, kGroup, key, nullptr, nullptr);
    for (gchar** v = values; v && *v; ++v)
        result << QString::fromUtf8(*v);
    g_strfreev(values);
    return result;
}

// An entry starts when it is neither hidden nor disabled for GNOME's session.
bool entryOn(GKeyFile* keys)
{
    return !boolean(keys, "Hidden", false) && boolean(keys, "X-GNOME-Autostart-enabled", true);
}

// Whether OnlyShowIn/NotShowIn leave out every desktop of the session.
bool leftOut(GKeyFile* keys, const QStringList& desktops)
{
    const QStringList only = list(keys, "OnlyShowIn");
    const QStringList notIn = list(keys, "NotShowIn");
    const auto anyIn = [&](const QStringList& names) {
        return std::any_of(desktops.begin(), desktops.end(),
                           [&](const QString& d) { return names.contains(d, Qt::CaseInsensitive); });
    };
    if (!only.isEmpty() && !anyIn(only))
        return true;
    return anyIn(notIn);
}

QString fileName(const fs::path& path) { return QFile::decodeName(QByteArray::fromStdString(path.filename().native())); }

QString withoutSuffix(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (name.endsWith(QLatin1String(".desktop")) || name.endsWith(QLatin1String(".service")))
        return name.left(dot);
    return name;
}

std::optional<fs::path> firstSystemFile(const Sources& sources, const std::string& name)
{
    for (const fs::path& folder : sources.systemFolders) {
        std::error_code ec;
        if (fs::is_regular_file(folder / name, ec))
            return folder / name;
    }
    return std::nullopt;
}

bool isOurs(GKeyFile* keys) { return boolean(keys, kOverrideKey, false); }

bool saveTo(GKeyFile* keys, const fs::path& file, QString& error)
{
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    GError* gerror = nullptr;
    if (!g_key_file_save_to_file(keys, file.c_str(), &gerror)) {
        error = QString::fromUtf8(gerror->message);
        g_error_free(gerror);
        return false;
    }
    return true;
}

// A user entry of the system entry's name that switches it on or off.
std::optional<QString> writeOverride(GKeyFile* system, const fs::path& file, bool on)
{
    KeyFile keys(g_key_file_new());
    g_key_file_set_string(keys.get(), kGroup, "Type", "Application");
    const QByteArray name = text(system, "Name").toUtf8();
    g_key_file_set_string(keys.get(), kGroup, "Name", name.isEmpty() ? "—" : name.constData());
    if (has(system, "Exec"))
        g_key_file_set_string(keys.get(), kGroup, "Exec", text(system, "Exec").toUtf8().constData());
    g_key_file_set_boolean(keys.get(), kGroup, "Hidden", !on);
    if (on)
        g_key_file_set_boolean(keys.get(), kGroup, "X-GNOME-Autostart-enabled", true);
    g_key_file_set_boolean(keys.get(), kGroup, kOverrideKey, true);
    QString error;
    if (!saveTo(keys.get(), file, error))
        return error;
    return std::nullopt;
}

std::optional<QString> removeFile(const fs::path& file)
{
    std::error_code ec;
    if (!fs::remove(file, ec) && ec)
        return QString::fromStdString(ec.message());
    return std::nullopt;
}

std::optional<QString> setAutostartOn(const AgentItem& item, bool on, const Sources& sources)
{
    const std::string name = QFile::encodeName(item.key).toStdString();
    const fs::path user = sources.userFolder / name;
    const std::optional<fs::path> system = firstSystemFile(sources, name);
    KeyFile systemKeys = system ? load(*system) : nullptr;

    std::error_code ec;
    if (fs::exists(user, ec)) {
        KeyFile userKeys = load(user);
        if (!userKeys)
            return QFile::decodeName(QByteArray::fromStdString(user.native()));
        if (isOurs(userKeys.get())) {
            // Our own override goes; a new one only where the system entry alone is not as asked.
            if (const std::optional<QString> error = removeFile(user))
                return error;
            if (systemKeys && entryOn(systemKeys.get()) != on)
                return writeOverride(systemKeys.get(), user, on);
            return std::nullopt;
        }
        // The user's own entry: only the keys that switch it change.
        if (on) {
            g_key_file_remove_key(userKeys.get(), kGroup, "Hidden", nullptr);
            if (!boolean(userKeys.get(), "X-GNOME-Autostart-enabled", true))
                g_key_file_remove_key(userKeys.get(), kGroup, "X-GNOME-Autostart-enabled", nullptr);
        } else {
            g_key_file_set_boolean(userKeys.get(), kGroup, "Hidden", true);
        }
        QString error;
        if (!saveTo(userKeys.get(), user, error))
            return error;
        return std::nullopt;
    }
    if (systemKeys) {
        if (entryOn(systemKeys.get()) == on)
            return std::nullopt;
        return writeOverride(systemKeys.get(), user, on);
    }
    if (user == LoginItem::entryPath() && on)
        return LoginItem::registerItem(LoginItem::programToStart());
    if (!on)
        return std::nullopt;  // nothing there starts it
    return item.key;
}

AgentItem autostartItem(const QString& name, const fs::path& url, GKeyFile* shown, GKeyFile* state,
                        GKeyFile* fallback, bool userOwned, const Sources& sources)
{
    AgentItem item;
    item.kind = QStringLiteral("autostart");
    item.key = name;
    item.url = url;
    item.label = text(shown, "Name", true);
    if (item.label.isEmpty() && fallback)
        item.label = text(fallback, "Name", true);
    if (item.label.isEmpty())
        item.label = withoutSuffix(name);
    item.program = text(shown, "Exec");
    if (item.program.isEmpty() && fallback)
        item.program = text(fallback, "Exec");
    if (item.program.isEmpty())
        item.program = QStringLiteral("—");
    item.scope = userOwned ? L("Usuário") : L("Todos os usuários");
    item.userOwned = userOwned;
    item.on = entryOn(state);
    item.switchable = true;
    item.removable = userOwned;
    item.locked = neverOff(sources.entriesNeeded, name);
    item.otherDesktop = leftOut(shown, sources.desktops) || (fallback && !has(shown, "OnlyShowIn") &&
                                                             !has(shown, "NotShowIn") && leftOut(fallback, sources.desktops));
    return item;
}

// "{ path=/usr/sbin/cron ; argv[]=/usr/sbin/cron -f ; ... }" → "/usr/sbin/cron -f"
QString programOf(const QString& execStart)
{
    static const QRegularExpression argv(QStringLiteral("argv\\[\\]=([^;]*)"));
    const QRegularExpressionMatch match = argv.match(execStart);
    return match.hasMatch() ? match.captured(1).trimmed() : QString();
}

QString systemctl(bool user) { return user ? QStringLiteral("systemctl --user ") : QStringLiteral("systemctl "); }

} // namespace

bool neverOff(const QStringList& patterns, const QString& fileOrUnitName)
{
    const std::string name = QFile::encodeName(withoutSuffix(fileOrUnitName)).toStdString();
    return std::any_of(patterns.begin(), patterns.end(), [&](const QString& pattern) {
        return Sweeper::matchesPattern(name, QFile::encodeName(pattern).toStdString());
    });
}

QString lockReason() { return L("O sistema ou a sessão precisa deste item: ele não pode ser desativado."); }

std::vector<AgentItem> scanAutostart(const Sources& sources)
{
    // Every file name once, sorted; the user's folder decides where it has one.
    std::set<std::string> names;
    for (const fs::path& folder : [&] {
             std::vector<fs::path> all{sources.userFolder};
             all.insert(all.end(), sources.systemFolders.begin(), sources.systemFolders.end());
             return all;
         }()) {
        for (const fs::path& child : FS::children(folder))
            if (child.extension() == ".desktop")
                names.insert(child.filename().native());
    }

    std::vector<AgentItem> items;
    const QString own = fileName(LoginItem::entryPath());
    bool ownListed = false;
    for (const std::string& name : names) {
        const QString qname = QFile::decodeName(QByteArray::fromStdString(name));
        const fs::path userFile = sources.userFolder / name;
        const std::optional<fs::path> systemFile = firstSystemFile(sources, name);
        KeyFile userKeys = load(userFile);
        KeyFile systemKeys = systemFile ? load(*systemFile) : nullptr;
        if (userKeys && systemKeys && isOurs(userKeys.get())) {
            // A system entry switched by us: the system's description, our state.
            items.push_back(autostartItem(qname, *systemFile, systemKeys.get(), userKeys.get(), nullptr, false, sources));
        } else if (userKeys) {
            items.push_back(autostartItem(qname, userFile, userKeys.get(), userKeys.get(), systemKeys.get(), true,
                                          sources));
        } else if (systemKeys) {
            items.push_back(autostartItem(qname, *systemFile, systemKeys.get(), systemKeys.get(), nullptr, false,
                                          sources));
        } else {
            continue;  // unreadable or no desktop entry
        }
        ownListed = ownListed || qname == own;
    }
    if (!ownListed) {
        // Quillmoor's own login item, not registered yet: listed as off.
        AgentItem item;
        item.kind = QStringLiteral("autostart");
        item.key = own;
        item.url = LoginItem::entryPath();
        item.label = QStringLiteral("Quillmoor");
        item.program = LoginItem::programToStart();
        item.scope = L("Usuário");
        item.on = false;
        item.switchable = true;
        items.push_back(item);
    }
    return items;
}

bool userManagerAnswers(const Runner& user)
{
    const Shell::Result result = user("systemctl --user is-system-running 2>/dev/null");
    const QString state = result.out.section(QLatin1Char('\n'), 0, 0).trimmed();
    static const QStringList answering = {"running", "degraded", "starting", "initializing", "maintenance",
                                          "stopping"};
    return answering.contains(state);
}

std::vector<AgentItem> scanUnits(bool user, const Runner& runner, const QStringList& switchedOff,
                                 const QStringList& needed)
{
    const QString kind = user ? QStringLiteral("user-unit") : QStringLiteral("system-unit");
    QStringList enabled;
    const Shell::Result listed = runner(
        (systemctl(user) + "list-unit-files --type=service --state=enabled --no-legend --no-pager 2>/dev/null")
            .toStdString());
    if (listed.ok) {
        for (const QString& line : listed.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QString name = line.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
            if (name.endsWith(QLatin1String(".service")) && !enabled.contains(name))
                enabled << name;
        }
    }
    QStringList off;
    for (const QString& entry : switchedOff) {
        const QString name = entry.mid(kind.size() + 1);
        if (entry.startsWith(kind + ':') && !enabled.contains(name) && !off.contains(name))
            off << name;  // each once, even when the stored list repeats one
    }
    QStringList all = enabled + off;
    if (all.isEmpty())
        return {};

    // Descriptions and programs, in one call; template units have none to show.
    std::map<QString, std::pair<QString, QString>> details;
    std::string command = (systemctl(user) + "show --no-pager --property=Id,Description,ExecStart --").toStdString();
    bool any = false;
    for (const QString& name : all) {
        if (name.contains(QLatin1String("@.")))
            continue;
        command += " " + Shell::q(name.toStdString());
        any = true;
    }
    if (any) {
        const Shell::Result shown = runner(command + " 2>/dev/null");
        QString id, description, program;
        const auto flush = [&] {
            if (!id.isEmpty())
                details[id] = {description, program};
            id.clear();
            description.clear();
            program.clear();
        };
        for (const QString& line : shown.out.split(QLatin1Char('\n'))) {
            if (line.trimmed().isEmpty()) {
                flush();
            } else if (line.startsWith(QLatin1String("Id="))) {
                id = line.mid(3).trimmed();
            } else if (line.startsWith(QLatin1String("Description="))) {
                description = line.mid(12).trimmed();
            } else if (line.startsWith(QLatin1String("ExecStart="))) {
                program = programOf(line.mid(10));
            }
        }
        flush();
    }

    std::vector<AgentItem> items;
    for (const QString& name : all) {
        AgentItem item;
        item.kind = kind;
        item.key = name;
        const auto found = details.find(name);
        item.label = found != details.end() && !found->second.first.isEmpty() ? found->second.first : withoutSuffix(name);
        item.program = found != details.end() && !found->second.second.isEmpty() ? found->second.second
                                                                                  : QStringLiteral("—");
        item.scope = user ? L("Usuário") : L("Sistema (daemon)");
        item.on = enabled.contains(name);
        item.switchable = true;
        item.locked = neverOff(needed, name);
        items.push_back(item);
    }
    return items;
}

QStringList switchedOffUnits() { return Prefs::standard()->value(kOffKey).toStringList(); }

std::vector<AgentItem> scan(const Sources& sources)
{
    std::vector<AgentItem> items = scanAutostart(sources);
    const QStringList off = switchedOffUnits();
    if (sources.user && userManagerAnswers(sources.user)) {
        const std::vector<AgentItem> units = scanUnits(true, sources.user, off, sources.servicesNeeded);
        items.insert(items.end(), units.begin(), units.end());
    }
    if (sources.systemdRunning && sources.user) {
        const std::vector<AgentItem> units = scanUnits(false, sources.user, off, sources.servicesNeeded);
        items.insert(items.end(), units.begin(), units.end());
    }
    return items;
}

std::optional<QString> setOn(const AgentItem& item, bool on, const Sources& sources)
{
    if (item.locked && !on)
        return lockReason();
    if (item.kind == QLatin1String("autostart"))
        return setAutostartOn(item, on, sources);
    const bool user = item.kind == QLatin1String("user-unit");
    if (!user && item.kind != QLatin1String("system-unit"))
        return item.key;
    if (user) {
        const std::string command = (systemctl(true) + (on ? "enable --now " : "disable --now ")).toStdString()
                                    + Shell::q(item.key.toStdString());
        const Shell::Result result = sources.user(command);
        if (!result.ok) {
            const QString out = result.out.trimmed();
            return out.isEmpty() ? item.key : Shell::lastLine(out);
        }
    } else {
        const Admin::Action action{on ? Admin::kUnitEnable : Admin::kUnitDisable, {item.key.toStdString()}};
        const Admin::Reply reply = sources.admin(Admin::Request{{action}, {}});
        if (!reply.ok)
            return reply.reason.isEmpty() ? item.key : reply.reason;
    }
    // Remember what we switched off, so that it stays listed and can come back.
    auto prefs = Prefs::standard();
    QStringList off = prefs->value(kOffKey).toStringList();
    const QString entry = item.kind + ':' + item.key;
    off.removeAll(entry);
    if (!on)
        off << entry;
    prefs->setValue(kOffKey, off);
    prefs->sync();
    return std::nullopt;
}

StartupBackend backend(const Sources& sources)
{
    StartupBackend backend;
    backend.scan = [sources] { return scan(sources); };
    backend.setOn = [sources](const AgentItem& item, bool on) { return setOn(item, on, sources); };
    // Only the user's own entries are removable: to the Trash.
    backend.remove = [](const AgentItem& item, const Admin::Runner&) { return Startup::trashUserItem(item); };
    return backend;
}

} // namespace LinuxStartup
