#include "app/TrashEmptying.h"

#include "engines/removal/PlanText.h"
#include "engines/removal/Removal.h"
#include "i18n/L.h"
#include "platform/Admin.h"
#include "platform/Background.h"
#include "platform/FS.h"
#include "platform/Sound.h"

void TrashEmptying::setStates(ShellState* shell, RemovalState* removals)
{
    shell_ = shell;
    removals_ = removals;
    emit statesChanged();
}

void TrashEmptying::say(const QString& message)
{
    if (shell_)
        shell_->setMessage(message);
}

void TrashEmptying::makePlan()
{
    const unsigned long long ticket = ++planTicket_;
    plan_.close();
    emit planChanged();
    Background::run(
        this, [folder = FS::trashFolder()] { return Removal::planEmptyTrash(folder); },
        [this, ticket](Plan::Record plan) {
            if (ticket != planTicket_)
                return;  // closed, or asked again meanwhile
            plan_.show(std::move(plan), L("Esvaziar a Lixeira?"));
            emit planChanged();
        });
}

void TrashEmptying::closePlan()
{
    ++planTicket_;
    if (plan_.close())
        emit planChanged();
}

void TrashEmptying::empty()
{
    // A second request while the first runs (a double click, the confirmation
    // answered twice) would count what the first frees again.
    if (emptying_ || !plan_.shown())
        return;
    const Plan::Record plan = plan_.take([] { return Plan::Record{}; });
    ++planTicket_;
    emit planChanged();
    if (!plan.refusal.isEmpty()) {
        say(plan.refusal);
        QMetaObject::invokeMethod(this, &TrashEmptying::finished, Qt::QueuedConnection);  // as any run ends: later
        return;
    }
    emptying_ = true;
    const Admin::Runner admin = removals_ ? removals_->adminRunner() : Admin::Runner(Admin::run);
    Background::run(
        this, [plan, admin] { return Removal::runPlan(plan, admin); },
        [this](RemovalOutcome outcome) {
            emptying_ = false;
            if (outcome.freed > 0)
                Sound::play(QStringLiteral("clean"));
            if (removals_)
                removals_->record(outcome);  // the freed total, the time of the last cleanup, the history
            const Plan::Report report = Plan::reportOf(outcome);
            if (!report.problems.isEmpty())
                say(report.problems.join(QLatin1Char('\n')));
            if (monitor_)
                monitor_->refreshTrash();
            emit finished();
        });
}
