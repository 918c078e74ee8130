#pragma once
// The one removal path of the window: every removal a screen asks for (junk,
// large files, an application, the space map's selection) runs here in the
// background under the busy veil, then the outcome is published in one go:
// the freed total (written here and nowhere else), the celebration, the
// message naming what was not removed.
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include <QObject>
#include <QString>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

#include "app/OneInstance.h"
#include "engines/removal/Removal.h"
#include "engines/removal/RemovalService.h"

class ShellState;

// The outcome of a removal that moved or deleted something.
struct Celebration {
    std::int64_t freed = 0;    // deleted for good
    std::int64_t trashed = 0;  // moved to the Trash
    QString removed = {};      // the application uninstalled, or empty
    QStringList report = {};   // one line per group: what it freed, what stayed
    bool operator==(const Celebration&) const = default;
};

class RemovalState : public QObject, public RemovalService, public OneInstance<RemovalState> {
    Q_OBJECT
    Q_INTERFACES(RemovalService)
    QML_ELEMENT
    QML_SINGLETON

    Q_PROPERTY(bool busy READ busy NOTIFY busyChanged)
    Q_PROPERTY(qint64 totalFreed READ totalFreed NOTIFY totalFreedChanged)
    Q_PROPERTY(bool celebrating READ celebrating NOTIFY celebrateChanged)
    Q_PROPERTY(qint64 celebrateFreed READ celebrateFreed NOTIFY celebrateChanged)
    Q_PROPERTY(qint64 celebrateTrashed READ celebrateTrashed NOTIFY celebrateChanged)
    Q_PROPERTY(QString celebrateRemoved READ celebrateRemoved NOTIFY celebrateChanged)
    Q_PROPERTY(QStringList celebrateReport READ celebrateReport NOTIFY celebrateChanged)

public:
    explicit RemovalState(ShellState& shell, QObject* parent = nullptr);

    bool busy() const { return busy_; }
    qint64 totalFreed() const { return totalFreed_; }

    std::optional<Celebration> celebrate() const { return celebrate_; }
    bool celebrating() const { return celebrate_.has_value(); }
    qint64 celebrateFreed() const { return celebrate_ ? celebrate_->freed : 0; }
    qint64 celebrateTrashed() const { return celebrate_ ? celebrate_->trashed : 0; }
    QString celebrateRemoved() const { return celebrate_ ? celebrate_->removed : QString(); }
    QStringList celebrateReport() const { return celebrate_ ? celebrate_->report : QStringList(); }
    void setCelebrate(std::optional<Celebration> value);
    Q_INVOKABLE void dismissCelebration();

    // Deletes or trashes the targets in the background, then publishes the
    // outcome and runs `then` (main thread).
    void perform(std::vector<RemovalTarget> targets, std::function<void()> then = {}) override;
    void performPlan(Plan::Record plan, std::function<void(const RemovalOutcome&)> then = {}) override;
    // The same for a removal made of more than the loop (an uninstall): `work`
    // runs in the background (it may wait for an administrator prompt) and
    // returns what it removed.
    void performWork(std::function<RemovalOutcome()> work, std::function<void()> then = {});

    // Adds what a removal freed to the running total and the time of the last cleanup.
    void record(std::int64_t freed, std::int64_t trashed);
    // The same for a finished removal (every one published here, and the
    // panel's emptying of the Trash), which also goes into the history file.
    void record(const RemovalOutcome& outcome);

    // The administrator runner of removals (Admin::run unless a test set one).
    Admin::Runner adminRunner() const;
    void setRemovalAdminRunner(Admin::Runner runner) { admin_ = std::move(runner); }

signals:
    void busyChanged();
    void totalFreedChanged();
    void celebrateChanged();
    // A finished removal was appended to the history file.
    void historyKept();

private:
    ShellState& shell_;
    bool busy_ = false;
    qint64 totalFreed_ = 0;
    std::optional<Celebration> celebrate_;
    Admin::Runner admin_;
    void publish(const RemovalOutcome& outcome);
};
