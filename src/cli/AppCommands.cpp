#include "cli/AppCommands.h"

#include <QFile>
#include <QJsonObject>

#include "engines/Sweeper.h"
#include "i18n/L.h"
#include "platform/Fmt.h"
#include "profiles/Profile.h"

namespace Cli {

namespace {

QString pathText(const std::filesystem::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

// ---- apps ----

int runApps(Context& context)
{
    if (!context.args.isEmpty())
        return context.usageError(QStringLiteral("apps takes no arguments (see --help)"));
    const std::vector<AppInfo> apps = Sweeper::scanApps(Profiles::active().apps.folders());
    QJsonArray list;
    for (const AppInfo& app : apps) {
        const std::int64_t size = FS::size(app.url);
        if (context.json) {
            list.append(QJsonObject{{"name", app.name}, {"bundleID", app.bundleID}, {"version", app.version},
                                    {"path", pathText(app.url)}, {"size", qint64(size)}});
        } else {
            context.out << Fmt::bytes(size).leftJustified(10) << "  " << lineSafe(app.name)
                        << (app.version.isEmpty() ? QString() : "  v" + lineSafe(app.version)) << "  "
                        << lineSafe(app.bundleID) << "  " << lineSafe(app.url) << "\n";
        }
    }
    if (context.json)
        context.printJson(list);
    else
        context.out << LF("%ld apps encontrados. Escolha um para ver o app e tudo o que ele espalhou pela Biblioteca.",
                          qint64(apps.size()))
                    << "\n";
    return Success;
}

// ---- leftovers ----

int runLeftovers(Context& context)
{
    if (context.args.size() != 1)
        return context.usageError(QStringLiteral("leftovers takes one application: name, identifier or path"));
    const std::vector<AppInfo> found = appsNamed(Sweeper::scanApps(Profiles::active().apps.folders()), context.args.first());
    if (found.empty()) {
        context.err << "quillmoor-cli: no application '" << lineSafe(context.args.first()) << "'\n";
        return Failure;
    }
    if (found.size() > 1) {
        context.err << "quillmoor-cli: '" << lineSafe(context.args.first()) << "' names " << found.size()
                    << " applications; give its path:\n";
        for (const AppInfo& app : found)
            context.err << "  " << lineSafe(app.url) << "\n";
        return Failure;
    }
    const AppInfo& app = found.front();
    const std::vector<JunkItem> files = Sweeper::appFiles(app, Profiles::active().apps.leftoverDirs());
    std::int64_t total = 0;
    QJsonArray items;
    for (const JunkItem& item : files) {
        total += item.size;
        if (context.json)
            items.append(QJsonObject{{"path", pathText(item.url)}, {"size", qint64(item.size)}});
        else
            context.out << Fmt::bytes(item.size).leftJustified(10) << "  " << lineSafe(item.name) << "\n";
    }
    if (context.json) {
        context.printJson(QJsonObject{{"name", app.name}, {"bundleID", app.bundleID}, {"version", app.version},
                                      {"path", pathText(app.url)}, {"files", items}, {"total", qint64(total)}});
    } else {
        context.out << LF("%ld itens", qint64(files.size())) << "  " << Fmt::bytes(total) << "\n";
    }
    return Success;
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
        collect([&](const AppInfo& app) { return app.bundleID.compare(text, Qt::CaseInsensitive) == 0; });
    if (found.empty())
        collect([&](const AppInfo& app) { return app.name.compare(text, Qt::CaseInsensitive) == 0; });
    return found;
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
    };
}

} // namespace Cli
