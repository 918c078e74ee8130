#include "cli/AppCommands.h"

#include <QFile>
#include <QJsonObject>

#include <optional>
#include <set>

#include "cli/IgnoreCommands.h"
#include "cli/PlanOutput.h"
#include "cli/TerminalText.h"
#include "engines/removal/Removal.h"
#include "platform/Admin.h"
#include "platform/Prefs.h"
#include "i18n/L.h"
#include "i18n/ShownText.h"
#include "platform/FS.h"
#include "platform/Fmt.h"
#include "profiles/Profile.h"

namespace Cli {

namespace {

std::optional<AppBackend>& backendOverride()
{
    static std::optional<AppBackend> backend;
    return backend;
}

AppBackend backend()
{
    return backendOverride() ? *backendOverride() : Profiles::active().apps.backend();
}

// The id the JSON gives an application: its desktop-file id or bundle
// identifier, or, for a file whose name is not valid UTF-8 (whose id would
// not be exact), the "bytes:" form of its path, which names the one file.
// `leftovers` and `uninstall` accept both.
QString jsonId(const AppInfo& app)
{
    const QString identity = app.id();
    return identity.startsWith(QLatin1String("bytes:")) ? identity : app.bundleID;
}

QJsonObject ownerJson(const AppInfo& app)
{
    return {{"kind", ownerKindName(app.ownerKind)}, {"name", app.ownerName}};
}

// ---- apps ----

// The owner and the version in columns at most this wide; a longer one is shortened in the middle.
constexpr int kOwnerCells = 24;
constexpr int kVersionCells = 20;

void printApps(const Context& context, const std::vector<AppInfo>& apps, const std::vector<std::int64_t>& sizes)
{
    QStringList sizeCells, owners, versions;
    for (std::size_t i = 0; i < apps.size(); ++i) {
        sizeCells << Fmt::bytes(sizes[i]);
        owners << elidedMiddle(shownName(Sweeper::ownerText(apps[i], true)), kOwnerCells);
        versions << elidedMiddle(shownName(apps[i].version), kVersionCells);
    }
    const int sizeWidth = columnWidth(sizeCells) + 2;
    const int ownerWidth = columnWidth(owners) + 2;
    const int versionWidth = columnWidth(versions) + 2;
    for (std::size_t i = 0; i < apps.size(); ++i) {
        const qsizetype row = qsizetype(i);
        context.out << padded(sizeCells[row], sizeWidth) << padded(owners[row], ownerWidth)
                    << padded(versions[row], versionWidth) << shownName(apps[i].name) << "  ("
                    << shownName(jsonId(apps[i])) << ")\n";
    }
    // What to do next, in the tool's own words.
    const qint64 count = qint64(apps.size());
    context.out << (count == 0 ? L("Nenhum app encontrado.")
                               : LP(count, "%ld apps encontrados. Para ver um deles com os arquivos que deixou: quillmoor-cli leftovers APP", count))
                << "\n";
}

int runApps(Context& context)
{
    if (!context.args.isEmpty())
        return context.usageError(LF("%@ não aceita argumentos (veja --help)", "apps"));
    const std::vector<AppInfo> apps = backend().scan();
    std::vector<std::int64_t> sizes(apps.size(), 0);
    // Each application is reported once, so the threads write different slots.
    Sweeper::appSizes(apps, [&](std::size_t index, std::int64_t bytes) { sizes[index] = bytes; });
    if (!context.json) {
        printApps(context, apps, sizes);
        return Success;
    }
    QJsonArray list;
    for (std::size_t i = 0; i < apps.size(); ++i) {
        const AppInfo& app = apps[i];
        list.append(QJsonObject{{"id", jsonId(app)}, {"name", app.name}, {"bundleID", app.bundleID},
                                {"owner", ownerJson(app)}, {"version", app.version},
                                {"path", FS::text(app.url)}, {"size", qint64(sizes[i])}, {"icon", app.icon}});
    }
    context.printJson(list);
    return Success;
}

// The one application APP names, or an exit status with its message written.
// A package holding several applications names the first of them.
std::optional<AppInfo> oneApp(Context& context, const std::vector<AppInfo>& apps, int& status)
{
    const std::vector<AppInfo> found = appsNamed(apps, context.args.first());
    if (found.empty()) {
        context.err << "quillmoor-cli: " << lineSafe(LF("nenhum app “%@”", escapeDirectionMarks(context.args.first()))) << "\n";
        status = Failure;
        return std::nullopt;
    }
    // One owner (a package with several entries) is one application to remove;
    // an owner without a name of its own owns each entry alone.
    std::set<QString> owners;
    for (const AppInfo& app : found)
        owners.insert(app.ownerName.isEmpty() ? app.id() : ownerKindName(app.ownerKind) + ":" + app.ownerName);
    if (owners.size() > 1) {
        const qint64 count = qint64(found.size());
        context.err << "quillmoor-cli: "
                    << lineSafe(LP(count, "“%@” corresponde a %ld apps; indique um destes:", escapeDirectionMarks(context.args.first()), count))
                    << "\n";
        for (const AppInfo& app : found)
            context.err << "  " << shownName(app.id()) << "  " << shownName(app.name) << "\n";
        status = BadUsage;
        return std::nullopt;
    }
    return found.front();
}

// The application APP names with everything the listing found and the files
// it left behind (its own item first), or an exit status with its message written.
struct ChosenApp {
    AppBackend where;
    std::vector<AppInfo> apps;
    AppInfo app;
    std::vector<JunkItem> files;
    int ignored = 0;  // leftovers the never-touch list hid
};

std::optional<ChosenApp> chooseApp(Context& context, int& status)
{
    ChosenApp chosen{backend(), {}, {}, {}, 0};
    chosen.apps = chosen.where.scan();
    const std::optional<AppInfo> app = oneApp(context, chosen.apps, status);
    if (!app)
        return std::nullopt;
    chosen.app = *app;
    chosen.files = chosen.where.files(chosen.app, chosen.apps);
    chosen.ignored = Sweeper::honourNeverTouch(chosen.files, neverTouchNow());
    return chosen;
}

// ---- leftovers ----

int runLeftovers(Context& context)
{
    if (context.args.size() != 1)
        return context.usageError(LF("%@ aceita um app: nome, identificador, caminho ou pacote", "leftovers"));
    int status = Success;
    const std::optional<ChosenApp> chosen = chooseApp(context, status);
    if (!chosen)
        return status;
    const AppInfo& app = chosen->app;
    const std::vector<JunkItem>& files = chosen->files;
    std::int64_t total = 0;
    QJsonArray items;
    QStringList sizes;
    for (const JunkItem& item : files) {
        total += item.size;
        sizes << Fmt::bytes(item.size);
        items.append(QJsonObject{{"path", FS::text(item.url)}, {"size", qint64(item.size)},
                                 {"selected", item.selected}, {"note", item.note}});
    }
    if (context.json) {
        context.printJson(QJsonObject{{"name", app.name}, {"bundleID", app.bundleID}, {"owner", ownerJson(app)},
                                      {"version", app.version}, {"path", FS::text(app.url)}, {"files", items},
                                      {"total", qint64(total)}, {"ignored", chosen->ignored}});
        return Success;
    }
    const int sizeWidth = columnWidth(sizes) + 2;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const JunkItem& item = files[i];
        context.out << (item.selected ? "[x] " : "[ ] ") << padded(sizes[qsizetype(i)], sizeWidth) << shownName(item.name)
                    << (item.note.isEmpty() ? QString() : "  (" + lineSafe(item.note) + ")") << "\n";
    }
    context.out << itemCount(qint64(files.size())) << "  " << Fmt::bytes(total) << "\n";
    printIgnored(context, chosen->ignored);
    return Success;
}

// ---- uninstall ----

int runUninstall(Context& context)
{
    QStringList args = context.args;
    const bool yes = args.removeAll(QStringLiteral("--yes")) > 0;
    const bool leftoversOnly = args.removeAll(QStringLiteral("--leftovers-only")) > 0;
    if (args.size() != 1)
        return context.usageError(LF("%@ aceita um app: nome, identificador, caminho ou pacote", "uninstall"));
    context.args = args;
    int status = Success;
    const std::optional<ChosenApp> chosen = chooseApp(context, status);
    if (!chosen)
        return status;
    const AppInfo& app = chosen->app;
    std::vector<JunkItem> files = chosen->files;
    // The command names the application: it is what goes, unless only its leftovers are asked for.
    if (!files.empty())
        files.front().selected = !leftoversOnly;
    const bool ownTicked = !files.empty() && files.front().selected;
    const UninstallPlan plan = chosen->where.plan(app, chosen->apps);
    const Plan::Record record = Sweeper::planUninstall(app, plan, files);

    // The plan, in the words of the window's confirmation.
    if (!context.json) {
        context.out << shownName(app.name) << "  (" << shownName(Sweeper::ownerText(app, true)) << ")\n";
        printPlan(context, record, QString());
        for (const JunkItem& item : files)
            if (!item.selected && !item.note.isEmpty())
                context.out << "  " << padded(L("mantido"), 10) << " " << shownName(item.url) << "  ("
                            << lineSafe(item.note) << ")\n";
    }
    // A refused plan never removes the application itself.
    if (!record.refusal.isEmpty()) {
        if (context.json)
            context.printJson(QJsonObject{{"refused", record.refusal}});
        context.err << lineSafe(record.refusal) << "\n";
        return Failure;
    }
    if (!yes) {
        if (context.json)
            printPlan(context, record, QString());
        else
            context.out << L("Execute de novo com --yes para desinstalar.") << "\n";
        return Success;
    }

    const UninstallOutcome outcome = Sweeper::uninstall(app, plan, record, chosen->where, Admin::run, Plan::Origin::cli);
    if (!context.json && !outcome.appStays.isEmpty())
        context.err << lineSafe(outcome.appStays) << "\n";
    printOutcome(context, outcome.removal, QJsonObject{{"removed", outcome.appRemoved}, {"appStays", outcome.appStays}});
    // Asked for, the application had to go; and every ticked file had to.
    return outcome.removal.failures.empty() && outcome.removal.held.isEmpty() && (!ownTicked || outcome.appRemoved)
               ? Success
               : Failure;
}

} // namespace

std::vector<AppInfo> appsNamed(const std::vector<AppInfo>& apps, const QString& text)
{
    std::vector<AppInfo> found;
    const auto collect = [&](auto matches) {
        for (const AppInfo& app : apps)
            if (matches(app))
                found.push_back(app);
    };
    // the exact identity first: a path, or the "bytes:" form of one
    collect([&](const AppInfo& app) { return app.id() == text; });
    const std::filesystem::path asPath = FS::expand(QFile::encodeName(text).toStdString()).lexically_normal();
    if (found.empty())
        collect([&](const AppInfo& app) { return app.url.lexically_normal() == asPath; });
    if (found.empty())
        collect([&](const AppInfo& app) {
            return app.bundleID.compare(text, Qt::CaseInsensitive) == 0
                   || app.bundleID.compare(text + ".desktop", Qt::CaseInsensitive) == 0;
        });
    if (found.empty())
        collect([&](const AppInfo& app) { return app.name.compare(text, Qt::CaseInsensitive) == 0; });
    if (found.empty())
        collect([&](const AppInfo& app) {
            return !app.ownerName.isEmpty() && app.ownerName.compare(text, Qt::CaseInsensitive) == 0;
        });
    return found;
}

void setAppBackend(std::optional<AppBackend> backend)
{
    backendOverride() = std::move(backend);
}

std::vector<Command> appCommands()
{
    return {
        {QStringLiteral("apps"), QStringLiteral("apps"),
         L("os aplicativos instalados com seus tamanhos, por nome"), runApps},
        {QStringLiteral("leftovers"), QStringLiteral("leftovers APP"),
         L("um aplicativo e os arquivos que ele deixou, maiores primeiro (APP: nome, identificador ou caminho)"),
         runLeftovers},
        {QStringLiteral("uninstall"), QStringLiteral("uninstall APP [--leftovers-only] [--yes]"),
         L("remove um aplicativo pelo seu dono (pacote, Flatpak, Snap ou a Lixeira) com os restos marcados; sem --yes só mostra o plano; --leftovers-only mantém o aplicativo"),
         runUninstall},
    };
}

} // namespace Cli
