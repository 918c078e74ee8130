#include "app/PanelActions.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QThreadPool>

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

} // namespace

PanelActions::PanelActions(QObject* parent)
    : QObject(parent)
    , launchAtLogin_(LoginItem::isRegistered())
    , speedTool_([] { return Shell::run(Profiles::active().panel.speedTest).out.toUtf8(); })
    , ejector_(DesktopBus::eject)
{
    readLastClean();
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

void PanelActions::freeRAM()
{
    if (freeing_)
        return;
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

void PanelActions::testSpeed()
{
    if (testing_)
        return;
    testing_ = true;
    emit testingChanged();
    QPointer<PanelActions> self(this);
    const std::function<QByteArray()> tool = speedTool_;
    QThreadPool::globalInstance()->start([self, tool] {
        const QString result = Panel::speedResult(tool());
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
    QPointer<PanelActions> self(this);
    const std::filesystem::path folder = FS::trashFolder();
    QThreadPool::globalInstance()->start([self, folder] {
        const Trash::EmptyResult result = Trash::emptyTrash(folder);
        onMainThread([self, result] {
            AppState* st = AppState::instance();
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
    if (!volume)
        return;  // already gone from the list
    if (const std::optional<QString> error = ejector_(volume->device)) {
        if (AppState* st = AppState::instance())
            st->setMessage(LF("Não foi possível ejetar %@: %@", volume->name, *error));
        return;
    }
    Sound::play(QStringLiteral("tick"));
    monitor_->refresh();
}

void PanelActions::setLaunchAtLogin(bool on)
{
    const std::optional<QString> error =
        on ? LoginItem::registerItem(FS::relaunchProgram()) : LoginItem::unregisterItem();
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
