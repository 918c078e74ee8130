#include "app/PanelMemory.h"

#include <algorithm>

#include "i18n/L.h"
#include "platform/Admin.h"
#include "platform/Background.h"
#include "platform/FS.h"
#include "platform/Fmt.h"
#include "platform/Sound.h"
#include "profiles/Profile.h"

void PanelMemory::setStates(ShellState* shell, MaintenanceState* maintenance)
{
    shell_ = shell;
    maintenance_ = maintenance;
    emit statesChanged();
}

void PanelMemory::say(const QString& message)
{
    if (shell_)
        shell_->setMessage(message);
}

void PanelMemory::freeRAM()
{
    if (freeing_)
        return;
    if (Profiles::active().panel.purge.empty()) {
        freeWithRoutine();
        return;
    }
    freeing_ = true;
    emit freeingChanged();
    const std::string purge = Profiles::active().panel.purge;
    using Purged = std::pair<bool, std::uint64_t>;  // (ok, memory in use before)
    Background::run(
        this,
        [purge] {
            const std::uint64_t before = FS::memory().used;
            return Purged{Admin::run(Admin::Request{{}, purge}).ok, before};
        },
        [this](Purged purged) {
            freeing_ = false;
            emit freeingChanged();
            if (monitor_)
                monitor_->refresh();
            if (purged.first) {
                const std::uint64_t after = FS::memory().used;
                Sound::play(QStringLiteral("clean"));
                if (purged.second > after)
                    say(LF("Memória liberada: %@.", Fmt::bytes(std::int64_t(purged.second - after))));
            }
            emit finished();
        });
}

void PanelMemory::freeWithRoutine()
{
    // The maintenance routine "ram", run like any other maintenance run: it
    // says how much the page cache shrank, or why it could not run.
    if (!maintenance_)
        return;
    const Profiles::MaintenanceRoutines routines = Profiles::active().maintenance;
    const std::vector<MaintTask> tasks = routines.tasks();
    const auto ram = std::find_if(tasks.begin(), tasks.end(), [](const MaintTask& t) { return t.id == "ram"; });
    if (ram == tasks.end())
        return;
    if (!ram->available) {
        say(ram->title + QStringLiteral(": ") + ram->reason);
        return;
    }
    if (!maintenance_->runMaintenance(tasks, {QStringLiteral("ram")}, routines.reasons))
        return;  // another run is in progress
    freeing_ = true;
    emit freeingChanged();
    connect(maintenance_, &MaintenanceState::maintenanceFinished, this, [this] {
        freeing_ = false;
        emit freeingChanged();
        if (monitor_)
            monitor_->refresh();
        emit finished();
    }, Qt::SingleShotConnection);
}
