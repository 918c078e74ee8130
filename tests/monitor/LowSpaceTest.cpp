// When a low-space notice is due: once per crossing, both limits needed.
#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>

#include "monitor/LowSpace.h"

using namespace LowSpace;

namespace {

constexpr std::int64_t kHour = 60 * 60 * 1000;
// A 100 GB file system: low under 5 GB left with the default settings.
constexpr Figures kLow{100 * kGb, 2 * kGb};
constexpr Figures kAmple{100 * kGb, 40 * kGb};

// Runs the checks in order, each at its time; which of them sent a notice.
std::vector<bool> run(const std::vector<std::pair<std::int64_t, Figures>>& checks, const Settings& settings = {})
{
    Mark mark;
    std::vector<bool> sent;
    for (const auto& [when, figures] : checks) {
        const Step s = step(mark, figures, settings, when);
        mark = s.next;
        sent.push_back(s.notify);
    }
    return sent;
}

} // namespace

TEST(LowSpace, OneNoticePerCrossingAndNotAgainWithinADay)
{
    // Low from the start: one notice, then silence while it stays low, even for days.
    EXPECT_EQ(run({{0, kLow}, {kHour, kLow}, {3 * kDayMs, kLow}}), (std::vector<bool>{true, false, false}));
    // Recovered, but low again within the day: no second notice; after the day, yes.
    EXPECT_EQ(run({{0, kLow}, {kHour, kAmple}, {2 * kHour, kLow}, {kDayMs, kLow}}),
              (std::vector<bool>{true, false, false, true}));
    // A day gone by, then a recovery: the next crossing warns at once.
    EXPECT_EQ(run({{0, kLow}, {2 * kDayMs, kAmple}, {2 * kDayMs + kHour, kLow}, {2 * kDayMs + 2 * kHour, kLow}}),
              (std::vector<bool>{true, false, true, false}));
}

TEST(LowSpace, AClockSetBackIsNoDayGoneBy)
{
    EXPECT_EQ(run({{10 * kDayMs, kLow}, {10 * kDayMs + kHour, kAmple}, {kHour, kLow}}),
              (std::vector<bool>{true, false, false}));
}

TEST(LowSpace, LowMeansUnderATenthAndUnderTheFigureBoth)
{
    // Under a tenth but above 5 GB (a 1 TB disk with 60 GB left).
    EXPECT_FALSE(isLow({1000 * kGb, 60 * kGb}, 5 * kGb));
    // Under 5 GB but above a tenth (a 16 GB stick with 4 GB left).
    EXPECT_FALSE(isLow({16 * kGb, 4 * kGb}, 5 * kGb));
    EXPECT_TRUE(isLow({16 * kGb, kGb}, 5 * kGb));
    // Exactly on either line is not under it.
    EXPECT_FALSE(isLow({50 * kGb, 5 * kGb}, 10 * kGb));
    EXPECT_FALSE(isLow({100 * kGb, 5 * kGb}, 5 * kGb));
    // A file system that could not be read is never low.
    EXPECT_FALSE(isLow({0, 0}, 5 * kGb));
    // The figure is the setting's: 20 GB makes 15 GB left on 200 GB low.
    EXPECT_EQ(run({{0, {200 * kGb, 15 * kGb}}}), std::vector<bool>{false});
    EXPECT_EQ(run({{0, {200 * kGb, 15 * kGb}}}, Settings{true, 20}), std::vector<bool>{true});
}

TEST(LowSpace, SwitchedOffSendsNothingAndSwitchedOnWarnsOnce)
{
    const Settings off{false, 5};
    EXPECT_EQ(run({{0, kLow}, {kHour, kAmple}, {2 * kDayMs, kLow}}, off), (std::vector<bool>{false, false, false}));

    Mark mark = step({}, kLow, off, 0).next;
    const Step on = step(mark, kLow, Settings{}, kHour);
    EXPECT_TRUE(on.notify);  // nothing was said while it was off
}

TEST(LowSpace, SettingsReadTheirDefaultsForAnythingUnusable)
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath("prefs.conf"), QSettings::IniFormat);
    EXPECT_EQ(readSettings(settings), (Settings{true, 5}));
    settings.setValue(kOnKey, false);
    settings.setValue(kMinimumKey, 40);
    EXPECT_EQ(readSettings(settings), (Settings{false, 40}));
    for (const QVariant& bad : {QVariant(0), QVariant(-3), QVariant("lots"), QVariant("2.5"), QVariant(1000000)}) {
        settings.setValue(kMinimumKey, bad);
        EXPECT_EQ(readSettings(settings).minimumGb, 5) << bad.toString().toStdString();
    }
}

TEST(LowSpace, TheNoticeNamesTheLastScansLargestStoreOnlyWhileOneIsKnown)
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath("prefs.conf"), QSettings::IniFormat);
    EXPECT_EQ(readCause(settings), std::nullopt);
    const QString plain = noticeText(2 * kGb, "/", std::nullopt);
    storeCause(settings, Cause{"Podman", 30 * kGb});
    ASSERT_EQ(readCause(settings), (Cause{"Podman", 30 * kGb}));
    const QString named = noticeText(2 * kGb, "/", readCause(settings));
    EXPECT_TRUE(named.startsWith(plain));
    EXPECT_TRUE(named.contains("Podman"));
    // A scan that found none forgets it; a stored figure that is no number is none.
    storeCause(settings, std::nullopt);
    EXPECT_EQ(readCause(settings), std::nullopt);
    settings.setValue(kCauseTitleKey, "Podman");
    settings.setValue(kCauseBytesKey, "lots");
    EXPECT_EQ(readCause(settings), std::nullopt);
}
