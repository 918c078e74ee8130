// Application discovery and the leftover search: only the direct children of
// fixed folders are looked at, with plain text tests.
#include <algorithm>
#include <cstring>
#include <set>
#include <thread>

#include <QCollator>
#include <QFile>
#include <QLocale>

#include "engines/Sweeper.h"
#include "platform/Plist.h"

namespace fs = std::filesystem;

namespace {

QString nameText(const fs::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

// The application a bundle folder holds, or nothing when it is not one we offer.
std::optional<AppInfo> appFrom(const fs::path& bundle)
{
    const std::optional<QVariantMap> info = Plist::readDictionary(bundle / "Contents" / "Info.plist");
    if (!info)
        return std::nullopt;
    const std::optional<QString> bundleID = Plist::text(*info, QStringLiteral("CFBundleIdentifier"));
    if (!bundleID || bundleID->isEmpty())
        return std::nullopt;
    if (bundleID->startsWith(QLatin1String("com.apple.")))
        return std::nullopt;  // the system's own applications are never offered
    if (*bundleID == Sweeper::ownIdentifier())
        return std::nullopt;
    AppInfo app;
    app.url = bundle;
    app.name = nameText(bundle.stem());
    app.bundleID = *bundleID;
    app.version = Plist::text(*info, QStringLiteral("CFBundleShortVersionString")).value_or(QString());
    return app;
}

} // namespace

namespace Sweeper {

std::vector<AppInfo> scanApps(const std::vector<fs::path>& folders)
{
    std::vector<AppInfo> apps;
    std::set<std::string> taken;
    for (const fs::path& folder : folders) {
        for (const fs::path& child : FS::children(folder)) {
            if (child.extension() != ".app")
                continue;
            std::optional<AppInfo> app = appFrom(child);
            if (!app || !taken.insert(child.lexically_normal().native()).second)
                continue;
            apps.push_back(std::move(*app));
        }
    }
    sortAppsByName(apps);
    return apps;
}

void sortAppsByName(std::vector<AppInfo>& apps)
{
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(apps.begin(), apps.end(),
                     [&](const AppInfo& a, const AppInfo& b) { return collator.compare(a.name, b.name) < 0; });
}

bool appMatches(const AppInfo& app, const QString& search)
{
    if (search.isEmpty())
        return true;
    const QLocale locale;
    const QString needle = locale.toLower(search);
    return locale.toLower(app.name).contains(needle) || locale.toLower(app.bundleID).contains(needle);
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

void appSizes(const std::vector<AppInfo>& apps, const std::function<void(std::size_t, std::int64_t)>& sized)
{
    std::vector<fs::path> items;
    std::vector<std::size_t> measured;  // the application of each item
    for (std::size_t i = 0; i < apps.size(); ++i) {
        if (apps[i].knownSize >= 0) {
            sized(i, apps[i].knownSize);
        } else {
            items.push_back(apps[i].ownItem.empty() ? apps[i].url : apps[i].ownItem);
            measured.push_back(i);
        }
    }
    FS::sizeEach(items, FS::sizeWorkers(std::thread::hardware_concurrency()),
                 [&](std::size_t index, std::int64_t bytes) { sized(measured[index], bytes); });
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

} // namespace Sweeper
