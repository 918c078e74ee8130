#pragma once
// The one observable state object of the program. Every screen reads its
// properties and every user action calls one of its operations. It lives on
// the main thread for the whole run; engines never see it.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

#include "app/AppSection.h"
#include "engines/apps/Apps.h"
#include "engines/maintenance/Maintenance.h"
#include "engines/records/Junk.h"
#include "engines/records/Large.h"
#include "engines/removal/Removal.h"
#include "engines/startup/Startup.h"
#include "platform/FS.h"
#include "space/SpaceModel.h"
#include "app/RecordListModel.h"

class QQmlEngine;
class QJSEngine;

// The outcome of a removal that moved or deleted something.
struct Celebration {
    std::int64_t freed = 0;    // deleted for good
    std::int64_t trashed = 0;  // moved to the Trash
    bool operator==(const Celebration&) const = default;
};

// The indexes of the `count` largest totals, largest first; equal totals keep their order.
std::vector<std::size_t> largestFirst(const std::vector<std::int64_t>& totals, std::size_t count);

// The order in which the large-file page shows files by age: oldest access
// first, files without an access date before all others, equal dates in list order.
std::vector<std::size_t> oldestFirst(const std::vector<LargeFile>& files);

// How thick the sky's nebula is: the clutter found so far, between 0.08 and 1.
double nebulaDensityFor(bool scanning, bool scanned, std::int64_t live, std::int64_t selectedTotal);

class AppState : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

    Q_PROPERTY(QString section READ section WRITE setSection NOTIFY sectionChanged)
    Q_PROPERTY(QVariantList sections READ sections CONSTANT)
    Q_PROPERTY(QString message READ message WRITE setMessage NOTIFY messageChanged)
    Q_PROPERTY(bool busy READ busy NOTIFY busyChanged)
    Q_PROPERTY(qint64 diskTotal READ diskTotal NOTIFY diskChanged)
    Q_PROPERTY(qint64 diskFree READ diskFree NOTIFY diskChanged)
    Q_PROPERTY(quint64 memTotal READ memTotal NOTIFY memChanged)
    Q_PROPERTY(quint64 memUsed READ memUsed NOTIFY memChanged)
    Q_PROPERTY(bool fda READ fda NOTIFY fdaChanged)
    Q_PROPERTY(qint64 totalFreed READ totalFreed NOTIFY totalFreedChanged)
    Q_PROPERTY(bool junkScanning READ junkScanning NOTIFY junkScanningChanged)
    Q_PROPERTY(bool junkScanned READ junkScanned WRITE setJunkScanned NOTIFY junkScannedChanged)
    Q_PROPERTY(qint64 junkLive READ junkLive NOTIFY junkLiveChanged)
    Q_PROPERTY(QString junkCurrent READ junkCurrent NOTIFY junkCurrentChanged)
    Q_PROPERTY(qint64 junkSelectedTotal READ junkSelectedTotal NOTIFY junkGroupsChanged)
    Q_PROPERTY(qint64 junkTotal READ junkTotal NOTIFY junkGroupsChanged)
    Q_PROPERTY(bool trashWillEmpty READ trashWillEmpty NOTIFY junkGroupsChanged)
    Q_PROPERTY(RecordListModel* junkGroupModel READ junkGroupModel CONSTANT)
    Q_PROPERTY(QVariantList largestJunkGroups READ largestJunkGroups NOTIFY junkGroupsChanged)
    Q_PROPERTY(bool celebrating READ celebrating NOTIFY celebrateChanged)
    Q_PROPERTY(qint64 celebrateFreed READ celebrateFreed NOTIFY celebrateChanged)
    Q_PROPERTY(qint64 celebrateTrashed READ celebrateTrashed NOTIFY celebrateChanged)
    Q_PROPERTY(bool largeScanning READ largeScanning NOTIFY largeScanningChanged)
    Q_PROPERTY(bool largeScanned READ largeScanned NOTIFY largeScannedChanged)
    Q_PROPERTY(int largeProgress READ largeProgress NOTIFY largeProgressChanged)
    Q_PROPERTY(qint64 largeMin READ largeMin WRITE setLargeMin NOTIFY largeMinChanged)
    Q_PROPERTY(QString largeMinLabel READ largeMinLabel NOTIFY largeMinChanged)
    Q_PROPERTY(QVariantList largeOptions READ largeOptions CONSTANT)
    Q_PROPERTY(qint64 largeSelectedTotal READ largeSelectedTotal NOTIFY largeFilesChanged)
    Q_PROPERTY(int largeSelectedCount READ largeSelectedCount NOTIFY largeFilesChanged)
    Q_PROPERTY(int largeCount READ largeCount NOTIFY largeFilesChanged)
    Q_PROPERTY(RecordListModel* largeFileModel READ largeFileModel CONSTANT)
    Q_PROPERTY(RecordListModel* largeFileModelByAge READ largeFileModelByAge CONSTANT)
    Q_PROPERTY(int appCount READ appCount NOTIFY appsChanged)
    Q_PROPERTY(int agentCount READ agentCount NOTIFY agentsChanged)
    Q_PROPERTY(QString selectedApp READ selectedApp NOTIFY selectedAppChanged)
    Q_PROPERTY(bool appLoading READ appLoading NOTIFY appLoadingChanged)
    Q_PROPERTY(RecordListModel* appModel READ appModel CONSTANT)
    Q_PROPERTY(RecordListModel* appFileModel READ appFileModel CONSTANT)
    Q_PROPERTY(QVariantMap selectedAppInfo READ selectedAppInfo NOTIFY selectedAppInfoChanged)
    Q_PROPERTY(qint64 appSelectedTotal READ appSelectedTotal NOTIFY appFilesChanged)
    Q_PROPERTY(int appSelectedCount READ appSelectedCount NOTIFY appFilesChanged)
    Q_PROPERTY(RecordListModel* agentModel READ agentModel CONSTANT)
    Q_PROPERTY(bool launchAtLogin READ launchAtLogin NOTIFY launchAtLoginChanged)
    Q_PROPERTY(QString maintRunning READ maintRunning NOTIFY maintRunningChanged)
    Q_PROPERTY(QStringList maintDone READ maintDone NOTIFY maintDoneChanged)
    Q_PROPERTY(double nebulaDensity READ nebulaDensity NOTIFY nebulaDensityChanged)

public:
    // No default argument on purpose: QML would then make a second instance
    // with the default constructor instead of asking create() for this one.
    explicit AppState(QObject* parent);
    ~AppState() override;

    // The instance the QML engine hands out: the one made by the application.
    static AppState* create(QQmlEngine*, QJSEngine*);
    static AppState* instance();

    QString section() const;
    std::optional<AppSection> currentSection() const { return section_; }
    void setSection(const QString& id);  // unknown id or empty text = no section
    QVariantList sections() const;

    QString message() const { return message_.value_or(QString()); }
    bool hasMessage() const { return message_.has_value(); }
    void setMessage(const QString& text);
    Q_INVOKABLE void dismissMessage();

    bool busy() const { return busy_; }
    void setBusy(bool busy);

    qint64 diskTotal() const { return disk_.total; }
    qint64 diskFree() const { return disk_.free; }
    quint64 memTotal() const { return mem_.total; }
    quint64 memUsed() const { return mem_.used; }
    bool fda() const { return fda_; }
    Q_INVOKABLE void refreshStats();
    Q_INVOKABLE void refreshFda();

    qint64 totalFreed() const { return totalFreed_; }
    // Adds bytes freed for good to the running total and stores it at once.
    Q_INVOKABLE void addFreed(qint64 bytes);

    const std::vector<JunkGroup>& junkGroups() const { return junkGroups_; }
    bool junkScanning() const { return junkScanning_; }
    bool junkScanned() const { return junkScanned_; }
    void setJunkScanned(bool scanned);
    qint64 junkLive() const { return junkLive_; }
    QString junkCurrent() const { return junkCurrent_; }
    qint64 junkTotal() const;
    qint64 junkSelectedTotal() const;
    // The next cleanup will empty the Trash for good.
    bool trashWillEmpty() const;
    RecordListModel* junkGroupModel() const { return junkGroupModel_; }
    // The four largest groups ({title, total}), largest first.
    QVariantList largestJunkGroups() const;

    // Scans the junk rules in the background; one scan at a time.
    Q_INVOKABLE void scanJunk();
    // Removes the selected junk through perform, then prunes what is gone.
    Q_INVOKABLE void cleanJunk();
    // Ticks or unticks one item; ticks every item of a group unless all are
    // ticked, then unticks them all.
    Q_INVOKABLE void toggleJunkItem(const QString& groupId, const QString& itemId);
    Q_INVOKABLE void toggleJunkGroup(const QString& groupId);

    // The one removal routine: deletes or trashes the targets in the
    // background under the busy veil, then publishes the outcome and runs `then`.
    void perform(std::vector<RemovalTarget> targets, std::function<void()> then = {});
    // Replaces the administrator runner of the removal routine (tests).
    void setRemovalAdminRunner(Removal::AdminRunner runner) { removalAdmin_ = std::move(runner); }

    std::optional<Celebration> celebrate() const { return celebrate_; }
    bool celebrating() const { return celebrate_.has_value(); }
    qint64 celebrateFreed() const { return celebrate_ ? celebrate_->freed : 0; }
    qint64 celebrateTrashed() const { return celebrate_ ? celebrate_->trashed : 0; }
    void setCelebrate(std::optional<Celebration> value);
    Q_INVOKABLE void dismissCelebration();

    const std::vector<LargeFile>& largeFiles() const { return largeFiles_; }
    bool largeScanning() const { return largeScanning_; }
    bool largeScanned() const { return largeScanned_; }
    int largeProgress() const { return largeProgress_; }
    qint64 largeMin() const { return largeMin_; }
    void setLargeMin(qint64 bytes);
    const CancelFlagPtr& largeFlag() const { return largeFlag_; }
    // The label of the current threshold among the offered ones, or empty.
    QString largeMinLabel() const;
    QVariantList largeOptions() const;
    qint64 largeSelectedTotal() const;
    int largeSelectedCount() const;
    int largeCount() const { return int(largeFiles_.size()); }
    RecordListModel* largeFileModel() const { return largeFileModel_; }
    RecordListModel* largeFileModelByAge() const { return largeFileModelByAge_; }

    // Starts a scan of the home folder with the current threshold, superseding
    // a running one (whose result is then dropped).
    Q_INVOKABLE void scanLarge();
    // Asks the running scan to stop; what it found is still published.
    Q_INVOKABLE void cancelLarge();
    // Moves the ticked files to the Trash, then drops the entries that are gone.
    Q_INVOKABLE void trashLarge();
    Q_INVOKABLE void toggleLargeFile(const QString& fileId);

    // Moves the space map's selection to the Trash through perform, then
    // lists the model's folder again.
    Q_INVOKABLE void trashSpaceSelection(SpaceModel* model);

    const std::vector<AppInfo>& apps() const { return apps_; }
    const QHash<QString, std::int64_t>& appSizes() const { return appSizes_; }
    QString selectedApp() const { return selectedApp_.value_or(QString()); }
    const std::vector<JunkItem>& appFiles() const { return appFiles_; }
    bool appLoading() const { return appLoading_; }

    int appCount() const { return int(apps_.size()); }
    RecordListModel* appModel() const { return appModel_; }
    RecordListModel* appFileModel() const { return appFileModel_; }
    // The chosen application ({name, bundleID, version, path, owner, icon,
    // removable, why, packages, takesApps}); empty when none.
    QVariantMap selectedAppInfo() const;
    qint64 appSelectedTotal() const;
    int appSelectedCount() const;
    // Lists the installed applications, then measures the ones not measured
    // yet, one by one, publishing each size as it arrives.
    Q_INVOKABLE void loadApps();
    // Chooses the application shown in detail (empty text: none) and builds
    // its file list, the bundle first, in the background.
    Q_INVOKABLE void selectApp(const QString& id);
    Q_INVOKABLE void toggleAppFile(const QString& fileId);
    // Asks the chosen application to quit and moves its ticked files to the
    // Trash (the bundle with administrator rights when the user may not).
    Q_INVOKABLE void uninstallSelected();

    const std::vector<AgentItem>& agents() const { return agents_; }
    int agentCount() const { return int(agents_.size()); }
    RecordListModel* agentModel() const { return agentModel_; }
    // Lists the launch agents and daemons.
    Q_INVOKABLE void loadAgents();
    // Unloads the item and moves it to the Trash (with administrator rights
    // when it is not the user's own), then lists the items again.
    void removeAgent(const AgentItem& item);
    Q_INVOKABLE void removeAgent(const QString& agentId);
    // Switches a startup item on or off (in the background: a service may take
    // its time, the machine's ask for the password), then lists the items again.
    void setAgentOn(const AgentItem& item, bool on);
    Q_INVOKABLE void setAgentOn(const QString& agentId, bool on);

    // The program's own login item, as the startup page, the settings and the
    // panel all show it.
    bool launchAtLogin() const { return launchAtLogin_; }
    // Registers or unregisters the login item; the error text, or empty on success.
    Q_INVOKABLE QString setLaunchAtLogin(bool on);
    // Reads the login item's state again (after it changed elsewhere).
    Q_INVOKABLE void refreshLoginItem();

    // Maintenance: a run belongs to the application, so leaving the page and
    // coming back shows it still running, and a second one cannot start.
    QString maintRunning() const { return maintRunning_; }
    QStringList maintDone() const { return maintDone_; }
    // Runs the available routines among `tasks` whose id is in `selected`, in
    // the background; false (and nothing runs) while a run is in progress.
    bool runMaintenance(const std::vector<MaintTask>& tasks, const QStringList& selected,
                        Maintenance::Reasons reasons = Maintenance::Reasons::Silent);
    // Replaces the command runners of maintenance runs (tests); empty ones
    // restore Shell::run and Shell::runAdmin.
    void setMaintenanceRunners(Maintenance::Runner user, Maintenance::Runner admin);

    // Test seams: the applications (fixture places), the startup items, the may-delete test.
    void setAppBackend(AppBackend backend) { appBackend_ = std::move(backend); }
    void setStartupBackend(std::optional<StartupBackend> backend) { startupBackend_ = std::move(backend); }
    // The startup items in use: the ones set for tests, else the active profile's.
    StartupBackend startupBackend() const;
    void setMayDelete(std::function<bool(const std::filesystem::path&)> test) { mayDelete_ = std::move(test); }

    double nebulaDensity() const;

signals:
    void sectionChanged();
    void messageChanged();
    void busyChanged();
    void diskChanged();
    void memChanged();
    void fdaChanged();
    void totalFreedChanged();
    void junkGroupsChanged();
    void junkScanningChanged();
    void junkScannedChanged();
    void junkLiveChanged();
    void junkCurrentChanged();
    void celebrateChanged();
    void largeFilesChanged();
    void largeScanningChanged();
    void largeScannedChanged();
    void largeProgressChanged();
    void largeMinChanged();
    void appsChanged();
    void appSizesChanged();
    void selectedAppChanged();
    void appFilesChanged();
    void appLoadingChanged();
    void agentsChanged();
    void launchAtLoginChanged();
    void maintRunningChanged();
    void maintDoneChanged();
    // A maintenance run has finished (tests wait for it).
    void maintenanceFinished();
    void selectedAppInfoChanged();
    void nebulaDensityChanged();

protected:
    // Feature drivers (and tests) publish through these; each emits only on a real change.
    void setJunkScanning(bool scanning);
    void setJunkLive(qint64 bytes);
    void setJunkCurrent(const QString& text);
    void setJunkGroups(std::vector<JunkGroup> groups);
    void setFda(bool fda);
    // Publishes a finished removal (main thread).
    void publishRemoval(const RemovalOutcome& outcome);
    // Drops the junk items whose files are gone, then the empty groups.
    void pruneJunk();
    void setLargeFiles(std::vector<LargeFile> files);
    void setLargeScanning(bool scanning) { assign(largeScanning_, scanning, &AppState::largeScanningChanged); }
    void setLargeProgress(int count) { assign(largeProgress_, count, &AppState::largeProgressChanged); }

private:
    std::optional<AppSection> section_ = AppSection::overview;
    std::optional<QString> message_;
    bool busy_ = false;
    FS::Disk disk_;
    FS::Memory mem_;
    bool fda_ = false;
    qint64 totalFreed_ = 0;
    std::vector<JunkGroup> junkGroups_;
    bool junkScanning_ = false;
    bool junkScanned_ = false;
    qint64 junkLive_ = 0;
    QString junkCurrent_;
    std::optional<Celebration> celebrate_;
    std::vector<LargeFile> largeFiles_;
    bool largeScanning_ = false;
    bool largeScanned_ = false;
    int largeProgress_ = 0;
    qint64 largeMin_ = 500000000;
    std::vector<AppInfo> apps_;
    QHash<QString, std::int64_t> appSizes_;
    std::optional<QString> selectedApp_;
    std::vector<JunkItem> appFiles_;
    bool appLoading_ = false;
    std::vector<AgentItem> agents_;
    std::optional<StartupBackend> startupBackend_;
    const AgentItem* findAgent(const QString& agentId) const;
    bool launchAtLogin_ = false;
    QString maintRunning_;
    QStringList maintDone_;
    Maintenance::Runner maintUser_;
    Maintenance::Runner maintAdmin_;
    void setMaintRunning(const QString& id) { assign(maintRunning_, id, &AppState::maintRunningChanged); }
    void finishMaintenance(const Maintenance::Outcome& outcome);
    RecordListModel* appModel_ = nullptr;
    RecordListModel* appFileModel_ = nullptr;
    RecordListModel* agentModel_ = nullptr;
    std::optional<AppBackend> appBackend_;
    UninstallPlan appPlan_;   // the chosen application's, built with its file list
    std::function<bool(const std::filesystem::path&)> mayDelete_;
    const AppInfo* findApp(const QString& id) const;
    void setApps(std::vector<AppInfo> apps);
    void setAppSize(const QString& id, std::int64_t size);
    void setSelectedApp(std::optional<QString> id);
    void setAppFiles(std::vector<JunkItem> files);
    void setAppLoading(bool loading) { assign(appLoading_, loading, &AppState::appLoadingChanged); }
    void setAgents(std::vector<AgentItem> agents);
    void refreshAppModel();
    AppBackend appBackend() const;
    void uninstallByOwner(const AppInfo& app);
    Removal::AdminRunner adminRunner() const;

    CancelFlagPtr largeFlag_ = std::make_shared<CancelFlag>();
    RecordListModel* junkGroupModel_ = nullptr;
    RecordListModel* largeFileModel_ = nullptr;
    RecordListModel* largeFileModelByAge_ = nullptr;
    void refreshLargeModels();
    Removal::AdminRunner removalAdmin_;
    void refreshJunkModel();

    // Sets a field and emits its signal, only on a real change.
    template <typename T>
    bool assign(T& field, const T& value, void (AppState::*changed)())
    {
        if (field == value)
            return false;
        field = value;
        emit(this->*changed)();
        return true;
    }
    double lastDensity_ = 0;
    void updateDensity();
};
