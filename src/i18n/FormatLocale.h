#pragma once
// The one locale every number, size and date is written in, in the window
// and on the command line alike.
#include <cstdint>

#include <QLocale>
#include <QString>

#include "i18n/Lang.h"

// The system's formatting locale name: the first set of LC_ALL, LC_NUMERIC,
// LC_TIME and LANG.
QString systemFormattingName();

// The interface language's own locale (pt_BR for Portuguese, ar_AE for
// Arabic: Latin digits).
QLocale interfaceLocale(Lang lang);

// The locale for a system locale name and an interface language: the named
// locale when it is a real one ("pt_BR.UTF-8", "de_CH@euro"); when it is C,
// POSIX, unset or unknown, the interface language's own (so a Portuguese
// window under LC_ALL=C.UTF-8 still writes "80,11 GB" and "3 de out. de 2019").
// Arabic is always written with Latin digits, whichever Arabic locale is named:
// sizes sit beside paths and file names that carry Latin digits too.
QLocale formattingLocaleFor(const QString& systemName, Lang lang);

// Chosen once, on first use, for the life of the process.
const QLocale& formattingLocale();

// A count as the locale writes it, grouped ("1.234" in Portuguese).
QString localNumber(std::int64_t n, const QLocale& locale = formattingLocale());

// A share of a whole in whole percent, cut down ("42%" for 0.429).
QString localPercent(double fraction, const QLocale& locale = formattingLocale());

// A number and its unit, kept on one line: "1,5" + "GB" gives "1,5 GB" with a
// no-break space between them.
QString withUnit(const QString& number, const QString& unit);
