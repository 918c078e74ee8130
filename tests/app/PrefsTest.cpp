// The freed total's one-time migration from the earlier preferences domain.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QSettings>
#include <QTemporaryDir>

#include "platform/Prefs.h"

namespace {

struct Domains {
    QTemporaryDir dir;
    QSettings standard{dir.filePath("standard.conf"), QSettings::IniFormat};
    QSettings earlier{dir.filePath("earlier.conf"), QSettings::IniFormat};
};

} // namespace

TEST(FreedMigration, CopiesAPositiveTotalAndTheLastCleanOnce)
{
    Domains d;
    const QDateTime when(QDate(2025, 3, 4), QTime(10, 20));
    d.earlier.setValue("totalFreed", 5000);
    d.earlier.setValue("lastClean", when);
    EXPECT_EQ(Prefs::loadTotalFreed(d.standard, &d.earlier), 5000);
    EXPECT_EQ(d.standard.value("lastClean").toDateTime(), when);

    // Second start: the standard domain has the key, the earlier one is not read again.
    d.earlier.setValue("totalFreed", 9999);
    d.earlier.setValue("lastClean", QDateTime(QDate(2026, 1, 1), QTime(0, 0)));
    EXPECT_EQ(Prefs::loadTotalFreed(d.standard, &d.earlier), 5000);
    EXPECT_EQ(d.standard.value("lastClean").toDateTime(), when);
}

TEST(FreedMigration, AZeroOrGarbledTotalIsNotCopied)
{
    for (const QVariant& total : {QVariant(0), QVariant("lots")}) {
        SCOPED_TRACE(total.toString().toStdString());
        Domains d;
        d.earlier.setValue("totalFreed", total);
        d.earlier.setValue("lastClean", "2024-05-06");
        EXPECT_EQ(Prefs::loadTotalFreed(d.standard, &d.earlier), 0);
        EXPECT_FALSE(d.standard.contains("totalFreed"));
        EXPECT_EQ(d.standard.value("lastClean").toString(), "2024-05-06");
    }
}

TEST(FreedMigration, WithoutAnEarlierDomainTheStandardValueHolds)
{
    Domains d;
    EXPECT_EQ(Prefs::loadTotalFreed(d.standard, nullptr), 0);
    d.standard.setValue("totalFreed", 42);
    EXPECT_EQ(Prefs::loadTotalFreed(d.standard, nullptr), 42);
    EXPECT_EQ(Prefs::earlier(), nullptr);  // the earlier domain's file is absent
}
