#pragma once
// Display text for byte counts and dates, in the formatting locale (the
// system's, or the interface language's when the system names none).
#include <cstdint>
#include <optional>

#include <QDateTime>
#include <QLocale>
#include <QString>

#include "i18n/Lang.h"

namespace Fmt {

// "…" for a negative (unknown) count; else decimal file-style units
// (1 KB = 1000 bytes) with the locale's decimal separator: "0 bytes",
// "1 byte", "999 bytes", "12 KB", "3.4 MB", "5.67 GB" (TB, PB, EB alike),
// the number and its unit joined by a no-break space.
// Rounds half up and moves to the next unit when rounding reaches 1000.
// The words are the language's ("0 バイト", "1,5 Mo"); without one, the
// interface language's.
QString bytes(std::int64_t n);
QString bytes(std::int64_t n, const QLocale& locale);
QString bytes(std::int64_t n, const QLocale& locale, Lang lang);

// "—" when absent (or not a valid date); else the date alone, in local time,
// in a medium style (day, abbreviated month, four-digit year).
QString date(const std::optional<QDateTime>& d);
QString date(const std::optional<QDateTime>& d, const QLocale& locale);

// The medium date pattern for a locale (QDate::toString syntax): the locale's
// long date pattern without the weekday, with the month name abbreviated and
// the year in four digits, e.g. "MMM d, yyyy" for en_US, "d MMM yyyy" for en_GB.
QString mediumDatePattern(const QLocale& locale);

} // namespace Fmt
