#include "app/RemovalState.h"

#include "app/ShellState.h"
#include "platform/Background.h"
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

void RemovalState::performWork(std::function<RemovalOutcome()> work, std::function<void()> then)
{
    assign(busy_, true, &RemovalState::busyChanged);
    Background::run(this, std::move(work), [this, then = std::move(then)](RemovalOutcome outcome) {
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

void RemovalState::publish(const RemovalOutcome& outcome)
{
    assign(busy_, false, &RemovalState::busyChanged);
    record(outcome.freed, outcome.trashed);
    if (outcome.freed + outcome.trashed > 0) {
        Sound::play(QStringLiteral("clean"));
        setCelebrate(Celebration{outcome.freed, outcome.trashed});
    }
    // What each of the system's groups freed, what was left on purpose, then what was not removed.
    QStringList lines = Removal::groupReport(outcome.systemGroups) + outcome.held;
    if (!outcome.failures.empty())
        lines << Removal::failureMessage(outcome.failures, outcome.adminReason);
    if (!lines.isEmpty())
        shell_.setMessage(lines.join(QLatin1Char('\n')));
}
