#include "cli/AppCommands.h"

#include <QFile>
#include <QJsonObject>

#include <optional>
#include <set>

#include "engines/removal/Removal.h"
#include "platform/Prefs.h"
#include "i18n/L.h"
#include "platform/Fmt.h"
#include "profiles/Profile.h"

namespace Cli {

namespace {

QString pathText(const std::filesystem::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

std::optional<AppBackend>& backendOverride()
{
    static std::optional<AppBackend> backend;
    return backend;
}

AppBackend backend()
{
    return backendOverride() ? *backendOverride() : Profiles::active().apps.backend();
}

QJsonObject ownerJson(const AppInfo& app)
{
    return {{"kind", ownerKindName(app.ownerKind)}, {"name", app.ownerName}};
}

// ---- apps ----

int runApps(Context& context)
{
    if (!context.args.isEmpty())
        return context.usageError(QStringLiteral("apps takes no arguments (see --help)"));
    const std::vector<AppInfo> apps = backend().scan();
    std::vector<std::int64_t> sizes(apps.size(), 0);
    // Each application is reported once, so the threads write different slots.
    Sweeper::appSizes(apps, [&](std::size_t index, std::int64_t bytes) { sizes[index] = bytes; });
    QJsonArray list;
    for (std::size_t i = 0; i < apps.size(); ++i) {
        const AppInfo& app = apps[i];
        const std::int64_t size = sizes[i];
        if (context.json) {
            list.append(QJsonObject{{"id", app.bundleID}, {"name", app.name}, {"bundleID", app.bundleID},
                                    {"owner", ownerJson(app)}, {"version", app.version},
                                    {"path", pathText(app.url)}, {"size", qint64(size)}, {"icon", app.icon}});
        } else if (app.ownerKind == AppOwner::bundle) {
            context.out << Fmt::bytes(size).leftJustified(10) << "  " << lineSafe(app.name)
                        << (app.version.isEmpty() ? QString() : "  v" + lineSafe(app.version)) << "  " << lineSafe(app.bundleID) << "  "
                        << lineSafe(app.url) << "\n";
        } else {
            const QString owner = ownerKindName(app.ownerKind)
                                  + (app.ownerKind == AppOwner::package || app.ownerKind == AppOwner::flatpak
                                             || app.ownerKind == AppOwner::snap
                                         ? ":" + app.ownerName
                                         : QString());
            context.out << Fmt::bytes(size).leftJustified(10) << "  " << owner.leftJustified(22) << "  "
                        << lineSafe(app.version).leftJustified(24) << "  " << lineSafe(app.name) << "  (" << lineSafe(app.bundleID) << ")\n";
        }
    }
    if (context.json)
        context.printJson(list);
    else
        context.out << LF("%ld apps encontrados. Escolha um para ver o app e tudo o que ele espalhou pela Biblioteca.", qint64(apps.size())) << "\n";
    return Success;
}

// The one application APP names, or an exit status with its message written.
// A package holding several applications names the first of them.
std::optional<AppInfo> oneApp(Context& context, const std::vector<AppInfo>& apps, int& status)
{
    const std::vector<AppInfo> found = appsNamed(apps, context.args.first());
    if (found.empty()) {
        context.err << "quillmoor-cli: no application '" << lineSafe(context.args.first()) << "'\n";
        status = Failure;
        return std::nullopt;
    }
    std::set<QString> owners;
    for (const AppInfo& app : found)
        owners.insert(app.ownerKind == AppOwner::bundle ? app.id() : ownerKindName(app.ownerKind) + ":" + app.ownerName);
    if (owners.size() > 1 || (found.size() > 1 && found.front().ownerKind == AppOwner::none)) {
        context.err << "quillmoor-cli: '" << lineSafe(context.args.first()) << "' names " << found.size()
                    << " applications; give one of:\n";
        for (const AppInfo& app : found)
            context.err << "  " << lineSafe(app.ownerKind == AppOwner::bundle ? pathText(app.url) : app.bundleID) << "  "
                        << lineSafe(app.name) << "\n";
        status = found.front().ownerKind == AppOwner::bundle ? Failure : BadUsage;
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
};

std::optional<ChosenApp> chooseApp(Context& context, int& status)
{
    ChosenApp chosen{backend(), {}, {}, {}};
    chosen.apps = chosen.where.scan();
    const std::optional<AppInfo> app = oneApp(context, chosen.apps, status);
    if (!app)
        return std::nullopt;
    chosen.app = *app;
    chosen.files = chosen.where.files(chosen.app, chosen.apps);
    return chosen;
}

// ---- leftovers ----

int runLeftovers(Context& context)
{
    if (context.args.size() != 1)
        return context.usageError(QStringLiteral("leftovers takes one application: name, identifier or path"));
    int status = Success;
    const std::optional<ChosenApp> chosen = chooseApp(context, status);
    if (!chosen)
        return status;
    const AppInfo& app = chosen->app;
    const std::vector<JunkItem>& files = chosen->files;
    std::int64_t total = 0;
    QJsonArray items;
    for (const JunkItem& item : files) {
        total += item.size;
        if (context.json)
            items.append(QJsonObject{{"path", pathText(item.url)}, {"size", qint64(item.size)},
                                     {"selected", item.selected}, {"note", item.note}});
        else
            context.out << (item.selected ? "[x] " : "[ ] ") << Fmt::bytes(item.size).leftJustified(10) << "  "
                        << lineSafe(item.name) << (item.note.isEmpty() ? QString() : "  (" + lineSafe(item.note) + ")") << "\n";
    }
    if (context.json) {
        context.printJson(QJsonObject{{"name", app.name}, {"bundleID", app.bundleID}, {"owner", ownerJson(app)},
                                      {"version", app.version}, {"path", pathText(app.url)}, {"files", items},
                                      {"total", qint64(total)}});
    } else {
        context.out << itemCount(qint64(files.size())) << "  " << Fmt::bytes(total) << "\n";
    }
    return Success;
}

// ---- uninstall ----

int runUninstall(Context& context)
{
    QStringList args = context.args;
    const bool yes = args.removeAll(QStringLiteral("--yes")) > 0;
    if (args.size() != 1)
        return context.usageError(QStringLiteral("uninstall takes one application: desktop id, name or package"));
    context.args = args;
    int status = Success;
    const std::optional<ChosenApp> chosen = chooseApp(context, status);
    if (!chosen)
        return status;
    const AppInfo& app = chosen->app;
    const std::vector<JunkItem>& files = chosen->files;
    const AppBackend& where = chosen->where;
    const UninstallPlan plan = where.plan(app, chosen->apps);

    // The plan: the owner's command, what it takes along, the ticked leftovers.
    std::vector<RemovalTarget> targets;
    for (std::size_t i = 0; i < files.size(); ++i)
        if (files[i].selected && !(i == 0 && !plan.command.empty()))
            targets.push_back({files[i].url, false, files[i].size});
    QJsonArray trash;
    for (const RemovalTarget& target : targets)
        trash.append(QJsonObject{{"path", pathText(target.url)}, {"size", qint64(target.size)}});
    if (!context.json) {
        context.out << lineSafe(app.name) << "  (" << ownerKindName(app.ownerKind) << " " << lineSafe(app.ownerName) << ")\n";
        if (!plan.command.empty())
            context.out << "Command: " << QString::fromStdString(plan.command) << (plan.admin ? "  [admin]" : "") << "\n";
        if (!plan.packages.isEmpty())
            context.out << LF("Também serão removidos os pacotes: %@", plan.packages.join(", ")) << "\n";
        if (!plan.apps.isEmpty())
            context.out << LF("Apps que saem junto: %@", plan.apps.join(", ")) << "\n";
        context.out << "To the Trash:\n";
        for (const RemovalTarget& target : targets)
            context.out << "  " << Fmt::bytes(target.size).leftJustified(10) << " " << lineSafe(target.url) << "\n";
        for (const JunkItem& item : files)
            if (!item.selected && !item.note.isEmpty())
                context.out << "  kept       " << lineSafe(item.url) << "  (" << lineSafe(item.note) << ")\n";
    }
    if (!plan.ok()) {
        if (context.json)
            context.printJson(QJsonObject{{"refused", plan.refusal}});
        context.err << plan.refusal << "\n";
        return Failure;
    }
    if (!yes) {
        if (context.json)
            context.printJson(QJsonObject{{"dryRun", true}, {"command", QString::fromStdString(plan.command)},
                                          {"packages", QJsonArray::fromStringList(plan.packages)},
                                          {"apps", QJsonArray::fromStringList(plan.apps)}, {"trash", trash}});
        else
            context.out << "Run again with --yes to uninstall.\n";
        return Success;
    }

    Sweeper::requestQuit(app);
    if (!plan.command.empty()) {
        const Shell::Result result = plan.admin ? Shell::runAdmin(plan.command)
                                                : where.tools(plan.command);
        if (!result.ok) {
            // the leftovers stay when the owner could not remove the application
            context.err << LF("Não removido: %@", Shell::lastLine(result.out)) << "\n";
            return Failure;
        }
    }
    const RemovalOutcome outcome = Removal::run(targets);
    if (auto settings = Prefs::standard())
        Prefs::recordRemoval(*settings, outcome.freed, outcome.trashed);
    const QString message = Removal::failureMessage(outcome.failures);
    if (context.json) {
        context.printJson(QJsonObject{{"removed", true}, {"trashed", qint64(outcome.trashed)}, {"message", message}});
    } else {
        context.out << LF("%@ na Lixeira", Fmt::bytes(outcome.trashed)) << "\n";
        if (!message.isEmpty())
            context.err << message << "\n";
    }
    return outcome.failures.empty() ? Success : Failure;
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
    const std::filesystem::path asPath = FS::expand(QFile::encodeName(text).toStdString()).lexically_normal();
    collect([&](const AppInfo& app) { return app.url.lexically_normal() == asPath; });
    if (found.empty())
        collect([&](const AppInfo& app) {
            return app.bundleID.compare(text, Qt::CaseInsensitive) == 0
                   || (app.ownerKind != AppOwner::bundle
                       && app.bundleID.compare(text + ".desktop", Qt::CaseInsensitive) == 0);
        });
    if (found.empty())
        collect([&](const AppInfo& app) { return app.name.compare(text, Qt::CaseInsensitive) == 0; });
    if (found.empty())
        collect([&](const AppInfo& app) {
            return app.ownerKind != AppOwner::bundle && !app.ownerName.isEmpty()
                   && app.ownerName.compare(text, Qt::CaseInsensitive) == 0;
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
         QStringLiteral("the installed applications with their sizes, by name"), runApps},
        {QStringLiteral("leftovers"), QStringLiteral("leftovers APP"),
         QStringLiteral("an application and the files it left behind, largest first "
                        "(APP: name, identifier or path)"),
         runLeftovers},
        {QStringLiteral("uninstall"), QStringLiteral("uninstall APP [--yes]"),
         QStringLiteral("removes an application through its owner (package, Flatpak, Snap, or the Trash) with its "
                        "ticked leftovers; without --yes only shows the plan"),
         runUninstall},
    };
}

} // namespace Cli
