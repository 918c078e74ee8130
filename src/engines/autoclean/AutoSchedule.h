#pragma once
// When cleaning on a schedule runs: a pure decision over the interval the
// user chose, the last automatic run, the clock, the battery and whether
// another run of the program holds the lock. Every starter (the command
// line, the resident program, the systemd timer) asks this same function.
#include <optional>

#include <QDateTime>
#include <QString>

namespace AutoClean {

enum class Interval { off, daily, weekly, monthly };

// The battery as the decision needs it; none on a machine without one.
struct Power {
    bool onBattery = false;
    int level = 100;  // percent
};

struct Decision {
    bool run = false;
    QString reason;  // why not (or, when it runs, empty)
};

// Below this charge on battery nothing runs (its reason names the figure).
constexpr int kLowestBattery = 30;

// The moment the next run is due after `last`: a day, a week or a calendar
// month later (a month from 31 January is the last day of February), or
// `shortened` seconds later whatever the interval (to try the schedule out).
QDateTime nextDue(Interval interval, const QDateTime& last, std::optional<int> shortened = std::nullopt);

// QUILLMOOR_AUTO_CLEAN_EVERY, a whole number of seconds from 60 on: when set,
// every interval but off lasts that long, and the resident program asks that
// often. Nothing when unset or not such a number.
std::optional<int> shortenedInterval();

// Whether an automatic run starts now. Never on battery below kLowestBattery
// or while another run holds the lock. With `ifDue` (the schedule asking) it
// runs only when it is not off and the interval has passed since `last`;
// after months off it runs once (the stamp then moves to now, not by one
// interval), and a clock set back before `last` counts as due, once, so a
// wrong clock never stops the schedule. Without `ifDue` (asked by hand) it runs now.
Decision decide(Interval interval, const std::optional<QDateTime>& last, const QDateTime& now, Power power,
                bool otherRunHoldsLock, bool ifDue, std::optional<int> shortened = std::nullopt);

// "off", "daily", "weekly", "monthly" as stored in the settings; an unknown word is off.
QString intervalName(Interval interval);
Interval intervalFrom(const QString& name);

} // namespace AutoClean
