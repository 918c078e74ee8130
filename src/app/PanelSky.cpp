#include "app/PanelSky.h"

#include <QDateTime>

#include "monitor/PanelValues.h"
#include "platform/Prefs.h"

PanelSky::PanelSky(QObject* parent)
    : QObject(parent)
{
    readLastClean();
}

void PanelSky::setMonitor(SystemMonitor* monitor)
{
    if (monitor_ == monitor)
        return;
    if (monitor_)
        disconnect(monitor_, nullptr, this, nullptr);
    monitor_ = monitor;
    if (monitor_)
        connect(monitor_, &SystemMonitor::sampled, this, &PanelSky::skyChanged);
    emit monitorChanged();
    emit skyChanged();
}

void PanelSky::setRemovals(RemovalState* removals)
{
    if (removals_ == removals)
        return;
    if (removals_)
        disconnect(removals_, nullptr, this, nullptr);
    removals_ = removals;
    // A removal that freed anything has stored the time of the cleanup.
    if (removals_)
        connect(removals_, &RemovalState::totalFreedChanged, this, &PanelSky::readLastClean);
    emit removalsChanged();
}

double PanelSky::cloudiness() const
{
    const double diskFree = monitor_ ? monitor_->diskFreeFraction() : 1.0;
    const double mem = monitor_ ? monitor_->memFraction() : 0.0;
    return Panel::cloudiness(days_, diskFree, mem);
}

QString PanelSky::title() const { return Panel::skyTitle(cloudiness()); }

QString PanelSky::text() const { return Panel::skyText(days_); }

void PanelSky::readLastClean()
{
    const std::optional<int> days =
        Panel::daysSinceClean(Prefs::standard()->value(QStringLiteral("lastClean")), QDateTime::currentDateTime());
    if (days != days_) {
        days_ = days;
        emit skyChanged();
    }
}
