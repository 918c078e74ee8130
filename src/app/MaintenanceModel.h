#pragma once
// The maintenance page's own state: the ticked routines, those done since the
// page was made, the routine being worked on, and the run itself. The
// commands run on a background thread, strictly in sequence; everything here
// changes on the main thread only.
#include <QObject>
#include <QStringList>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include "engines/Maintenance.h"

class MaintenanceModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QVariantList tasks READ taskList CONSTANT)
    Q_PROPERTY(QStringList sel READ sel NOTIFY selChanged)
    Q_PROPERTY(QStringList done READ done NOTIFY doneChanged)
    Q_PROPERTY(QString running READ running NOTIFY runningChanged)

public:
    explicit MaintenanceModel(QObject* parent = nullptr);

    const std::vector<MaintTask>& tasks() const { return tasks_; }
    QVariantList taskList() const;
    QStringList sel() const { return sel_; }
    QStringList done() const { return done_; }
    QString running() const { return running_; }

    // Ticks the routine, or unticks it when it is ticked.
    Q_INVOKABLE void toggle(const QString& id);
    // Runs the ticked routines (nothing while a run is in progress). The
    // failures reach the user through AppState's message line.
    Q_INVOKABLE void runSelected();

    // Replaces the command runners (tests); empty ones restore Shell::run and Shell::runAdmin.
    void setRunners(Maintenance::Runner user, Maintenance::Runner admin);

signals:
    void selChanged();
    void doneChanged();
    void runningChanged();

private:
    void setRunning(const QString& id);
    void finish(const Maintenance::Outcome& outcome);

    std::vector<MaintTask> tasks_;
    QStringList sel_;
    QStringList done_;
    QString running_;
    Maintenance::Runner user_;
    Maintenance::Runner admin_;
};
