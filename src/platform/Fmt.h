#pragma once
// Display text for byte counts and dates, in the user's locale.
#include <cstdint>
#include <optional>

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace Fmt {

// "…" for a negative (unknown) count; else decimal file-style units
// (1 KB = 1000 bytes) with the locale's decimal separator.
QString bytes(std::int64_t n);
QString bytes(std::int64_t n, const QLocale& locale);

// "—" when absent; else the date alone in a medium style (day, abbreviated month, year).
QString date(const std::optional<QDateTime>& d);
QString date(const std::optional<QDateTime>& d, const QLocale& locale);

} // namespace Fmt
