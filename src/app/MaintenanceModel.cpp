#include "app/MaintenanceModel.h"

#include <algorithm>

#include <QVariantMap>

#include "app/AppState.h"
#include "profiles/Profile.h"

MaintenanceModel::MaintenanceModel(QObject* parent) : MaintenanceModel(Profiles::active().maintenance, parent) {}

MaintenanceModel::MaintenanceModel(const Profiles::MaintenanceRoutines& routines, QObject* parent)
    : QObject(parent)
    , reasons_(routines.reasons)
    , tasks_(routines.tasks())
    , sel_(Maintenance::defaultSelection(tasks_, routines.defaultSelection()))
{
    if (AppState* state = AppState::instance()) {
        connect(state, &AppState::maintRunningChanged, this, &MaintenanceModel::runningChanged);
        connect(state, &AppState::maintDoneChanged, this, &MaintenanceModel::doneChanged);
    }
}

QVariantList MaintenanceModel::taskList() const
{
    QVariantList list;
    for (const MaintTask& task : tasks_)
        list.append(QVariantMap{{"id", task.id},
                                {"title", task.title},
                                {"detail", task.detail},
                                {"symbol", task.symbol},
                                {"admin", task.admin},
                                {"available", task.available},
                                {"reason", task.reason}});
    return list;
}

QStringList MaintenanceModel::done() const
{
    const AppState* state = AppState::instance();
    return state ? state->maintDone() : QStringList();
}

QString MaintenanceModel::running() const
{
    const AppState* state = AppState::instance();
    return state ? state->maintRunning() : QString();
}

void MaintenanceModel::toggle(const QString& id)
{
    const auto task = std::find_if(tasks_.begin(), tasks_.end(), [&](const MaintTask& t) { return t.id == id; });
    if (task == tasks_.end() || !task->available)
        return;
    if (!sel_.removeOne(id))
        sel_.append(id);
    emit selChanged();
}

void MaintenanceModel::setRunners(Maintenance::Runner user, Maintenance::Runner admin)
{
    if (AppState* state = AppState::instance())
        state->setMaintenanceRunners(std::move(user), std::move(admin));
}

void MaintenanceModel::runSelected()
{
    if (AppState* state = AppState::instance())
        state->runMaintenance(tasks_, sel_, reasons_);
}
