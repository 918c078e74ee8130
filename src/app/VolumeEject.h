#pragma once
// The tray panel's eject buttons: unmounts and ejects an external volume in
// the background and keeps the mount points of those on their way out.
#include <functional>
#include <optional>
#include <string>

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

#include "app/ShellState.h"
#include "monitor/SystemMonitor.h"

class VolumeEject : public QObject {
    Q_OBJECT
    QML_ELEMENT

    // The volumes, and where messages go.
    Q_PROPERTY(SystemMonitor* monitor READ monitor WRITE setMonitor NOTIFY statesChanged)
    Q_PROPERTY(ShellState* shell READ shell WRITE setShell NOTIFY statesChanged)
    // The mount points of the volumes being ejected (their rows show it).
    Q_PROPERTY(QStringList ejecting READ ejecting NOTIFY ejectingChanged)

public:
    explicit VolumeEject(QObject* parent = nullptr);

    SystemMonitor* monitor() const { return monitor_; }
    void setMonitor(SystemMonitor* monitor)
    {
        monitor_ = monitor;
        emit statesChanged();
    }
    ShellState* shell() const { return shell_; }
    void setShell(ShellState* shell)
    {
        shell_ = shell;
        emit statesChanged();
    }
    QStringList ejecting() const { return ejecting_; }

    // Unmounts and ejects the volume mounted at PATH in the background (a
    // D-Bus call can take many seconds); nothing for a volume UDisks2 cannot
    // eject or one already being ejected.
    Q_INVOKABLE void eject(const QString& path);

    // Replaces the eject step (tests; it runs on a pool thread): the error text, or nothing on success.
    void setEjector(std::function<std::optional<QString>(const std::string&)> ejector) { ejector_ = std::move(ejector); }

signals:
    void statesChanged();
    void ejectingChanged();
    // An eject has finished (tests wait for it).
    void finished();

private:
    QPointer<SystemMonitor> monitor_;
    // The feature state lives for the whole run, longer than any panel.
    ShellState* shell_ = nullptr;
    QStringList ejecting_;
    std::function<std::optional<QString>(const std::string&)> ejector_;
};
