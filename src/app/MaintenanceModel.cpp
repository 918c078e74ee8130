#include "app/MaintenanceModel.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>
#include <QVariantMap>

#include "app/AppState.h"
#include "platform/Sound.h"
#include "profiles/Profile.h"

MaintenanceModel::MaintenanceModel(QObject* parent)
    : QObject(parent), tasks_(Profiles::active().maintenance.tasks()), sel_(Profiles::active().maintenance.defaultSelection())
{
}

QVariantList MaintenanceModel::taskList() const
{
    QVariantList list;
    for (const MaintTask& task : tasks_)
        list.append(QVariantMap{{"id", task.id},
                                {"title", task.title},
                                {"detail", task.detail},
                                {"symbol", task.symbol},
                                {"admin", task.admin}});
    return list;
}

void MaintenanceModel::toggle(const QString& id)
{
    if (!sel_.removeOne(id))
        sel_.append(id);
    emit selChanged();
}

void MaintenanceModel::setRunners(Maintenance::Runner user, Maintenance::Runner admin)
{
    user_ = std::move(user);
    admin_ = std::move(admin);
}

void MaintenanceModel::setRunning(const QString& id)
{
    if (running_ == id)
        return;
    running_ = id;
    emit runningChanged();
}

void MaintenanceModel::runSelected()
{
    if (!running_.isEmpty())
        return;  // one run at a time
    Sound::play(QStringLiteral("scan_start"));
    QString first;
    for (const MaintTask& task : tasks_) {
        if (sel_.contains(task.id)) {
            first = task.id;
            break;
        }
    }
    setRunning(first);

    const Maintenance::Runner user = user_ ? user_ : Maintenance::Runner([](const std::string& c) { return Shell::run(c); });
    const Maintenance::Runner admin =
        admin_ ? admin_ : Maintenance::Runner([](const std::string& c) { return Shell::runAdmin(c); });
    QPointer<MaintenanceModel> self(this);
    // The outcome is told through AppState, which outlives the page: a run
    // finishing after the page was closed still reports its failures. The
    // jobs go to the application object, which lives as long as the thread pool.
    QPointer<AppState> state(AppState::instance());
    const std::vector<MaintTask> tasks = tasks_;
    const QStringList selected = sel_;
    QThreadPool::globalInstance()->start([=] {
        const auto starting = [&](const QString& id) {
            QMetaObject::invokeMethod(QCoreApplication::instance(), [self, id] {
                if (self)
                    self->setRunning(id);
            }, Qt::QueuedConnection);
        };
        const Maintenance::Outcome outcome = Maintenance::run(tasks, selected, user, admin, starting);
        QMetaObject::invokeMethod(QCoreApplication::instance(), [self, state, outcome] {
            if (self)
                self->finish(outcome);
            if (outcome.failures.isEmpty()) {
                Sound::play(QStringLiteral("scan_done"));
            } else {
                if (state)
                    state->setMessage(outcome.failures.join(QLatin1Char('\n')));
                Sound::play(QStringLiteral("tick"));
            }
        }, Qt::QueuedConnection);
    });
}

void MaintenanceModel::finish(const Maintenance::Outcome& outcome)
{
    setRunning(QString());
    bool grew = false;
    for (const QString& id : outcome.okIds) {
        if (!done_.contains(id)) {
            done_.append(id);
            grew = true;
        }
    }
    if (grew)
        emit doneChanged();
}
