#include "engines/apps/MacBundles.h"

#include <algorithm>
#include <cstring>
#include <set>

#include <QFile>

#include "engines/common/Names.h"
#include "platform/Plist.h"

namespace fs = std::filesystem;

namespace {

QString nameText(const fs::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

// The application a bundle folder holds, or nothing when it is not one we offer.
std::optional<AppInfo> appFrom(const fs::path& bundle, const QString& systemPrefix)
{
    const std::optional<QVariantMap> info = Plist::readDictionary(bundle / "Contents" / "Info.plist");
    if (!info)
        return std::nullopt;
    const std::optional<QString> bundleID = Plist::text(*info, QStringLiteral("CFBundleIdentifier"));
    if (!bundleID || bundleID->isEmpty())
        return std::nullopt;
    if (!systemPrefix.isEmpty() && bundleID->startsWith(systemPrefix))
        return std::nullopt;  // the system's own applications are never offered
    if (*bundleID == Sweeper::ownIdentifier())
        return std::nullopt;
    AppInfo app;
    app.url = bundle;
    app.ownerKind = AppOwner::bundle;
    app.name = nameText(bundle.stem());
    app.bundleID = *bundleID;
    app.version = Plist::text(*info, QStringLiteral("CFBundleShortVersionString")).value_or(QString());
    return app;
}

} // namespace

namespace MacApps {

std::vector<AppInfo> scanApps(const std::vector<fs::path>& folders, const QString& systemPrefix)
{
    std::vector<AppInfo> apps;
    std::set<std::string> taken;
    for (const fs::path& folder : folders) {
        for (const fs::path& child : FS::children(folder)) {
            if (child.extension() != ".app")
                continue;
            std::optional<AppInfo> app = appFrom(child, systemPrefix);
            if (!app || !taken.insert(child.lexically_normal().native()).second)
                continue;
            apps.push_back(std::move(*app));
        }
    }
    Sweeper::sortAppsByName(apps);
    return apps;
}

QString cutLeftoverName(const QString& name)
{
    QString text = name.toLower();
    for (const char* ending : {".plist", ".savedstate", ".binarycookies"}) {
        if (text.endsWith(QLatin1String(ending)))
            text.chop(qsizetype(std::strlen(ending)));
    }
    return text;
}

bool isLeftover(const QString& entryName, const QString& bundleID, const QString& appName)
{
    const QString cut = cutLeftoverName(entryName);
    const QString bid = bundleID.toLower();
    const QString nm = appName.toLower();
    if (!bid.isEmpty() && cut.contains(bid))
        return true;
    return nm.size() > 3 && cut == nm;
}

std::vector<JunkItem> leftovers(const AppInfo& app, const std::vector<std::string>& dirs, const fs::path& home)
{
    std::vector<JunkItem> found;
    for (const std::string& dir : dirs) {
        for (const fs::path& child : FS::children(home / dir)) {
            if (!isLeftover(nameText(child.filename()), app.bundleID, app.name))
                continue;
            JunkItem item;
            item.url = child;
            item.name = FS::pretty(child);
            item.size = FS::size(child);
            item.selected = true;
            found.push_back(std::move(item));
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const JunkItem& a, const JunkItem& b) { return a.size > b.size; });
    return found;
}

std::vector<JunkItem> appFiles(const AppInfo& app, const std::vector<std::string>& dirs, const fs::path& home)
{
    std::vector<JunkItem> files;
    JunkItem bundle;
    bundle.url = app.url;
    bundle.name = FS::pretty(app.url);
    bundle.size = FS::size(app.url);
    bundle.selected = true;
    files.push_back(std::move(bundle));
    for (JunkItem& item : leftovers(app, dirs, home))
        files.push_back(std::move(item));
    return files;
}

AppBackend backend(const Places& places)
{
    AppBackend backend;
    backend.scan = [places] { return scanApps(places.folders, places.systemPrefix); };
    backend.files = [places](const AppInfo& app, const std::vector<AppInfo>&) {
        return appFiles(app, places.leftoverDirs, places.home);
    };
    backend.plan = [](const AppInfo&, const std::vector<AppInfo>&) { return UninstallPlan{}; };
    backend.tools = [](const std::string& command) { return Shell::run(command); };
    backend.watched = places.folders;
    return backend;
}

} // namespace MacApps
