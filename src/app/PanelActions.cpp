#include "app/PanelActions.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

#include "engines/removal/PlanText.h"
#include "engines/removal/Removal.h"
#include "i18n/L.h"
#include "monitor/DesktopBus.h"
#include "monitor/PanelValues.h"
#include "platform/Admin.h"
#include "platform/Fmt.h"
#include "platform/FS.h"
#include "platform/Background.h"
#include "platform/LoginItem.h"
#include "platform/Prefs.h"
#include "platform/Shell.h"
#include "platform/Sound.h"
#include "platform/Trash.h"
#include "profiles/Profile.h"

namespace {

// Whether the program is installed: an executable file where a path is given,
// else on PATH.
bool installed(const std::string& program)
{
    const QString name = QString::fromStdString(program);
    if (name.isEmpty())
        return false;
    if (name.contains(QLatin1Char('/'))) {
        const QFileInfo info(name);
        return info.isFile() && info.isExecutable();
    }
    return !QStandardPaths::findExecutable(name).isEmpty();
}

} // namespace

PanelActions::PanelActions(QObject* parent)
    : QObject(parent)
    , launchAtLogin_(LoginItem::isRegistered())
    , speedAvailable_(installed(Profiles::active().panel.speedProgram))
    , speedTool_([] { return Shell::run(Profiles::active().panel.speedTest).out.toUtf8(); })
    , ejector_(DesktopBus::eject)
{
    readLastClean();
}

void PanelActions::setStartup(StartupState* startup)
{
    if (startup_ == startup)
        return;
    if (startup_)
        disconnect(startup_, nullptr, this, nullptr);
    startup_ = startup;
    if (startup_) {
        // The login item as the startup page and the settings show it.
        const auto follow = [this] {
            if (launchAtLogin_ != startup_->launchAtLogin()) {
                launchAtLogin_ = startup_->launchAtLogin();
                emit launchAtLoginChanged();
            }
        };
        connect(startup_, &StartupState::launchAtLoginChanged, this, follow);
        follow();
    }
    emit statesChanged();
}

void PanelActions::setStates(ShellState* shell, RemovalState* removals, StartupState* startup,
                             MaintenanceState* maintenance)
{
    shell_ = shell;
    removals_ = removals;
    maintenance_ = maintenance;
    setStartup(startup);
    emit statesChanged();
}

void PanelActions::say(const QString& message)
{
    if (shell_)
        shell_->setMessage(message);
}

void PanelActions::setMonitor(SystemMonitor* monitor)
{
    if (monitor_ == monitor)
        return;
    if (monitor_)
        disconnect(monitor_, nullptr, this, nullptr);
    monitor_ = monitor;
    if (monitor_)
        connect(monitor_, &SystemMonitor::sampled, this, &PanelActions::skyChanged);
    emit monitorChanged();
    emit skyChanged();
}

double PanelActions::cloudiness() const
{
    const double diskFree = monitor_ ? monitor_->diskFreeFraction() : 1.0;
    const double mem = monitor_ ? monitor_->memFraction() : 0.0;
    return Panel::cloudiness(days_, diskFree, mem);
}

QString PanelActions::skyTitle() const { return Panel::skyTitle(cloudiness()); }

QString PanelActions::skyText() const { return Panel::skyText(days_); }

void PanelActions::readLastClean()
{
    const std::optional<int> days =
        Panel::daysSinceClean(Prefs::standard()->value(QStringLiteral("lastClean")), QDateTime::currentDateTime());
    if (days != days_) {
        days_ = days;
        emit skyChanged();
    }
}

bool PanelActions::speedAvailable() const { return speedAvailable_; }

void PanelActions::freeRAM()
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

void PanelActions::freeWithRoutine()
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

void PanelActions::testSpeed()
{
    if (testing_ || !speedAvailable_)
        return;
    testing_ = true;
    emit testingChanged();
    const std::function<QByteArray()> tool = speedTool_;
    const QString down = QString::fromLatin1(Profiles::active().panel.speedDown);
    const QString up = QString::fromLatin1(Profiles::active().panel.speedUp);
    Background::run(
        this, [tool, down, up] { return Panel::speedResult(tool(), down, up); },
        [this](QString result) {
            speed_ = result;
            testing_ = false;
            emit speedChanged();
            emit testingChanged();
            Sound::play(QStringLiteral("scan_done"));
            emit finished();
        });
}

void PanelActions::planEmptyTrash()
{
    const unsigned long long ticket = ++emptyPlanTicket_;
    emptyPlan_.close();
    emit emptyPlanChanged();
    Background::run(
        this, [folder = FS::trashFolder()] { return Removal::planEmptyTrash(folder); },
        [this, ticket](Plan::Record plan) {
            if (ticket != emptyPlanTicket_)
                return;  // closed, or asked again meanwhile
            emptyPlan_.show(std::move(plan), L("Esvaziar a Lixeira?"));
            emit emptyPlanChanged();
        });
}

void PanelActions::closeEmptyPlan()
{
    ++emptyPlanTicket_;
    if (emptyPlan_.close())
        emit emptyPlanChanged();
}

void PanelActions::emptyTrash()
{
    // A second request while the first runs (a double click, the confirmation
    // answered twice) would count what the first frees again.
    if (emptying_ || !emptyPlan_.shown())
        return;
    const Plan::Record plan = emptyPlan_.take([] { return Plan::Record{}; });
    ++emptyPlanTicket_;
    emit emptyPlanChanged();
    if (!plan.refusal.isEmpty()) {
        say(plan.refusal);
        QMetaObject::invokeMethod(this, &PanelActions::finished, Qt::QueuedConnection);  // as any run ends: later
        return;
    }
    emptying_ = true;
    const Admin::Runner admin = removals_ ? removals_->adminRunner() : Admin::Runner(Admin::run);
    Background::run(
        this, [plan, admin] { return Removal::runPlan(plan, admin); },
        [this](RemovalOutcome outcome) {
            emptying_ = false;
            if (outcome.freed > 0) {
                Sound::play(QStringLiteral("clean"));
                if (removals_)
                    removals_->record(outcome.freed, 0);  // the freed total and the time of the last cleanup
            }
            const Plan::Report report = Plan::reportOf(outcome);
            if (!report.problems.isEmpty())
                say(report.problems.join(QLatin1Char('\n')));
            readLastClean();
            if (monitor_)
                monitor_->refreshTrash();
            emit finished();
        });
}

void PanelActions::eject(const QString& path)
{
    if (!monitor_)
        return;
    const std::optional<Monitor::VolumeInfo> volume = monitor_->volumeAt(path);
    if (!volume || !volume->ejectable || ejecting_.contains(path))
        return;  // gone from the list, not a UDisks2 device, or already on its way out
    ejecting_.append(path);
    emit ejectingChanged();
    const auto ejector = ejector_;
    Background::run(
        this, [ejector, device = volume->device] { return ejector(device); },
        [this, path, name = volume->name](std::optional<QString> error) {
            if (error)
                say(LF("Não foi possível ejetar %@: %@", name, *error));
            else
                Sound::play(QStringLiteral("tick"));
            ejecting_.removeAll(path);
            emit ejectingChanged();
            if (!error && monitor_)
                monitor_->refresh();
            emit finished();
        });
}

void PanelActions::setLaunchAtLogin(bool on)
{
    // Through the startup items where the panel has them, so the startup page
    // and the settings show the same.
    std::optional<QString> error;
    if (startup_) {
        const QString text = startup_->setLaunchAtLogin(on);
        if (!text.isEmpty())
            error = text;
    } else {
        error = on ? LoginItem::registerItem(LoginItem::programToStart()) : LoginItem::unregisterItem();
    }
    if (error) {
        say(LF("Não foi possível alterar: %@", *error));
        emit launchAtLoginChanged();  // the switch goes back to the stored state
        return;
    }
    if (launchAtLogin_ != on) {
        launchAtLogin_ = on;
        emit launchAtLoginChanged();
    }
}
