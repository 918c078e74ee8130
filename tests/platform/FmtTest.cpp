// Fmt: byte counts in decimal units with correct rounding at every unit edge,
// and medium dates without time of day, for any locale.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>

#include "i18n/FormatLocale.h"
#include "i18n/L.h"
#include "platform/Fmt.h"

namespace {

const QLocale usEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale german(QLocale::German, QLocale::Germany);
const QDateTime sundayAfternoon(QDate(2026, 12, 6), QTime(13, 47, 59));

// The figures are written with a plain space; the program joins a number and
// its unit with a no-break one.
QString spaced(const char* text)
{
    return QString::fromUtf8(text).replace(QLatin1Char(' '), QChar(0x00A0));
}

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
        EXPECT_EQ(Fmt::bytes(n, usEnglish), spaced(text)) << "n = " << n;
    // With the default locale too.
    EXPECT_EQ(Fmt::bytes(-1), QStringLiteral("\u2026"));
    EXPECT_EQ(Fmt::bytes(0), spaced("0 bytes"));

    // The decimal separator follows the locale, with no thousands separators
    // even when the largest unit runs past 999.
    EXPECT_EQ(Fmt::bytes(1'500'000, german), spaced("1,5 MB"));
    EXPECT_EQ(Fmt::bytes(1'234'567'890, german), spaced("1,23 GB"));
    EXPECT_EQ(Fmt::bytes(999, german), spaced("999 bytes"));
    EXPECT_EQ(Fmt::bytes(1'500'000, usEnglish), spaced("1.5 MB"));
    EXPECT_FALSE(Fmt::bytes(highest, german).contains(QLatin1Char('.')));

    // The words are the language's.
    EXPECT_EQ(Fmt::bytes(0, usEnglish, Lang::ja), spaced("0 バイト"));
    EXPECT_EQ(Fmt::bytes(1, german, Lang::fr), spaced("1 octet"));
    EXPECT_EQ(Fmt::bytes(1'500'000, QLocale(QLocale::French), Lang::fr), spaced("1,5 Mo"));
    EXPECT_EQ(Fmt::bytes(12, usEnglish, Lang::ar), spaced("12 بايت"));
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

TEST(FormattingLocale, TheSystemsWhenItNamesOneElseTheInterfaceLanguages)
{
    const std::vector<std::tuple<const char*, Lang, const char*>> cases = {
        {"pt_BR.UTF-8", Lang::en, "pt_BR"},  // Brazilian formats in English text
        {"de_CH.UTF-8@euro", Lang::fr, "de_CH"},
        {"C.UTF-8", Lang::pt, "pt_BR"},
        {"C", Lang::de, "de_DE"},
        {"POSIX", Lang::ja, "ja_JP"},
        {"", Lang::fr, "fr_FR"},
        {"xx_YY.UTF-8", Lang::it, "it_IT"},  // no such locale
        {"C.UTF-8", Lang::zh, "zh_CN"},
        {"ar_EG.UTF-8", Lang::ar, "ar_AE"},  // Arabic keeps Latin digits
        {"ar_MA.UTF-8", Lang::en, "ar_MA"},
    };
    for (const auto& [system, lang, expected] : cases)
        EXPECT_EQ(formattingLocaleFor(QString::fromUtf8(system), lang).name(), QLatin1String(expected)) << system;
    EXPECT_EQ(formattingLocaleFor("C", Lang::ar).zeroDigit(), QStringLiteral("0"));
}

TEST(FormattingLocale, SizesCountsPercentsAndDatesInEachInterfaceLanguageUnderC)
{
    struct Case {
        Lang lang;
        const char* size;     // 80.11 GB
        const char* zero;     // nothing at all
        const char* count;    // 1234 items
        const char* date;     // 3 October 2019
    };
    const std::vector<Case> cases = {
        {Lang::pt, "80,11 GB", "0 bytes", "1.234 itens", "3 de out. de 2019"},
        {Lang::en, "80.11 GB", "0 bytes", "1,234 items", "Oct 3, 2019"},
        {Lang::de, "80,11 GB", "0 Byte", "1.234 Objekte", "3. Okt. 2019"},
        {Lang::fr, "80,11 Go", "0 octet", "1\u202F234 éléments", "3 oct. 2019"},
        {Lang::ja, "80.11 GB", "0 バイト", "1,234 項目", "2019年10月3日"},
        {Lang::ar, "80.11 GB", "0 بايت", "1,234 عنصرًا", "3 أكتوبر 2019"},
    };
    const QDateTime october(QDate(2019, 10, 3), QTime(12, 0));
    for (const Case& c : cases) {
        const QLocale locale = formattingLocaleFor(QStringLiteral("C.UTF-8"), c.lang);
        SCOPED_TRACE(locale.name().toStdString());
        EXPECT_EQ(Fmt::bytes(80'110'000'000, locale, c.lang), spaced(c.size));
        EXPECT_EQ(Fmt::bytes(0, locale, c.lang), spaced(c.zero));
        EXPECT_EQ(formatText(countFormat("%ld itens", 1234, c.lang), {localNumber(1234, locale)}),
                  QString::fromUtf8(c.count));
        EXPECT_EQ(Fmt::date(october, locale), QString::fromUtf8(c.date));
        EXPECT_EQ(localPercent(0.429, locale), QStringLiteral("42%"));
        EXPECT_EQ(localPercent(0.57, locale), QStringLiteral("57%"));
    }
}
