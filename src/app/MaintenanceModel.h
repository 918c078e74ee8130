#pragma once
// The maintenance page's own state: the routines of the active profile with
// their availability, and the ticked ones. The run itself belongs to
// MaintenanceState (`runs`), so leaving the page and coming back shows it
// still running.
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include "app/MaintenanceState.h"
#include "profiles/MaintenanceRoutines.h"

class MaintenanceModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(MaintenanceState* runs READ runs WRITE setRuns NOTIFY runsChanged)
    Q_PROPERTY(QVariantList tasks READ taskList CONSTANT)
    Q_PROPERTY(QStringList sel READ sel NOTIFY selChanged)
    Q_PROPERTY(QStringList done READ done NOTIFY doneChanged)
    Q_PROPERTY(QString running READ running NOTIFY runningChanged)

public:
    explicit MaintenanceModel(QObject* parent = nullptr);
    // The page over a given set of routines (tests).
    explicit MaintenanceModel(const Profiles::MaintenanceRoutines& routines, QObject* parent = nullptr);

    MaintenanceState* runs() const { return runs_; }
    void setRuns(MaintenanceState* runs);

    const std::vector<MaintTask>& tasks() const { return tasks_; }
    QVariantList taskList() const;
    QStringList sel() const { return sel_; }
    QStringList done() const { return runs_ ? runs_->maintDone() : QStringList(); }
    QString running() const { return runs_ ? runs_->maintRunning() : QString(); }

    // Ticks the routine, or unticks it when it is ticked; a routine that cannot
    // run here is never ticked.
    Q_INVOKABLE void toggle(const QString& id);
    // Runs the ticked routines (nothing while a run is in progress). The
    // failures reach the user through the shell's message line.
    Q_INVOKABLE void runSelected();

signals:
    void runsChanged();
    void selChanged();
    void doneChanged();
    void runningChanged();

private:
    QPointer<MaintenanceState> runs_;
    Maintenance::Reasons reasons_;
    std::vector<MaintTask> tasks_;
    QStringList sel_;
};
