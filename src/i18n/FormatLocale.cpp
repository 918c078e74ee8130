#include "i18n/FormatLocale.h"

#include <algorithm>
#include <cmath>

#include <QByteArray>

namespace {

// "pt_BR.UTF-8@euro" names the locale "pt_BR".
QString bareName(const QString& name)
{
    QString bare = name;
    for (const QChar cut : {QLatin1Char('.'), QLatin1Char('@')}) {
        const qsizetype at = bare.indexOf(cut);
        if (at >= 0)
            bare.truncate(at);
    }
    return bare;
}

} // namespace

QLocale interfaceLocale(Lang lang)
{
    switch (lang) {
    case Lang::en: return QLocale(QLocale::English, QLocale::UnitedStates);
    case Lang::es: return QLocale(QLocale::Spanish, QLocale::Spain);
    case Lang::it: return QLocale(QLocale::Italian, QLocale::Italy);
    case Lang::fr: return QLocale(QLocale::French, QLocale::France);
    case Lang::de: return QLocale(QLocale::German, QLocale::Germany);
    case Lang::ja: return QLocale(QLocale::Japanese, QLocale::Japan);
    case Lang::zh: return QLocale(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China);
    case Lang::ar: return QLocale(QLocale::Arabic, QLocale::UnitedArabEmirates);
    case Lang::pt: break;
    }
    return QLocale(QLocale::Portuguese, QLocale::Brazil);
}

QString systemFormattingName()
{
    for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LC_TIME", "LANG"}) {
        const QByteArray value = qgetenv(variable);
        if (!value.isEmpty())
            return QString::fromLocal8Bit(value);
    }
    return QString();
}

QLocale formattingLocaleFor(const QString& systemName, Lang lang)
{
    const QString bare = bareName(systemName);
    if (bare.isEmpty() || bare == QLatin1String("C") || bare == QLatin1String("POSIX"))
        return interfaceLocale(lang);
    const QLocale named(bare);
    if (named.language() == QLocale::C)
        return interfaceLocale(lang);
    if (named.language() == QLocale::Arabic && named.zeroDigit() != QLatin1String("0"))
        return interfaceLocale(Lang::ar);
    return named;
}

const QLocale& formattingLocale()
{
    static const QLocale locale = formattingLocaleFor(systemFormattingName(), appLang());
    return locale;
}

QString localNumber(std::int64_t n, const QLocale& locale)
{
    return locale.toString(static_cast<qlonglong>(n));
}

QString localPercent(double fraction, const QLocale& locale)
{
    // The nudge keeps 0.57 at 57: 0.57 * 100 is 56.99999… in binary.
    const double whole = std::isfinite(fraction) ? std::trunc(std::clamp(fraction, -1e6, 1e6) * 100 + 1e-9) : 0.0;
    return localNumber(static_cast<std::int64_t>(whole), locale) + QLatin1Char('%');
}

QString withUnit(const QString& number, const QString& unit)
{
    return number + QChar(0x00A0) + unit;
}
