#pragma once
// The tray panel's sky verdict: how cloudy it is, its title and its text,
// drawn from the days since the last cleanup and the panel's monitor. It
// reads the last cleanup again whenever a removal records one.
#include <optional>

#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

#include "app/RemovalState.h"
#include "monitor/SystemMonitor.h"

class PanelSky : public QObject {
    Q_OBJECT
    QML_ELEMENT

    Q_PROPERTY(SystemMonitor* monitor READ monitor WRITE setMonitor NOTIFY monitorChanged)
    Q_PROPERTY(RemovalState* removals READ removals WRITE setRemovals NOTIFY removalsChanged)
    Q_PROPERTY(double cloudiness READ cloudiness NOTIFY skyChanged)
    Q_PROPERTY(QString title READ title NOTIFY skyChanged)
    Q_PROPERTY(QString text READ text NOTIFY skyChanged)

public:
    explicit PanelSky(QObject* parent = nullptr);

    SystemMonitor* monitor() const { return monitor_; }
    void setMonitor(SystemMonitor* monitor);
    RemovalState* removals() const { return removals_; }
    void setRemovals(RemovalState* removals);
    double cloudiness() const;
    QString title() const;
    QString text() const;

    // Re-reads the time of the last cleanup (when the panel is shown, after a cleanup).
    Q_INVOKABLE void readLastClean();

signals:
    void monitorChanged();
    void removalsChanged();
    void skyChanged();

private:
    QPointer<SystemMonitor> monitor_;
    // The feature state lives for the whole run, longer than any panel.
    RemovalState* removals_ = nullptr;
    std::optional<int> days_;
};
