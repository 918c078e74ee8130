#include <gtest/gtest.h>

#include "engines/autoclean/AutoSchedule.h"

using namespace AutoClean;

namespace {

const QDateTime kLast(QDate(2026, 1, 31), QTime(3, 0), Qt::UTC);
constexpr Power kMains{};

bool runs(Interval interval, const std::optional<QDateTime>& last, const QDateTime& now, Power power = kMains,
          bool locked = false, bool ifDue = true)
{
    return decide(interval, last, now, power, locked, ifDue).run;
}

} // namespace

TEST(AutoSchedule, DueOnlyOnceTheIntervalHasPassed)
{
    EXPECT_TRUE(runs(Interval::daily, std::nullopt, kLast));  // never ran
    EXPECT_FALSE(runs(Interval::daily, kLast, kLast.addSecs(23 * 3600)));
    EXPECT_TRUE(runs(Interval::daily, kLast, kLast.addDays(1)));
    EXPECT_FALSE(runs(Interval::weekly, kLast, kLast.addDays(6)));
    EXPECT_TRUE(runs(Interval::weekly, kLast, kLast.addDays(7)));
    // a month from 31 January is the last day of February
    EXPECT_EQ(nextDue(Interval::monthly, kLast), QDateTime(QDate(2026, 2, 28), QTime(3, 0), Qt::UTC));
    EXPECT_FALSE(runs(Interval::monthly, kLast, kLast.addDays(27)));
    EXPECT_TRUE(runs(Interval::monthly, kLast, kLast.addDays(28)));
    // shortened to try it out: any interval but off lasts that long
    EXPECT_EQ(nextDue(Interval::monthly, kLast, 120), kLast.addSecs(120));
    EXPECT_FALSE(decide(Interval::weekly, kLast, kLast.addSecs(119), kMains, false, true, 120).run);
    EXPECT_TRUE(decide(Interval::weekly, kLast, kLast.addSecs(120), kMains, false, true, 120).run);
    // not yet: the reason says when
    const Decision early = decide(Interval::daily, kLast, kLast.addSecs(60), kMains, false, true);
    EXPECT_FALSE(early.reason.isEmpty());
}

TEST(AutoSchedule, MissedIntervalsAndAClockSetBackRunOnce)
{
    // Half a year off: due, and once run the stamp is now, so the next is a day later.
    const QDateTime later = kLast.addMonths(6);
    EXPECT_TRUE(runs(Interval::daily, kLast, later));
    EXPECT_FALSE(runs(Interval::daily, later, later.addSecs(3600)));
    // A clock set back before the last run: due once, then counted from the new time.
    const QDateTime back = kLast.addDays(-40);
    EXPECT_TRUE(runs(Interval::weekly, kLast, back));
    EXPECT_FALSE(runs(Interval::weekly, back, back.addDays(1)));
    // An unreadable stamp counts as never.
    EXPECT_TRUE(runs(Interval::weekly, QDateTime(), kLast));
}

TEST(AutoSchedule, OffBatteryAndAnotherRunHoldItBack)
{
    const QDateTime due = kLast.addDays(2);
    // Off stops the schedule, not a run asked for by hand.
    EXPECT_FALSE(runs(Interval::off, std::nullopt, due));
    EXPECT_TRUE(runs(Interval::off, std::nullopt, due, kMains, false, false));
    // On battery below 30 % nothing runs; at 30 %, or plugged in, it does.
    EXPECT_FALSE(runs(Interval::daily, kLast, due, {.onBattery = true, .level = 29}));
    EXPECT_FALSE(runs(Interval::daily, kLast, due, {.onBattery = true, .level = 29}, false, false));
    EXPECT_TRUE(runs(Interval::daily, kLast, due, {.onBattery = true, .level = 30}));
    EXPECT_TRUE(runs(Interval::daily, kLast, due, {.onBattery = false, .level = 5}));
    // Another run holding the lock: neither starter cleans, and it says why.
    const Decision held = decide(Interval::daily, kLast, due, kMains, true, false);
    EXPECT_FALSE(held.run);
    EXPECT_FALSE(held.reason.isEmpty());
    // The stored words, and an unknown one as off.
    for (Interval interval : {Interval::off, Interval::daily, Interval::weekly, Interval::monthly})
        EXPECT_EQ(intervalFrom(intervalName(interval)), interval);
    EXPECT_EQ(intervalFrom("hourly"), Interval::off);
}
