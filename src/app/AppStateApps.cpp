// AppState's uninstaller: application discovery and sizing, the chosen
// application's files and its uninstall.
#include "app/AppState.h"

#include <QFile>
#include <QPointer>
#include <QSet>
#include <QThreadPool>

#include <thread>

#include <unistd.h>

#include "engines/Sweeper.h"
#include "i18n/L.h"
#include "platform/Processes.h"
#include "platform/Shell.h"
#include "platform/Trash.h"
#include "profiles/Profile.h"

namespace fs = std::filesystem;

namespace {

QString pathText(const fs::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

bool existsHere(const fs::path& path)
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

} // namespace

// ---- applications ----

const AppInfo* AppState::findApp(const QString& id) const
{
    for (const AppInfo& app : apps_)
        if (app.id() == id)
            return &app;
    return nullptr;
}

void AppState::refreshAppModel()
{
    QList<QVariantMap> rows;
    for (const AppInfo& app : apps_) {
        const QString id = app.id();
        rows.append(QVariantMap{
            {"appId", id},
            {"name", app.name},
            {"bundleID", app.bundleID},
            {"version", app.version},
            {"path", pathText(app.url)},
            // not measured yet: -1, which the byte format shows as "…"
            {"size", static_cast<qint64>(appSizes_.value(id, -1))},
        });
    }
    appModel_->setRows(std::move(rows));
}

void AppState::setApps(std::vector<AppInfo> apps)
{
    apps_ = std::move(apps);
    refreshAppModel();
    emit appsChanged();
    emit selectedAppInfoChanged();
    // A chosen application that is gone takes its file list with it.
    if (selectedApp_ && !findApp(*selectedApp_)) {
        setSelectedApp(std::nullopt);
        setAppFiles({});
        setAppLoading(false);
    }
}

void AppState::setAppSize(const QString& id, std::int64_t size)
{
    appSizes_.insert(id, size);
    refreshAppModel();
    emit appSizesChanged();
}

void AppState::loadApps()
{
    const QList<QString> measuredList = appSizes_.keys();
    const QSet<QString> measured(measuredList.begin(), measuredList.end());
    const std::vector<fs::path> folders = appFolders_.value_or(Profiles::active().apps.folders());
    QPointer<AppState> self(this);
    QThreadPool::globalInstance()->start([self, measured, folders] {
        const std::vector<AppInfo> list = Sweeper::scanApps(folders);
        QMetaObject::invokeMethod(self.data(), [self, list] {
            if (self)
                self->setApps(list);
        }, Qt::QueuedConnection);
        // The applications not measured yet, on the pool of walking threads
        // (never more at once than it has threads), each size published as
        // soon as it is known.
        std::vector<fs::path> paths;
        QList<QString> ids;
        for (const AppInfo& app : list)
            if (!measured.contains(app.id())) {
                paths.push_back(app.url);
                ids.append(app.id());
            }
        FS::sizeEach(paths, FS::sizeWorkers(std::thread::hardware_concurrency()),
                     [self, &ids](std::size_t index, std::int64_t size) {
                         QMetaObject::invokeMethod(self.data(), [self, id = ids[qsizetype(index)], size] {
                             if (self)
                                 self->setAppSize(id, size);
                         }, Qt::QueuedConnection);
                     });
    });
}

void AppState::setSelectedApp(std::optional<QString> id)
{
    if (assign(selectedApp_, id, &AppState::selectedAppChanged))
        emit selectedAppInfoChanged();
}

void AppState::setAppFiles(std::vector<JunkItem> files)
{
    appFiles_ = std::move(files);
    QList<QVariantMap> rows;
    for (const JunkItem& item : appFiles_)
        rows.append(QVariantMap{
            {"fileId", item.id.toString(QUuid::WithoutBraces)},
            {"name", item.name},
            {"path", pathText(item.url)},
            {"size", static_cast<qint64>(item.size)},
            {"selected", item.selected},
        });
    appFileModel_->setRows(std::move(rows));
    emit appFilesChanged();
}

QVariantMap AppState::selectedAppInfo() const
{
    const AppInfo* app = selectedApp_ ? findApp(*selectedApp_) : nullptr;
    if (!app)
        return {};
    return {{"name", app->name}, {"bundleID", app->bundleID}, {"version", app->version}, {"path", pathText(app->url)}};
}

qint64 AppState::appSelectedTotal() const
{
    qint64 sum = 0;
    for (const JunkItem& item : appFiles_)
        sum += item.selected ? item.size : 0;
    return sum;
}

int AppState::appSelectedCount() const
{
    return int(std::count_if(appFiles_.begin(), appFiles_.end(), [](const JunkItem& i) { return i.selected; }));
}

void AppState::selectApp(const QString& id)
{
    const std::optional<QString> chosen = id.isEmpty() ? std::nullopt : std::optional<QString>(id);
    setSelectedApp(chosen);
    setAppFiles({});
    const AppInfo* app = chosen ? findApp(*chosen) : nullptr;
    if (!app) {
        setAppLoading(false);  // nothing is being built for this choice
        return;
    }
    setAppLoading(true);
    const AppInfo copy = *app;
    QPointer<AppState> self(this);
    QThreadPool::globalInstance()->start([self, copy, id] {
        auto files = std::make_shared<std::vector<JunkItem>>(Sweeper::appFiles(copy, Profiles::active().apps.leftoverDirs()));
        QMetaObject::invokeMethod(self.data(), [self, files, id] {
            // another application was chosen meanwhile: this list is dropped
            if (!self || self->selectedApp_ != id)
                return;
            self->setAppFiles(std::move(*files));
            self->setAppLoading(false);
        }, Qt::QueuedConnection);
    });
}

void AppState::toggleAppFile(const QString& fileId)
{
    const QUuid id(fileId);
    for (JunkItem& item : appFiles_) {
        if (item.id == id) {
            item.selected = !item.selected;
            setAppFiles(std::move(appFiles_));
            return;
        }
    }
}

Removal::AdminRunner AppState::adminRunner() const
{
    if (removalAdmin_)
        return removalAdmin_;
    return [](const std::string& command) { return Shell::runAdmin(command); };
}

void AppState::uninstallSelected()
{
    const AppInfo* found = selectedApp_ ? findApp(*selectedApp_) : nullptr;
    if (!found)
        return;
    const AppInfo app = *found;
    const QString id = app.id();

    Processes::requestQuit(app.url);  // a polite request, not waited for

    std::vector<RemovalTarget> targets;
    for (const JunkItem& item : appFiles_)
        if (item.selected)
            targets.push_back({item.url, false, item.size});

    const auto bundle = std::find_if(targets.begin(), targets.end(),
                                     [&](const RemovalTarget& t) { return t.url == app.url; });
    const bool mayDelete = mayDelete_ ? mayDelete_(app.url) : FS::mayDelete(app.url);
    if (bundle != targets.end() && !mayDelete) {
        // The window waits here while the password prompt is open.
        const Shell::Result result = Removal::adminTrash(app.url, {}, adminRunner());
        if (!result.ok)
            setMessage(LF("Não removido: %@", result.out));
        targets.erase(bundle);
    }

    perform(std::move(targets), [this, id, url = app.url] {
        if (!existsHere(url)) {
            std::vector<AppInfo> kept;
            for (const AppInfo& a : apps_)
                if (a.id() != id)
                    kept.push_back(a);
            setSelectedApp(std::nullopt);
            setAppFiles({});
            setApps(std::move(kept));
        } else {
            selectApp(id);
        }
    });
}
