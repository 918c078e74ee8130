#include "monitor/SystemMonitor.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QThreadPool>
#include <QVariantMap>

#include "i18n/L.h"
#include "monitor/DesktopBus.h"
#include "monitor/PanelValues.h"
#include "platform/Trash.h"

namespace {

// Monotonic seconds, for intervals that must not jump with the wall clock.
double monotonicSeconds()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

} // namespace

SystemMonitor::SystemMonitor(QObject* parent)
    : QObject(parent)
    , wifiSource_(DesktopBus::wifiName)
    , disk_(FS::disk())
    , mem_(FS::memory())
    , model_(L(Monitor::modelName(roots_)))
{
    timer_.setInterval(kIntervalMs);
    // The timer belongs to the monitor: a monitor that is gone gets no more ticks.
    connect(&timer_, &QTimer::timeout, this, &SystemMonitor::refresh);
}

void SystemMonitor::setRoots(Monitor::Roots roots)
{
    roots_ = std::move(roots);
    const QString model = L(Monitor::modelName(roots_));
    if (model != model_) {
        model_ = model;
        emit modelChanged();
    }
}

void SystemMonitor::start()
{
    refresh();
    const bool was = timer_.isActive();
    timer_.start();  // restarts a running timer: never two
    if (!was)
        emit runningChanged();
}

void SystemMonitor::stop()
{
    if (!timer_.isActive())
        return;
    timer_.stop();
    emit runningChanged();
}

void SystemMonitor::refresh()
{
    disk_ = FS::disk();
    mem_ = FS::memory(roots_.proc / "meminfo");
    sampler_.takeTicks(Monitor::readTicks(roots_));
    battery_ = Monitor::batteryInfo(roots_);
    Monitor::NetSample net = Monitor::netBytes(roots_);
    net.time = monotonicSeconds();
    sampler_.takeNet(net);
    Monitor::appendBounded(cpuHistory_, cpu());
    Monitor::appendBounded(memHistory_, memFraction());
    Monitor::appendBounded(netHistory_, down() + up());
    wifi_ = wifiSource_ ? wifiSource_() : std::nullopt;
    volumes_ = Monitor::externalVolumes(roots_);
    emit sampled();
    if (!trashChecked_ || monotonicSeconds() - *trashChecked_ > kTrashEverySeconds)
        refreshTrash();
}

void SystemMonitor::refreshTrash()
{
    // Stamped before the walk starts, so ticks during a slow walk start no second one.
    trashChecked_ = monotonicSeconds();
    QPointer<SystemMonitor> self(this);
    const std::filesystem::path folder = FS::trashFolder();
    QThreadPool::globalInstance()->start([self, folder] {
        const qint64 size = Trash::size(folder);  // 0 for a Trash that is not a real folder of the user
        // handed to the main thread even when the monitor is gone by then
        QMetaObject::invokeMethod(QCoreApplication::instance(), [self, size] {
            if (!self)
                return;
            if (self->trashSize_ != size) {
                self->trashSize_ = size;
                emit self->trashSizeChanged();
            }
        }, Qt::QueuedConnection);
    });
}

QString SystemMonitor::batterySymbol() const { return Panel::batterySymbol(battery_); }

QString SystemMonitor::batteryStatus() const { return Panel::batteryStatus(battery_); }

QVariantList SystemMonitor::volumeList() const
{
    QVariantList list;
    for (const Monitor::VolumeInfo& volume : volumes_)
        list.append(QVariantMap{{"path", QFile::decodeName(QByteArray::fromStdString(volume.url.native()))},
                                {"name", volume.name},
                                {"free", static_cast<qint64>(volume.free)},
                                {"ejectable", volume.ejectable}});
    return list;
}

std::optional<Monitor::VolumeInfo> SystemMonitor::volumeAt(const QString& path) const
{
    for (const Monitor::VolumeInfo& volume : volumes_)
        if (QFile::decodeName(QByteArray::fromStdString(volume.url.native())) == path)
            return volume;
    return std::nullopt;
}
