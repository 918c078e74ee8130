#pragma once
// The tray panel's "free memory": purges memory with administrator rights
// where the profile has a purge command, else runs the maintenance routine
// "ram" through the maintenance state, and says how much was freed.
#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

#include "app/MaintenanceState.h"
#include "app/ShellState.h"
#include "monitor/SystemMonitor.h"

class PanelMemory : public QObject {
    Q_OBJECT
    QML_ELEMENT

    Q_PROPERTY(SystemMonitor* monitor READ monitor WRITE setMonitor NOTIFY statesChanged)
    // Where messages go, and the maintenance runs.
    Q_PROPERTY(ShellState* shell MEMBER shell_ NOTIFY statesChanged)
    Q_PROPERTY(MaintenanceState* maintenance MEMBER maintenance_ NOTIFY statesChanged)
    Q_PROPERTY(bool freeing READ freeing NOTIFY freeingChanged)

public:
    using QObject::QObject;

    SystemMonitor* monitor() const { return monitor_; }
    void setMonitor(SystemMonitor* monitor)
    {
        monitor_ = monitor;
        emit statesChanged();
    }
    // Both at once (tests).
    void setStates(ShellState* shell, MaintenanceState* maintenance);
    bool freeing() const { return freeing_; }

    // Frees memory in the background; nothing while it already runs.
    Q_INVOKABLE void freeRAM();

signals:
    void statesChanged();
    void freeingChanged();
    // Freeing has finished (tests wait for it).
    void finished();

private:
    QPointer<SystemMonitor> monitor_;
    // The feature states live for the whole run, longer than any panel.
    ShellState* shell_ = nullptr;
    MaintenanceState* maintenance_ = nullptr;
    bool freeing_ = false;
    void say(const QString& message);
    void freeWithRoutine();
};
