// Fmt: byte counts in decimal units with correct rounding at every unit edge,
// and medium dates without time of day, for any locale.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>

#include "platform/Fmt.h"

namespace {

const QLocale usEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale german(QLocale::German, QLocale::Germany);
const QDateTime sundayAfternoon(QDate(2026, 12, 6), QTime(13, 47, 59));

} // namespace

TEST(FmtBytes, UnitsAndRoundingAtEveryEdge)
{
    constexpr std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    constexpr std::int64_t highest = std::numeric_limits<std::int64_t>::max();
    // Each line is one unit edge: rounding up to 1000 moves to the next unit.
    const std::vector<std::pair<std::int64_t, const char*>> cases = {
        {-1, "\u2026"}, {lowest, "\u2026"},  // unknown
        {0, "0 bytes"}, {1, "1 byte"}, {2, "2 bytes"}, {999, "999 bytes"},
        {1000, "1 KB"}, {1499, "1 KB"}, {1500, "2 KB"}, {999'499, "999 KB"},
        {999'500, "1.0 MB"}, {999'950, "1.0 MB"}, {1'000'000, "1.0 MB"}, {1'049'999, "1.0 MB"}, {1'050'000, "1.1 MB"},
        {999'949'999, "999.9 MB"}, {999'950'000, "1.00 GB"}, {1'234'567'890, "1.23 GB"},
        {1'235'000'000, "1.24 GB"}, {999'994'999'999, "999.99 GB"}, {999'995'000'000, "1.00 TB"},
        {2'500'000'000'000, "2.50 TB"}, {1'500'000'000'000'000, "1.50 PB"},
        {999'995'000'000'000'000, "1.00 EB"}, {highest, "9.22 EB"},
    };
    for (const auto& [n, text] : cases)
        EXPECT_EQ(Fmt::bytes(n, usEnglish), QString::fromUtf8(text)) << "n = " << n;
    // With the default locale too.
    EXPECT_EQ(Fmt::bytes(-1), QStringLiteral("\u2026"));
    EXPECT_EQ(Fmt::bytes(0), QStringLiteral("0 bytes"));

    // The decimal separator follows the locale, with no thousands separators
    // even when the largest unit runs past 999.
    EXPECT_EQ(Fmt::bytes(1'500'000, german), QStringLiteral("1,5 MB"));
    EXPECT_EQ(Fmt::bytes(1'234'567'890, german), QStringLiteral("1,23 GB"));
    EXPECT_EQ(Fmt::bytes(999, german), QStringLiteral("999 bytes"));
    EXPECT_EQ(Fmt::bytes(1'500'000, usEnglish), QStringLiteral("1.5 MB"));
    EXPECT_FALSE(Fmt::bytes(highest, german).contains(QLatin1Char('.')));

    // The words are the language's.
    EXPECT_EQ(Fmt::bytes(0, usEnglish, Lang::ja), QStringLiteral("0 バイト"));
    EXPECT_EQ(Fmt::bytes(1, german, Lang::fr), QStringLiteral("1 octet"));
    EXPECT_EQ(Fmt::bytes(1'500'000, QLocale(QLocale::French), Lang::fr), QStringLiteral("1,5 Mo"));
    EXPECT_EQ(Fmt::bytes(12, usEnglish, Lang::ar), QStringLiteral("12 بايت"));
}

TEST(FmtDate, MediumStyleInTheLocaleOrderWithoutTimeOrWeekdayAndAbsentIsADash)
{
    EXPECT_EQ(Fmt::date(std::nullopt), QStringLiteral("\u2014"));
    EXPECT_EQ(Fmt::date(QDateTime(), usEnglish), QStringLiteral("\u2014"));

    const std::vector<std::pair<QLocale, QString>> cases = {
        {usEnglish, QStringLiteral("Dec 6, 2026")},
        {QLocale(QLocale::English, QLocale::UnitedKingdom), QStringLiteral("6 Dec 2026")},
        {QLocale(QLocale::Portuguese, QLocale::Brazil), QStringLiteral("6 de dez. de 2026")},
        {german, QStringLiteral("6. Dez. 2026")},
        {QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("2026年12月6日")},
        {QLocale(QLocale::Hungarian, QLocale::Hungary), QStringLiteral("2026. dec. 6.")},
    };
    for (const auto& [locale, text] : cases)
        EXPECT_EQ(Fmt::date(sundayAfternoon, locale), text) << locale.name().toStdString();
    EXPECT_EQ(Fmt::date(sundayAfternoon, QLocale(QLocale::Thai, QLocale::Thailand)).left(2), QStringLiteral("6 "));

    // Every locale shows the year, but no time of day or weekday.
    const QList<QLocale> locales =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    ASSERT_FALSE(locales.isEmpty());
    for (const QLocale& locale : locales) {
        QLocale plain = locale;
        plain.setNumberOptions(QLocale::OmitGroupSeparator);
        const QString text = Fmt::date(sundayAfternoon, locale);
        SCOPED_TRACE(locale.name().toStdString() + ": " + text.toStdString());
        EXPECT_TRUE(text.contains(plain.toString(2026)));
        EXPECT_FALSE(text.contains(plain.toString(47)));
        EXPECT_FALSE(text.contains(plain.toString(59)));
        EXPECT_FALSE(text.contains(locale.dayName(7, QLocale::LongFormat)));
        EXPECT_EQ(text, text.trimmed());
    }
}
