#include "app/UninstallerState.h"

#include <algorithm>

#include <QFile>
#include <QSet>
#include <QUrl>

#include "app/NeverTouchState.h"
#include "app/RemovalState.h"
#include "engines/removal/PlanText.h"
#include "app/ShellState.h"
#include "i18n/L.h"
#include "platform/Background.h"
#include "platform/FS.h"
#include "platform/Shell.h"
#include "profiles/Profile.h"

namespace fs = std::filesystem;

namespace {

// The page names no owner for a bundle: the application is the bundle.
QString ownerLabel(const AppInfo& app)
{
    return app.ownerKind == AppOwner::bundle ? QString() : Sweeper::ownerText(app, false);
}

QString iconUrl(const AppInfo& app)
{
    return app.icon.startsWith('/') ? QUrl::fromLocalFile(app.icon).toString() : QString();
}

} // namespace

UninstallerState::UninstallerState(RemovalState& removals, ShellState& shell, NeverTouchState& never,
                                   QObject* parent)
    : QObject(parent), OneInstance(this), removals_(removals), never_(never), shell_(shell)
{
    connect(&never_, &NeverTouchState::placesChanged, this, &UninstallerState::honourNeverTouch);
    appModel_ = new RecordListModel({"appId", "name", "bundleID", "version", "path", "owner", "icon", "size"}, "appId", this);
    appFileModel_ = new RecordListModel({"fileId", "name", "path", "size", "selected", "note"}, "fileId", this);
}

AppBackend UninstallerState::backend() const
{
    return backend_ ? *backend_ : Profiles::active().apps.backend();
}

const AppInfo* UninstallerState::findApp(const QString& id) const
{
    for (const AppInfo& app : apps_)
        if (app.id() == id)
            return &app;
    return nullptr;
}

void UninstallerState::refreshAppModel()
{
    QList<QVariantMap> rows;
    for (const AppInfo& app : apps_) {
        const QString id = app.id();
        rows.append(QVariantMap{
            {"appId", id},
            {"name", app.name},
            {"bundleID", app.bundleID},
            {"version", app.version},
            {"path", FS::text(app.url)},
            {"owner", ownerLabel(app)},
            {"icon", iconUrl(app)},
            // not measured yet: -1, which the byte format shows as "…"
            {"size", static_cast<qint64>(appSizes_.value(id, -1))},
        });
    }
    appModel_->setRows(std::move(rows));
}

void UninstallerState::setApps(std::vector<AppInfo> apps)
{
    // A size stays with an application that is still there in the same version.
    for (const AppInfo& before : apps_) {
        const auto now = std::find_if(apps.begin(), apps.end(), [&](const AppInfo& a) { return a.id() == before.id(); });
        if (now == apps.end() || now->version != before.version)
            appSizes_.remove(before.id());
    }
    apps_ = std::move(apps);
    appsListed_ = true;
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

void UninstallerState::setAppSize(const QString& id, std::int64_t size)
{
    appSizes_.insert(id, size);
    refreshAppModel();
}

void UninstallerState::loadApps()
{
    QHash<QString, QString> measured;  // id -> the version measured
    for (const AppInfo& app : apps_)
        if (appSizes_.contains(app.id()))
            measured.insert(app.id(), app.version);
    const AppBackend apps = backend();
    // taken before the reading, so that a change during it is seen next time
    listedStamp_ = Sweeper::changeStamp(apps.watched);
    const auto ticket = listing_.next();
    const QPointer<QObject> self(this);
    Background::run(this, [self, state = this, ticket, measured, apps] {
        const std::vector<AppInfo> list = apps.scan();
        Background::post(self, [state, ticket, list] {
            if (state->listing_.isCurrent(ticket))
                state->setApps(list);
        });
        // Each size published as soon as it is known.
        std::vector<AppInfo> unmeasured;
        for (const AppInfo& app : list)
            if (const auto known = measured.constFind(app.id()); known == measured.cend() || *known != app.version)
                unmeasured.push_back(app);
        Sweeper::appSizes(unmeasured, [&](std::size_t index, std::int64_t size) {
            Background::post(self, [state, ticket, id = unmeasured[index].id(), size] {
                if (state->listing_.isCurrent(ticket))
                    state->setAppSize(id, size);
            });
        });
    }, [] {});
}

void UninstallerState::pageShown()
{
    if (!listedStamp_ || Sweeper::changeStamp(backend().watched) != *listedStamp_)
        loadApps();
}

void UninstallerState::setSelectedApp(std::optional<QString> id)
{
    if (assign(selectedApp_, id, &UninstallerState::selectedAppChanged))
        emit selectedAppInfoChanged();
}

void UninstallerState::setAppFiles(std::vector<JunkItem> files)
{
    appFiles_ = std::move(files);
    QList<QVariantMap> rows;
    for (const JunkItem& item : appFiles_)
        rows.append(QVariantMap{
            {"fileId", item.id.toString(QUuid::WithoutBraces)},
            {"name", item.name},
            {"path", FS::text(item.url)},
            {"size", static_cast<qint64>(item.size)},
            {"selected", item.selected},
            {"note", item.note},
        });
    appFileModel_->setRows(std::move(rows));
    emit appFilesChanged();
    emit selectedAppInfoChanged();
    if (plan_.shown())
        planUninstall();  // the confirmation shows the plan of the ticks as they are now
}

QVariantMap UninstallerState::uninstallPlan() const { return plan_.map(); }

Plan::Record UninstallerState::makePlan() const
{
    const AppInfo* app = selectedApp_ ? findApp(*selectedApp_) : nullptr;
    const auto mayDelete = mayDelete_ ? mayDelete_ : std::function<bool(const fs::path&)>(FS::mayDelete);
    return app && !appLoading_ ? Sweeper::planUninstall(*app, appPlan_, appFiles_, mayDelete) : Plan::Record{};
}

void UninstallerState::planUninstall()
{
    plan_.show(makePlan(), L("Desinstalar?"));
    emit uninstallPlanChanged();
}

void UninstallerState::closePlan()
{
    if (plan_.close())
        emit uninstallPlanChanged();
}

QVariantMap UninstallerState::selectedAppInfo() const
{
    const AppInfo* app = selectedApp_ ? findApp(*selectedApp_) : nullptr;
    if (!app)
        return {};
    // A refused plan still lets the ticked leftovers go once the application's own item is unticked.
    const bool ownTicked = !appFiles_.empty() && appFiles_.front().selected;
    return {{"name", app->name},
            {"bundleID", app->bundleID},
            {"version", app->version},
            {"path", FS::text(app->url)},
            {"owner", ownerLabel(*app)},
            {"icon", iconUrl(*app)},
            {"removable", appPlan_.ok() || !ownTicked},
            {"why", appPlan_.refusal}};
}

qint64 UninstallerState::appSelectedTotal() const
{
    qint64 sum = 0;
    for (const JunkItem& item : appFiles_)
        sum += item.selected ? item.size : 0;
    return sum;
}

int UninstallerState::appSelectedCount() const
{
    return int(std::count_if(appFiles_.begin(), appFiles_.end(), [](const JunkItem& i) { return i.selected; }));
}

void UninstallerState::selectApp(const QString& id)
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
    const AppBackend apps = backend();
    // the removal plan is shown in the confirmation, so it is made now
    struct Chosen {
        std::vector<JunkItem> files;
        UninstallPlan plan;
        int ignored = 0;
    };
    Background::run(
        this,
        [copy, installed, apps, never = never_.list()] {
            Chosen chosen{apps.files(copy, installed), apps.plan(copy, installed)};
            chosen.ignored = Sweeper::honourNeverTouch(chosen.files, never);
            return chosen;
        },
        [this, id](Chosen chosen) {
            if (selectedApp_ != id)
                return;  // another application was chosen meanwhile: this list is dropped
            appPlan_ = std::move(chosen.plan);
            assign(ignoredCount_, chosen.ignored, &UninstallerState::ignoredCountChanged);
            setAppFiles(std::move(chosen.files));
            setAppLoading(false);
        });
}

void UninstallerState::honourNeverTouch()
{
    const NeverTouchList& never = never_.list();
    const bool touched = std::any_of(appFiles_.begin(), appFiles_.end(),
                                     [&never](const JunkItem& item) { return !item.url.empty() && never.touches(item.url); });
    if (touched && selectedApp_ && !appLoading_)
        selectApp(*selectedApp_);  // a leftover holding the place is offered as its other entries
}

void UninstallerState::toggleAppFile(const QString& fileId)
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

void UninstallerState::uninstallSelected()
{
    const AppInfo* found = selectedApp_ ? findApp(*selectedApp_) : nullptr;
    if (!found || appLoading_)
        return;
    const Plan::Record record = plan_.take([this] { return makePlan(); });
    emit uninstallPlanChanged();
    const AppInfo app = *found;
    const QString id = app.id();
    const UninstallPlan plan = appPlan_;
    const AppBackend apps = backend();
    const Admin::Runner admin = removals_.adminRunner();
    // Everything runs in the background: the owner's tool and the password
    // prompt may take their time, the window keeps responding.
    auto outcome = std::make_shared<UninstallOutcome>();
    removals_.performWork(
        [app, plan, record, apps, admin, outcome] {
            *outcome = Sweeper::uninstall(app, plan, record, apps, admin);
            return outcome->removal;
        },
        [this, id, name = app.name, outcome] {
            if (!outcome->appStays.isEmpty())
                shell_.setMessage(shell_.hasMessage() ? shell_.message() + QLatin1Char('\n') + outcome->appStays
                                                      : outcome->appStays);
            if (outcome->refused)
                return;
            if (outcome->appRemoved) {
                // the celebration names what was uninstalled, even when nothing went to the Trash
                removals_.setCelebrate(Celebration{outcome->removal.freed, outcome->removal.trashed, name,
                                                   Plan::reportOf(outcome->removal).groups});
                setSelectedApp(std::nullopt);
                setAppFiles({});
            } else {
                selectApp(id);  // the application stays: its files as they are now
            }
            // The list is read again (the owner may have taken other applications
            // with it), and whoever lists what starts at login reads it again too.
            loadApps();
            emit uninstallFinished();
        });
}
