#pragma once
// The tray panel's "empty the Trash": the plan the engine makes of it, shown
// by the confirmation, and carrying out exactly that plan (each entry deleted
// for good, locked ones retried once as administrator), the freed bytes
// recorded through the removal state.
#include <QObject>
#include <QPointer>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

#include "app/RemovalState.h"
#include "app/ShellState.h"
#include "engines/removal/PlanMap.h"
#include "monitor/SystemMonitor.h"

class TrashEmptying : public QObject {
    Q_OBJECT
    QML_ELEMENT

    // The Trash's size (measured again afterwards), where messages go, the
    // freed total and the administrator.
    Q_PROPERTY(SystemMonitor* monitor READ monitor WRITE setMonitor NOTIFY statesChanged)
    Q_PROPERTY(ShellState* shell MEMBER shell_ NOTIFY statesChanged)
    Q_PROPERTY(RemovalState* removals MEMBER removals_ NOTIFY statesChanged)
    Q_PROPERTY(QVariantMap plan READ plan NOTIFY planChanged)

public:
    using QObject::QObject;

    SystemMonitor* monitor() const { return monitor_; }
    void setMonitor(SystemMonitor* monitor)
    {
        monitor_ = monitor;
        emit statesChanged();
    }
    // Both at once (tests).
    void setStates(ShellState* shell, RemovalState* removals);

    // The plan of emptying the Trash, for the confirmation (see planMap):
    // makePlan lists and measures the entries in the background and
    // publishes it; an empty map until then and after closePlan.
    QVariantMap plan() const { return plan_.map(); }
    Q_INVOKABLE void makePlan();
    Q_INVOKABLE void closePlan();
    // Carries out the plan shown in the background (after the confirmation);
    // ignored while a previous request still runs or before the plan is made.
    Q_INVOKABLE void empty();

signals:
    void statesChanged();
    void planChanged();
    // An emptying has finished (tests wait for it).
    void finished();

private:
    QPointer<SystemMonitor> monitor_;
    // The feature states live for the whole run, longer than any panel.
    ShellState* shell_ = nullptr;
    RemovalState* removals_ = nullptr;
    bool emptying_ = false;  // the Trash is being emptied in the background
    ShownPlan plan_;
    unsigned long long planTicket_ = 0;  // the newest planning asked for
    void say(const QString& message);
};
