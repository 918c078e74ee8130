#include "app/RemovalState.h"

#include <memory>

#include <QThreadPool>

#include "app/ShellState.h"
#include "engines/removal/HistoryRecord.h"
#include "engines/removal/PlanText.h"
#include "platform/AutoCleanFiles.h"
#include "platform/Background.h"
#include "platform/FileLock.h"
#include "platform/Prefs.h"
#include "platform/Sound.h"

RemovalState::RemovalState(ShellState& shell, QObject* parent)
    : QObject(parent), OneInstance(this), shell_(shell)
{
    auto standard = Prefs::standard();
    auto earlier = Prefs::earlier();
    totalFreed_ = Prefs::loadTotalFreed(*standard, earlier.get());
}

void RemovalState::setCelebrate(std::optional<Celebration> value)
{
    assign(celebrate_, value, &RemovalState::celebrateChanged);
}

void RemovalState::dismissCelebration() { setCelebrate(std::nullopt); }

Admin::Runner RemovalState::adminRunner() const
{
    if (admin_)
        return admin_;
    return Admin::run;
}

void RemovalState::perform(std::vector<RemovalTarget> targets, std::function<void()> then)
{
    const Admin::Runner admin = adminRunner();
    performWork([targets = std::move(targets), admin] { return Removal::run(targets, admin); }, std::move(then));
}

void RemovalState::performPlan(Plan::Record plan, std::function<void(const RemovalOutcome&)> then)
{
    const Admin::Runner admin = adminRunner();
    auto outcome = std::make_shared<RemovalOutcome>();
    performWork(
        [plan = std::move(plan), admin, outcome] {
            *outcome = Removal::runPlan(plan, admin);
            return *outcome;
        },
        [outcome, then = std::move(then)] {
            if (then)
                then(*outcome);
        });
}

void RemovalState::performWork(std::function<RemovalOutcome()> work, std::function<void()> then)
{
    assign(busy_, true, &RemovalState::busyChanged);
    // One clean of this user at a time: an automatic one or the command
    // line's under way is waited for, under the busy veil.
    auto locked = [work = std::move(work)] {
        const FileLock lock(AutoCleanFiles::cleanLock(), FileLock::Wait::untilFree);
        return work();
    };
    Background::run(this, std::move(locked), [this, then = std::move(then)](RemovalOutcome outcome) {
        publish(outcome);
        if (then)
            then();
    });
}

void RemovalState::record(std::int64_t freed, std::int64_t trashed)
{
    auto standard = Prefs::standard();
    assign(totalFreed_, Prefs::recordRemoval(*standard, freed, trashed), &RemovalState::totalFreedChanged);
}

void RemovalState::record(const RemovalOutcome& outcome)
{
    record(outcome.freed, outcome.trashed);
    // Written on the pool, since it waits for the disk; quitting waits for the pool.
    Background::run(this, [outcome] { return History::keep(outcome).has_value(); }, [this](bool kept) {
        if (kept)
            emit historyKept();
    });
}

void RemovalState::publish(const RemovalOutcome& outcome)
{
    assign(busy_, false, &RemovalState::busyChanged);
    record(outcome);
    // What each group came to (the home folder's and the system's alike) is
    // shown on the celebration; what stayed also in the one-line alert.
    Plan::Report report = Plan::reportOf(outcome);
    if (outcome.freed + outcome.trashed > 0) {
        Sound::play(QStringLiteral("clean"));
        setCelebrate(Celebration{outcome.freed, outcome.trashed, {}, report.groups});
    } else {
        // nothing went: a group that failed says why in the alert
        for (const GroupFreed& group : outcome.systemGroups)
            if (!group.failure.isEmpty())
                report.problems.prepend(Removal::groupReport({group}).join(QString()));
    }
    if (!report.problems.isEmpty())
        shell_.setMessage(report.problems.join(QLatin1Char('\n')));
}
