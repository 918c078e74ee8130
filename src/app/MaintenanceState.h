#pragma once
// Maintenance runs: a run belongs to the application, so leaving the page
// and coming back shows it still running, and a second one cannot start.
// The page's own ticks live in its MaintenanceModel.
#include <vector>

#include <QObject>
#include <QString>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

#include "app/OneInstance.h"
#include "engines/maintenance/Maintenance.h"

class ShellState;

class MaintenanceState : public QObject, public OneInstance<MaintenanceState> {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

    Q_PROPERTY(QString maintRunning READ maintRunning NOTIFY maintRunningChanged)
    Q_PROPERTY(QStringList maintDone READ maintDone NOTIFY maintDoneChanged)

public:
    explicit MaintenanceState(ShellState& shell, QObject* parent = nullptr);

    // The routine being worked on, or empty when no run is in progress.
    QString maintRunning() const { return maintRunning_; }
    // The routines that succeeded during this run of the program.
    QStringList maintDone() const { return maintDone_; }

    // Runs the available routines among `tasks` whose id is in `selected`, in
    // the background; false (and nothing runs) while a run is in progress.
    bool runMaintenance(const std::vector<MaintTask>& tasks, const QStringList& selected,
                        Maintenance::Reasons reasons = Maintenance::Reasons::Silent);
    // Replaces the runners of the runs (tests); empty ones restore
    // Shell::run and Admin::run.
    void setMaintenanceRunners(Maintenance::Runner user, Admin::Runner admin);

signals:
    void maintRunningChanged();
    void maintDoneChanged();
    // A run has finished (the panel and the tests wait for it).
    void maintenanceFinished();

private:
    ShellState& shell_;
    QString maintRunning_;
    QStringList maintDone_;
    Maintenance::Runner user_;
    Admin::Runner admin_;
    void setMaintRunning(const QString& id) { assign(maintRunning_, id, &MaintenanceState::maintRunningChanged); }
    void finish(const Maintenance::Outcome& outcome);
};
