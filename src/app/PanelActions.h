#pragma once
// The tray panel's own state and quick actions: freeing memory, the speed
// test, emptying the Trash, ejecting a volume and the login item, and the
// sky verdict drawn from the last cleanup and the panel's monitor. The
// feature states it works with are handed to it (the panel's QML sets them).
#include <functional>
#include <optional>

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

#include "app/MaintenanceState.h"
#include "app/RemovalState.h"
#include "app/ShellState.h"
#include "app/StartupState.h"
#include "engines/removal/PlanMap.h"
#include "monitor/SystemMonitor.h"

class PanelActions : public QObject {
    Q_OBJECT
    QML_ELEMENT

    Q_PROPERTY(SystemMonitor* monitor READ monitor WRITE setMonitor NOTIFY monitorChanged)
    // Where messages go, the freed total, the login item, the maintenance runs.
    Q_PROPERTY(ShellState* shell MEMBER shell_ NOTIFY statesChanged)
    Q_PROPERTY(RemovalState* removals MEMBER removals_ NOTIFY statesChanged)
    Q_PROPERTY(StartupState* startup READ startup WRITE setStartup NOTIFY statesChanged)
    Q_PROPERTY(MaintenanceState* maintenance MEMBER maintenance_ NOTIFY statesChanged)
    Q_PROPERTY(bool testing READ testing NOTIFY testingChanged)
    Q_PROPERTY(bool freeing READ freeing NOTIFY freeingChanged)
    // The mount points of the volumes being ejected (their rows show it).
    Q_PROPERTY(QStringList ejecting READ ejecting NOTIFY ejectingChanged)
    Q_PROPERTY(bool speedAvailable READ speedAvailable CONSTANT)
    Q_PROPERTY(QString speed READ speed NOTIFY speedChanged)
    Q_PROPERTY(bool launchAtLogin READ launchAtLogin NOTIFY launchAtLoginChanged)
    Q_PROPERTY(QVariantMap emptyPlan READ emptyPlan NOTIFY emptyPlanChanged)
    Q_PROPERTY(double cloudiness READ cloudiness NOTIFY skyChanged)
    Q_PROPERTY(QString skyTitle READ skyTitle NOTIFY skyChanged)
    Q_PROPERTY(QString skyText READ skyText NOTIFY skyChanged)

public:
    explicit PanelActions(QObject* parent = nullptr);

    SystemMonitor* monitor() const { return monitor_; }
    void setMonitor(SystemMonitor* monitor);
    StartupState* startup() const { return startup_; }
    void setStartup(StartupState* startup);
    // All four at once (tests).
    void setStates(ShellState* shell, RemovalState* removals, StartupState* startup, MaintenanceState* maintenance);
    bool testing() const { return testing_; }
    bool freeing() const { return freeing_; }
    QStringList ejecting() const { return ejecting_; }
    QString speed() const { return speed_.value_or(QString()); }
    bool launchAtLogin() const { return launchAtLogin_; }
    double cloudiness() const;
    QString skyTitle() const;
    QString skyText() const;

    // Re-reads the time of the last cleanup (when the panel is shown, after a cleanup).
    Q_INVOKABLE void readLastClean();
    // Purges memory with administrator rights in the background.
    Q_INVOKABLE void freeRAM();
    // Runs the speed-test tool in the background.
    Q_INVOKABLE void testSpeed();
    // The plan of emptying the Trash, for the confirmation (see planMap):
    // planEmptyTrash lists and measures the entries in the background and
    // publishes it; an empty map until then and after closeEmptyPlan.
    QVariantMap emptyPlan() const { return emptyPlan_.map(); }
    Q_INVOKABLE void planEmptyTrash();
    Q_INVOKABLE void closeEmptyPlan();
    // Carries out the plan shown in the background (after the confirmation),
    // each entry deleted for good, locked ones retried once as administrator;
    // ignored while a previous request still runs or before the plan is made.
    Q_INVOKABLE void emptyTrash();
    // Unmounts and ejects the volume mounted at PATH in the background (a
    // D-Bus call can take many seconds); nothing for a volume UDisks2 cannot
    // eject or one already being ejected.
    Q_INVOKABLE void eject(const QString& path);
    Q_INVOKABLE void setLaunchAtLogin(bool on);

    // Whether the profile's speed-test tool is installed (else the panel says what to install).
    bool speedAvailable() const;
    // Replaces the speed-test tool (tests): returns what the tool printed.
    void setSpeedTool(std::function<QByteArray()> tool)
    {
        speedTool_ = std::move(tool);
        speedAvailable_ = true;
    }
    // Replaces the eject step (tests; it runs on a pool thread): the error text, or nothing on success.
    void setEjector(std::function<std::optional<QString>(const std::string&)> ejector) { ejector_ = std::move(ejector); }

signals:
    void monitorChanged();
    void statesChanged();
    void testingChanged();
    void freeingChanged();
    void ejectingChanged();
    void speedChanged();
    void launchAtLoginChanged();
    void skyChanged();
    void emptyPlanChanged();
    // A background action has finished (tests wait for it).
    void finished();

private:
    QPointer<SystemMonitor> monitor_;
    // The feature states live for the whole run, longer than any panel.
    ShellState* shell_ = nullptr;
    RemovalState* removals_ = nullptr;
    StartupState* startup_ = nullptr;
    MaintenanceState* maintenance_ = nullptr;
    void say(const QString& message);
    bool testing_ = false;
    bool freeing_ = false;
    bool emptying_ = false;  // the Trash is being emptied in the background
    ShownPlan emptyPlan_;
    unsigned long long emptyPlanTicket_ = 0;  // the newest planning asked for
    QStringList ejecting_;
    std::optional<QString> speed_;
    bool launchAtLogin_ = false;
    std::optional<int> days_;
    bool speedAvailable_ = false;
    std::function<QByteArray()> speedTool_;
    void freeWithRoutine();
    std::function<std::optional<QString>(const std::string&)> ejector_;
};
