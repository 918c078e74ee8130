#pragma once
// The uninstaller as the window shows it: the installed applications with
// their sizes, the chosen one with its own item and its leftovers (ticks and
// notes), the plan its owner will follow, and the uninstall.
#include <cstdint>
#include <optional>
#include <vector>

#include <QHash>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

#include "app/OneInstance.h"
#include "app/RecordListModel.h"
#include "engines/removal/PlanMap.h"
#include "engines/apps/Apps.h"
#include "platform/Background.h"

class RemovalState;
class ShellState;

class NeverTouchState;

class UninstallerState : public QObject, public OneInstance<UninstallerState> {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

    Q_PROPERTY(int appCount READ appCount NOTIFY appsChanged)
    // Whether a listing has arrived: before it, no count is shown (not even a zero).
    Q_PROPERTY(bool appsListed READ appsListed NOTIFY appsChanged)
    Q_PROPERTY(QString selectedApp READ selectedApp NOTIFY selectedAppChanged)
    Q_PROPERTY(bool appLoading READ appLoading NOTIFY appLoadingChanged)
    Q_PROPERTY(RecordListModel* appModel READ appModel CONSTANT)
    Q_PROPERTY(RecordListModel* appFileModel READ appFileModel CONSTANT)
    Q_PROPERTY(QVariantMap selectedAppInfo READ selectedAppInfo NOTIFY selectedAppInfoChanged)
    Q_PROPERTY(qint64 appSelectedTotal READ appSelectedTotal NOTIFY appFilesChanged)
    Q_PROPERTY(int appSelectedCount READ appSelectedCount NOTIFY appFilesChanged)
    Q_PROPERTY(QVariantMap uninstallPlan READ uninstallPlan NOTIFY uninstallPlanChanged)
    Q_PROPERTY(int ignoredCount READ ignoredCount NOTIFY ignoredCountChanged)

public:
    UninstallerState(RemovalState& removals, ShellState& shell, NeverTouchState& never, QObject* parent = nullptr);
    // How many of the chosen application's leftovers the never-touch list hid.
    int ignoredCount() const { return ignoredCount_; }

    const std::vector<AppInfo>& apps() const { return apps_; }
    const QHash<QString, std::int64_t>& appSizes() const { return appSizes_; }
    QString selectedApp() const { return selectedApp_.value_or(QString()); }
    const std::vector<JunkItem>& appFiles() const { return appFiles_; }
    bool appLoading() const { return appLoading_; }
    int appCount() const { return int(apps_.size()); }
    bool appsListed() const { return appsListed_; }
    RecordListModel* appModel() const { return appModel_; }
    RecordListModel* appFileModel() const { return appFileModel_; }
    // The chosen application ({name, bundleID, version, path, owner, icon,
    // removable, why}); empty when none.
    QVariantMap selectedAppInfo() const;
    qint64 appSelectedTotal() const;
    int appSelectedCount() const;

    // Lists the installed applications, then measures the ones not measured
    // yet (or whose version changed), publishing each size as it arrives; the
    // rows that stay keep their sizes and the chosen application stays chosen.
    Q_INVOKABLE void loadApps();
    // The page opens: lists the applications when they were never listed or a
    // watched place (the package database, an entry folder) changed since.
    Q_INVOKABLE void pageShown();
    // Chooses the application shown in detail (empty text: none) and builds
    // its file list, its own item first, and its removal plan, in the background.
    Q_INVOKABLE void selectApp(const QString& id);
    Q_INVOKABLE void toggleAppFile(const QString& fileId);
    // The plan of the chosen application's uninstall with its ticked files,
    // for the confirmation (see planMap): made by planUninstall, made again
    // when the ticks change while it is shown, until closePlan.
    QVariantMap uninstallPlan() const;
    const Plan::Record& uninstallPlanRecord() const { return plan_.record(); }
    Q_INVOKABLE void planUninstall();
    Q_INVOKABLE void closePlan();
    // Carries out the plan shown (made now when none is): asks the chosen
    // application to quit and removes it with its ticked files.
    Q_INVOKABLE void uninstallSelected();

    // The applications in use (tests: fixture places); the active profile's by default.
    void setAppBackend(AppBackend backend) { backend_ = std::move(backend); }
    // The may-delete test of an application's own item (tests).
    void setMayDelete(std::function<bool(const std::filesystem::path&)> test) { mayDelete_ = std::move(test); }

signals:
    void ignoredCountChanged();
    void appsChanged();
    void selectedAppChanged();
    void appFilesChanged();
    void appLoadingChanged();
    void selectedAppInfoChanged();
    void uninstallPlanChanged();
    // An uninstall has finished (what starts at login may have gone with it).
    void uninstallFinished();

private:
    RemovalState& removals_;
    NeverTouchState& never_;
    int ignoredCount_ = 0;
    // A place added to the never-touch list: the chosen application's files are made again.
    void honourNeverTouch();
    ShellState& shell_;
    std::vector<AppInfo> apps_;
    bool appsListed_ = false;
    QHash<QString, std::int64_t> appSizes_;
    std::optional<QString> selectedApp_;
    std::vector<JunkItem> appFiles_;
    bool appLoading_ = false;
    ShownPlan plan_;
    Plan::Record makePlan() const;
    UninstallPlan appPlan_;   // the chosen application's, built with its file list
    std::optional<AppBackend> backend_;
    // The watched places as they were when the last listing began; none before the first.
    std::optional<std::vector<std::int64_t>> listedStamp_;
    Background::Latest listing_;  // an older listing's results are dropped
    std::function<bool(const std::filesystem::path&)> mayDelete_;
    RecordListModel* appModel_ = nullptr;
    RecordListModel* appFileModel_ = nullptr;
    AppBackend backend() const;
    const AppInfo* findApp(const QString& id) const;
    void setApps(std::vector<AppInfo> apps);
    void setAppSize(const QString& id, std::int64_t size);
    void setSelectedApp(std::optional<QString> id);
    void setAppFiles(std::vector<JunkItem> files);
    void setAppLoading(bool loading) { assign(appLoading_, loading, &UninstallerState::appLoadingChanged); }
    void refreshAppModel();
    void uninstallByOwner(const AppInfo& app);
};
