#pragma once
// The clock and the frame timer shared by the drawn items. The timer repaints
// an item at most 24 times a second (or at the interval it is given), and only
// while the item can be seen: it is visible, has a size, sits in a window and
// that window is shown and not minimised. An item whose picture changes
// slowly asks for fewer frames through its pace. Every timer's frames fall
// on whole multiples of its interval on the wall clock, so items with the
// same or related paces draw in the same frames instead of one after another.
#include <chrono>
#include <functional>

#include <QDateTime>
#include <QMetaObject>
#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTimer>

#include "ui/sky/SkyMath.h"

namespace SkyFrames {

// 42 ms is the first whole millisecond above 1/24 s.
inline constexpr int intervalMs = 42;

// Now, in seconds since the Unix epoch.
inline double now()
{
    return QDateTime::currentMSecsSinceEpoch() / 1000.0;
}

// Seconds on a clock that only goes forward, from an arbitrary zero.
inline double monotonicNow()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

class Timer {
public:
    // Repaints every `interval` milliseconds while running, unless a pace says otherwise.
    explicit Timer(QQuickItem* item, int interval = intervalMs)
        : item_(item), interval_(interval)
    {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);  // a coarse timer would drift off the shared ticks
        QObject::connect(&timer_, &QTimer::timeout, item, [this, item] {
            if (onFrame_)
                onFrame_();
            else
                item->update();
            if (pace_)
                interval_ = pace_(now());
            scheduleNext();
        });
    }
    // Replaces the plain repaint of the whole item at each frame (an item that
    // repaints only the parts that changed decides that itself).
    void setOnFrame(std::function<void()> onFrame) { onFrame_ = std::move(onFrame); }
    // Chooses the time to the next frame from the current time (milliseconds).
    void setPace(std::function<int(double)> pace)
    {
        pace_ = std::move(pace);
        if (pace_)
            interval_ = pace_(now());
    }
    ~Timer() { QObject::disconnect(windowShown_); }
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    // Re-decides whether frames are needed. WINDOW is the item's window (pass
    // the new one from a scene change); WANTED says whether the item has
    // anything to animate at all.
    void refresh(QQuickWindow* window, bool wanted)
    {
        wanted_ = wanted;
        if (window != window_) {
            QObject::disconnect(windowShown_);
            window_ = window;
            if (window)
                windowShown_ = QObject::connect(window, &QWindow::visibilityChanged, item_,
                                                [this] { refresh(window_, wanted_); });
        }
        // A hidden or minimised window shows nothing: no frames for it.
        const bool shown = window_ && window_->isVisible() && window_->visibility() != QWindow::Minimized;
        const bool run = wanted_ && shown && item_->isVisible() && item_->width() > 0 && item_->height() > 0;
        if (run && !timer_.isActive())
            scheduleNext();
        else if (!run && timer_.isActive())
            timer_.stop();
    }

    bool isActive() const { return timer_.isActive(); }
    int interval() const { return interval_; }
    // The interval from the next frame on.
    void setInterval(int ms) { interval_ = ms; }

private:
    void scheduleNext() { timer_.start(SkyMath::msToNextTick(QDateTime::currentMSecsSinceEpoch(), interval_)); }

    QQuickItem* item_;
    QTimer timer_;
    int interval_;
    QPointer<QQuickWindow> window_;
    QMetaObject::Connection windowShown_;
    bool wanted_ = true;
    std::function<int(double)> pace_;
    std::function<void()> onFrame_;
};

} // namespace SkyFrames
