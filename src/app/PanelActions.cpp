#include "app/PanelActions.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThreadPool>

#include <algorithm>

#include "app/AppState.h"
#include "i18n/L.h"
#include "monitor/DesktopBus.h"
#include "monitor/PanelValues.h"
#include "platform/Fmt.h"
#include "platform/FS.h"
#include "platform/LoginItem.h"
#include "platform/Prefs.h"
#include "platform/Shell.h"
#include "platform/Sound.h"
#include "platform/Trash.h"
#include "profiles/Profile.h"

namespace {

// Runs FN on the main thread later (from a background task).
template <typename Fn>
void onMainThread(Fn fn)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(fn), Qt::QueuedConnection);
}

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
    if (AppState* state = AppState::instance())
        connect(state, &AppState::launchAtLoginChanged, this, [this] {
            const bool on = AppState::instance() ? AppState::instance()->launchAtLogin() : launchAtLogin_;
            if (launchAtLogin_ != on) {
                launchAtLogin_ = on;
                emit launchAtLoginChanged();
            }
        });
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
    QPointer<PanelActions> self(this);
    QThreadPool::globalInstance()->start([self] {
        const std::uint64_t before = FS::memory().used;
        const Shell::Result result = Shell::runAdmin(Profiles::active().panel.purge);
        onMainThread([self, before, ok = result.ok] {
            if (!self)
                return;
            self->freeing_ = false;
            emit self->freeingChanged();
            if (self->monitor_)
                self->monitor_->refresh();
            if (ok) {
                const std::uint64_t after = FS::memory().used;
                Sound::play(QStringLiteral("clean"));
                if (before > after)
                    if (AppState* st = AppState::instance())
                        st->setMessage(LF("Memória liberada: %@.", Fmt::bytes(std::int64_t(before - after))));
            }
            emit self->finished();
        });
    });
}

void PanelActions::freeWithRoutine()
{
    // The maintenance routine "ram", run by AppState like any other run: it
    // says how much the page cache shrank, or why it could not run.
    AppState* st = AppState::instance();
    if (!st)
        return;
    const Profiles::MaintenanceRoutines routines = Profiles::active().maintenance;
    const std::vector<MaintTask> tasks = routines.tasks();
    const auto ram = std::find_if(tasks.begin(), tasks.end(), [](const MaintTask& t) { return t.id == "ram"; });
    if (ram == tasks.end())
        return;
    if (!ram->available) {
        st->setMessage(ram->title + QStringLiteral(": ") + ram->reason);
        return;
    }
    if (!st->runMaintenance(tasks, {QStringLiteral("ram")}, routines.reasons))
        return;  // another run is in progress
    freeing_ = true;
    emit freeingChanged();
    connect(st, &AppState::maintenanceFinished, this, [this] {
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
    QPointer<PanelActions> self(this);
    const std::function<QByteArray()> tool = speedTool_;
    QThreadPool::globalInstance()->start([self, tool] {
        const Profiles::PanelCommands& panel = Profiles::active().panel;
        const QString result = Panel::speedResult(tool(), QString::fromLatin1(panel.speedDown),
                                                  QString::fromLatin1(panel.speedUp));
        onMainThread([self, result] {
            if (!self)
                return;
            self->speed_ = result;
            self->testing_ = false;
            emit self->speedChanged();
            emit self->testingChanged();
            Sound::play(QStringLiteral("scan_done"));
            emit self->finished();
        });
    });
}

void PanelActions::emptyTrash()
{
    // A second request while the first runs (a double click, the confirmation
    // answered twice) would count what the first frees again.
    if (emptying_)
        return;
    emptying_ = true;
    QPointer<PanelActions> self(this);
    const std::filesystem::path folder = FS::trashFolder();
    QThreadPool::globalInstance()->start([self, folder] {
        const Trash::EmptyResult result = Trash::emptyTrash(folder);
        onMainThread([self, result] {
            if (self)
                self->emptying_ = false;
            AppState* st = AppState::instance();
            if (result.refused && st)
                st->setMessage(L("A Lixeira não é uma pasta real deste usuário e não foi esvaziada."));
            if (st)
                st->addFreed(result.freed);
            if (result.freed > 0) {
                Sound::play(QStringLiteral("clean"));
                auto standard = Prefs::standard();
                standard->setValue(QStringLiteral("lastClean"), QDateTime::currentDateTime());
                standard->sync();
            }
            if (result.failed > 0 && st)
                st->setMessage(LF("%ld itens não puderam ser removidos (em uso ou protegidos pelo sistema): ",
                                  qint64(result.failed)));
            if (!self)
                return;
            self->readLastClean();
            if (self->monitor_)
                self->monitor_->refreshTrash();
            emit self->finished();
        });
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
    QPointer<PanelActions> self(this);
    const auto ejector = ejector_;
    QThreadPool::globalInstance()->start([self, ejector, path, device = volume->device, name = volume->name] {
        const std::optional<QString> error = ejector(device);
        onMainThread([self, path, name, error] {
            if (error) {
                if (AppState* st = AppState::instance())
                    st->setMessage(LF("Não foi possível ejetar %@: %@", name, *error));
            } else {
                Sound::play(QStringLiteral("tick"));
            }
            if (!self)
                return;
            self->ejecting_.removeAll(path);
            emit self->ejectingChanged();
            if (!error && self->monitor_)
                self->monitor_->refresh();
            emit self->finished();
        });
    });
}

void PanelActions::setLaunchAtLogin(bool on)
{
    // Through AppState where there is one, so the startup page and the settings show the same.
    AppState* state = AppState::instance();
    std::optional<QString> error;
    if (state) {
        const QString text = state->setLaunchAtLogin(on);
        if (!text.isEmpty())
            error = text;
    } else {
        error = on ? LoginItem::registerItem(LoginItem::programToStart()) : LoginItem::unregisterItem();
    }
    if (error) {
        if (AppState* st = AppState::instance())
            st->setMessage(LF("Não foi possível alterar: %@", *error));
        emit launchAtLoginChanged();  // the switch goes back to the stored state
        return;
    }
    if (launchAtLogin_ != on) {
        launchAtLogin_ = on;
        emit launchAtLoginChanged();
    }
}
