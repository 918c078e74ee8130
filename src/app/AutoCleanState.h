#pragma once
// Cleaning on a schedule while the program runs (window open or closed to the
// tray): asks at start and every hour whether a run is due, runs it on a
// thread of its own at the lowest priority, keeps its outcome as every
// removal's, and says what it freed in a desktop notice whose action opens
// the history. Also holds the schedule's settings for the settings window.
#include <functional>
#include <memory>

#include <QObject>
#include <QThread>
#include <QTimer>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include "app/OneInstance.h"
#include "engines/autoclean/AutoRun.h"
#include "engines/autoclean/AutoSettings.h"
#include "monitor/DesktopNotifications.h"

class RemovalState;

class AutoCleanState : public QObject, public OneInstance<AutoCleanState> {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

    // "off", "daily", "weekly" or "monthly"; stored at once.
    Q_PROPERTY(QString interval READ interval WRITE setInterval NOTIFY settingsChanged)
    // The groups a run may take: {id, title, detail, on}.
    Q_PROPERTY(QVariantList groups READ groups NOTIFY settingsChanged)
    Q_PROPERTY(bool running READ running NOTIFY runningChanged)

public:
    // One run (AutoClean::runNow with ifDue in the program); tests give their own.
    using Runner = std::function<AutoClean::Run()>;

    // `windowBusy`: whether the window is removing or scanning right now.
    AutoCleanState(RemovalState& removals, std::function<bool()> windowBusy, QObject* parent = nullptr);
    // Waits for a run under way (it ends soon once quitting began).
    ~AutoCleanState() override;

    // Asks now, then every hour (or as often as QUILLMOOR_AUTO_CLEAN_EVERY says).
    void start();
    // Starts one run unless one is under way or the window is removing or scanning.
    void check();

    QString interval() const { return AutoClean::intervalName(settings_.interval); }
    void setInterval(const QString& name);
    QVariantList groups() const;
    Q_INVOKABLE void setGroupOn(const QString& id, bool on);
    bool running() const { return thread_ != nullptr; }

    void setRunner(Runner runner) { runner_ = std::move(runner); }
    DesktopNotifications& notifications() { return notifications_; }

signals:
    void settingsChanged();
    void runningChanged();
    // The notice's action was chosen: the window should show the history.
    void openHistory();

private:
    void finish(const AutoClean::Run& run);
    void store();

    RemovalState& removals_;
    std::function<bool()> windowBusy_;
    AutoClean::Settings settings_;
    Runner runner_;
    QTimer timer_;
    QThread* thread_ = nullptr;
    DesktopNotifications notifications_;
};
