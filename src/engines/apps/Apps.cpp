#include "engines/apps/Apps.h"

#include <algorithm>
#include <thread>

#include <QCollator>
#include <QLocale>

#include "platform/FS.h"
#include "platform/Processes.h"

namespace Sweeper {

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

void requestQuit(const AppInfo& app)
{
    Processes::requestQuit(app.executable.empty() ? app.url : app.executable);
}

void appSizes(const std::vector<AppInfo>& apps, const std::function<void(std::size_t, std::int64_t)>& sized)
{
    std::vector<std::filesystem::path> items;
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

} // namespace Sweeper
