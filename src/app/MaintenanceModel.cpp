#include "app/MaintenanceModel.h"

#include <algorithm>

#include <QVariantMap>

#include "profiles/Profile.h"

MaintenanceModel::MaintenanceModel(QObject* parent) : MaintenanceModel(Profiles::active().maintenance, parent) {}

MaintenanceModel::MaintenanceModel(const Profiles::MaintenanceRoutines& routines, QObject* parent)
    : QObject(parent)
    , reasons_(routines.reasons)
    , tasks_(routines.tasks())
    , sel_(Maintenance::defaultSelection(tasks_, routines.defaultSelection()))
{
}

void MaintenanceModel::setRuns(MaintenanceState* runs)
{
    if (runs_ == runs)
        return;
    if (runs_)
        disconnect(runs_, nullptr, this, nullptr);
    runs_ = runs;
    if (runs_) {
        connect(runs_, &MaintenanceState::maintRunningChanged, this, &MaintenanceModel::runningChanged);
        connect(runs_, &MaintenanceState::maintDoneChanged, this, &MaintenanceModel::doneChanged);
    }
    emit runsChanged();
    emit runningChanged();
    emit doneChanged();
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
                                {"reason", task.reason},
                                {"junkGroup", task.junkGroup}});
    return list;
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

void MaintenanceModel::runSelected()
{
    if (runs_)
        runs_->runMaintenance(tasks_, sel_, reasons_);
}
