// AppState's uninstaller: application discovery and sizing, the chosen
// application's files and its uninstall.
#include "app/AppState.h"

#include <QFile>
#include <QPointer>
#include <QSet>
#include <QThreadPool>
#include <QUrl>

#include <unistd.h>

#include "engines/apps/Apps.h"
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

// Who installed it, as the page shows it.
QString ownerLabel(const AppInfo& app)
{
    switch (app.ownerKind) {
    case AppOwner::package: return LF("Pacote %@", app.ownerName);
    case AppOwner::flatpak: return QStringLiteral("Flatpak");
    case AppOwner::snap: return QStringLiteral("Snap");
    case AppOwner::appimage: return QStringLiteral("AppImage");
    case AppOwner::local: return L("Entrada local");
    case AppOwner::none: return L("Sem dono");
    case AppOwner::bundle: break;
    }
    return {};
}

QString iconUrl(const AppInfo& app)
{
    return app.icon.startsWith('/') ? QUrl::fromLocalFile(app.icon).toString() : QString();
}

} // namespace

// ---- applications ----

AppBackend AppState::appBackend() const
{
    return appBackend_ ? *appBackend_ : Profiles::active().apps.backend();
}



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
            {"owner", ownerLabel(app)},
            {"icon", iconUrl(app)},
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
    const AppBackend backend = appBackend();
    QPointer<AppState> self(this);
    QThreadPool::globalInstance()->start([self, measured, backend] {
        const std::vector<AppInfo> list = backend.scan();
        QMetaObject::invokeMethod(self.data(), [self, list] {
            if (self)
                self->setApps(list);
        }, Qt::QueuedConnection);
        // Each size published as soon as it is known.
        const auto publish = [self](const QString& id, std::int64_t size) {
            QMetaObject::invokeMethod(self.data(), [self, id, size] {
                if (self)
                    self->setAppSize(id, size);
            }, Qt::QueuedConnection);
        };
        std::vector<AppInfo> unmeasured;
        for (const AppInfo& app : list)
            if (!measured.contains(app.id()))
                unmeasured.push_back(app);
        Sweeper::appSizes(unmeasured, [&](std::size_t index, std::int64_t size) { publish(unmeasured[index].id(), size); });
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
            {"note", item.note},
        });
    appFileModel_->setRows(std::move(rows));
    emit appFilesChanged();
}

QVariantMap AppState::selectedAppInfo() const
{
    const AppInfo* app = selectedApp_ ? findApp(*selectedApp_) : nullptr;
    if (!app)
        return {};
    const bool removable = app->ownerKind != AppOwner::none && appPlan_.ok();
    return {{"name", app->name},
            {"bundleID", app->bundleID},
            {"version", app->version},
            {"path", pathText(app->url)},
            {"owner", ownerLabel(*app)},
            {"icon", iconUrl(*app)},
            {"removable", removable},
            {"why", app->ownerKind == AppOwner::none ? L("Nada instalou esta entrada: não há o que desinstalar.")
                                                     : appPlan_.refusal},
            {"packages", appPlan_.packages.join(", ")},
            {"takesApps", appPlan_.apps.join(", ")}};
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
    const std::vector<AppInfo> installed = apps_;
    const AppBackend backend = appBackend();
    QPointer<AppState> self(this);
    QThreadPool::globalInstance()->start([self, copy, id, installed, backend] {
        auto files = std::make_shared<std::vector<JunkItem>>(backend.files(copy, installed));
        // the removal plan is shown in the confirmation, so it is made now
        auto plan = std::make_shared<UninstallPlan>(backend.plan(copy, installed));
        QMetaObject::invokeMethod(self.data(), [self, files, plan, id] {
            // another application was chosen meanwhile: this list is dropped
            if (!self || self->selectedApp_ != id)
                return;
            self->appPlan_ = std::move(*plan);
            self->setAppFiles(std::move(*files));
            self->setAppLoading(false);
            emit self->selectedAppInfoChanged();
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
    if (app.ownerKind != AppOwner::bundle) {
        uninstallByOwner(app);
        return;
    }

    Sweeper::requestQuit(app);  // a polite request, not waited for

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

// A desktop entry's application: its owner removes it (the package tool, or
// the Trash for a local entry and an AppImage), then the ticked leftovers go
// to the Trash. When the owner's removal fails, nothing else is touched.
void AppState::uninstallByOwner(const AppInfo& app)
{
    const QString id = app.id();
    const UninstallPlan plan = appPlan_;
    const bool ownTicked = !appFiles_.empty() && appFiles_.front().selected;
    // an entry nobody owns is never uninstalled; a refused plan only when the owner's item is ticked
    if (!plan.ok() && (ownTicked || app.ownerKind == AppOwner::none)) {
        setMessage(plan.refusal);
        return;
    }
    Sweeper::requestQuit(app);  // a polite request, not waited for

    std::vector<RemovalTarget> targets;
    for (std::size_t i = 0; i < appFiles_.size(); ++i) {
        const JunkItem& item = appFiles_[i];
        // the owner's own item goes through its tool, not the Trash
        if (item.selected && !(i == 0 && !plan.command.empty()))
            targets.push_back({item.url, false, item.size});
    }
    const auto afterwards = [this, id] {
        setSelectedApp(std::nullopt);
        setAppFiles({});
        loadApps();  // the list is read again: what the owner removed is gone
    };
    if (!ownTicked || plan.command.empty()) {
        perform(std::move(targets), afterwards);
        return;
    }

    setBusy(true);
    const Removal::AdminRunner admin = adminRunner();
    const AppBackend backend = appBackend();
    QPointer<AppState> self(this);
    QThreadPool::globalInstance()->start([self, plan, admin, backend, targets, id, afterwards] {
        const Shell::Result result = plan.admin ? admin(plan.command) : backend.tools(plan.command);
        QMetaObject::invokeMethod(self.data(), [self, result, targets, id, afterwards] {
            if (!self)
                return;
            self->setBusy(false);
            if (!result.ok) {
                const QString reason = Shell::lastLine(result.out);
                self->setMessage(LF("Não removido: %@", reason.isEmpty() ? L("A ferramenta de pacotes não respondeu.") : reason));
                self->selectApp(id);
                return;
            }
            self->perform(std::vector<RemovalTarget>(targets), afterwards);
        }, Qt::QueuedConnection);
    });
}
