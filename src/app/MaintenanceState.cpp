#include "app/MaintenanceState.h"

#include "app/ShellState.h"
#include "platform/Background.h"
#include "platform/Shell.h"
#include "platform/Sound.h"

MaintenanceState::MaintenanceState(ShellState& shell, QObject* parent)
    : QObject(parent), OneInstance(this), shell_(shell)
{
}

void MaintenanceState::setMaintenanceRunners(Maintenance::Runner user, Admin::Runner admin)
{
    user_ = std::move(user);
    admin_ = std::move(admin);
}

bool MaintenanceState::runMaintenance(const std::vector<MaintTask>& tasks, const QStringList& selected,
                                      Maintenance::Reasons reasons)
{
    if (!maintRunning_.isEmpty())
        return false;  // one run at a time
    QString first;
    for (const MaintTask& task : tasks) {
        if (task.available && selected.contains(task.id)) {
            first = task.id;
            break;
        }
    }
    if (first.isEmpty())
        return false;
    Sound::play(QStringLiteral("scan_start"));
    setMaintRunning(first);

    const Maintenance::Runner user =
        user_ ? user_ : Maintenance::Runner([](const std::string& c) { return Shell::run(c); });
    const Admin::Runner admin = admin_ ? admin_ : Admin::Runner(Admin::run);
    const QPointer<QObject> self(this);
    Background::run(
        this,
        [self, state = this, tasks, selected, user, admin, reasons] {
            const auto starting = [&](const QString& id) {
                Background::post(self, [state, id] { state->setMaintRunning(id); });
            };
            return Maintenance::run(tasks, selected, user, admin, starting, reasons);
        },
        [this](Maintenance::Outcome outcome) { finish(outcome); });
    return true;
}

void MaintenanceState::finish(const Maintenance::Outcome& outcome)
{
    setMaintRunning(QString());
    bool grew = false;
    for (const QString& id : outcome.okIds) {
        if (!maintDone_.contains(id)) {
            maintDone_.append(id);
            grew = true;
        }
    }
    if (grew)
        emit maintDoneChanged();
    const QStringList said = outcome.notes + outcome.failures;
    if (!said.isEmpty())
        shell_.setMessage(said.join(QLatin1Char('\n')));
    Sound::play(outcome.failures.isEmpty() ? QStringLiteral("scan_done") : QStringLiteral("tick"));
    emit maintenanceFinished();
}
