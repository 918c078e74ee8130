#include "platform/Fmt.h"

#include <array>
#include <vector>

#include "i18n/FormatLocale.h"
#include "i18n/L.h"

namespace Fmt {

namespace {

// One decimal unit of the byte-count text and how many decimals it shows.
struct ByteUnit {
    const char* symbol;   // also its key in the translation table ("Mo" in French)
    std::uint64_t size;   // bytes in one unit
    int decimals;
};

constexpr std::array<ByteUnit, 6> byteUnits = {{
    {"KB", 1'000ULL, 0},
    {"MB", 1'000'000ULL, 1},
    {"GB", 1'000'000'000ULL, 2},
    {"TB", 1'000'000'000'000ULL, 2},
    {"PB", 1'000'000'000'000'000ULL, 2},
    {"EB", 1'000'000'000'000'000'000ULL, 2},
}};

constexpr std::uint64_t tenTo(int power)
{
    std::uint64_t result = 1;
    for (int i = 0; i < power; ++i)
        result *= 10;
    return result;
}

// Numbers without thousands separators: unit counts stay below 1000 anyway,
// except the largest unit, which should not turn into "9,223.37".
QLocale plainNumbers(const QLocale& locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);
    return plain;
}

// One piece of a date pattern: a field such as "MMMM" or "yyyy", or literal
// text exactly as it stands in the pattern (quotes included).
struct PatternToken {
    bool isField = false;
    QString text;
};

bool isDateFieldLetter(QChar c)
{
    return c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('y');
}

std::vector<PatternToken> tokenize(const QString& pattern)
{
    std::vector<PatternToken> tokens;
    auto appendLiteral = [&tokens](const QString& text) {
        if (!tokens.empty() && !tokens.back().isField)
            tokens.back().text += text;
        else
            tokens.push_back({false, text});
    };
    qsizetype i = 0;
    while (i < pattern.size()) {
        const QChar c = pattern.at(i);
        qsizetype end = i + 1;
        if (c == QLatin1Char('\'')) {
            // A quoted run ends at the next quote; '' inside stands for a quote.
            while (end < pattern.size()) {
                if (pattern.at(end) == QLatin1Char('\'')) {
                    if (end + 1 < pattern.size() && pattern.at(end + 1) == QLatin1Char('\'')) {
                        end += 2;
                        continue;
                    }
                    ++end;
                    break;
                }
                ++end;
            }
            appendLiteral(pattern.mid(i, end - i));
        } else if (isDateFieldLetter(c)) {
            while (end < pattern.size() && pattern.at(end) == c)
                ++end;
            tokens.push_back({true, pattern.mid(i, end - i)});
        } else {
            appendLiteral(QString(c));
        }
        i = end;
    }
    return tokens;
}

bool isWeekday(const PatternToken& token)
{
    return token.isField && token.text.startsWith(QLatin1Char('d')) && token.text.size() >= 3;
}

// Drops blanks and commas (Latin, Arabic, full-width) at the end of a literal,
// leaving quoted text alone.
QString withoutTrailingSeparators(QString literal)
{
    static const QString commas = QStringLiteral(",\u060C\uFF0C\u3001");
    while (!literal.isEmpty()) {
        const QChar last = literal.back();
        if (!last.isSpace() && !commas.contains(last))
            break;
        literal.chop(1);
    }
    return literal;
}

// Removes the weekday field with the text that only belongs to it: before the
// first other field, everything up to that field ("dddd, " or "dddd 'the' ");
// elsewhere, the blanks and commas that lead up to it (", dddd").
void removeWeekday(std::vector<PatternToken>& tokens)
{
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (!isWeekday(tokens[i]))
            continue;
        bool fieldBefore = false;
        for (std::size_t j = 0; j < i; ++j)
            fieldBefore = fieldBefore || tokens[j].isField;
        if (!fieldBefore) {
            std::size_t next = i + 1;
            while (next < tokens.size() && !tokens[next].isField)
                ++next;
            tokens.erase(tokens.begin(), tokens.begin() + static_cast<std::ptrdiff_t>(next));
        } else {
            tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(i));
            if (i > 0 && !tokens[i - 1].isField)
                tokens[i - 1].text = withoutTrailingSeparators(tokens[i - 1].text);
        }
        return;
    }
}

bool hasField(const std::vector<PatternToken>& tokens, QChar letter)
{
    for (const PatternToken& token : tokens) {
        if (token.isField && token.text.at(0) == letter && !isWeekday(token))
            return true;
    }
    return false;
}

} // namespace

QString bytes(std::int64_t n)
{
    return bytes(n, formattingLocale());
}

QString bytes(std::int64_t n, const QLocale& locale)
{
    return bytes(n, locale, appLang());
}

QString bytes(std::int64_t n, const QLocale& locale, Lang lang)
{
    if (n < 0)
        return QStringLiteral("\u2026");
    const QLocale numbers = plainNumbers(locale);
    if (n < 1000)
        return LPin(lang, n, "%@ bytes", numbers.toString(static_cast<qlonglong>(n))).replace(QLatin1Char(' '), QChar(0x00A0));

    const auto value = static_cast<std::uint64_t>(n);
    std::size_t unit = 0;
    while (unit + 1 < byteUnits.size() && value >= byteUnits[unit + 1].size)
        ++unit;

    // The count in steps of the last shown decimal, rounded half up. When that
    // reaches 1000 of the unit (999,950 bytes is not "1000 KB"), the next unit
    // takes over. No overflow: value < 2^63, and adding half a step keeps it
    // well inside 64 unsigned bits.
    std::uint64_t steps = 0;
    int decimals = 0;
    while (true) {
        decimals = byteUnits[unit].decimals;
        const std::uint64_t step = byteUnits[unit].size / tenTo(decimals);
        steps = (value + step / 2) / step;
        if (steps < 1000 * tenTo(decimals) || unit + 1 == byteUnits.size())
            break;
        ++unit;
    }
    const double shown = static_cast<double>(steps) / static_cast<double>(tenTo(decimals));
    return withUnit(numbers.toString(shown, 'f', decimals), L(QLatin1String(byteUnits[unit].symbol), lang));
}

QString mediumDatePattern(const QLocale& locale)
{
    std::vector<PatternToken> tokens = tokenize(locale.dateFormat(QLocale::LongFormat));
    removeWeekday(tokens);
    for (PatternToken& token : tokens) {
        if (!token.isField)
            continue;
        if (token.text == QLatin1String("MMMM"))
            token.text = QStringLiteral("MMM");
        else if (token.text.startsWith(QLatin1Char('y')))
            token.text = QStringLiteral("yyyy");
    }
    // A pattern that lost its day, month or year is no use: take a plain one.
    if (!hasField(tokens, QLatin1Char('d')) || !hasField(tokens, QLatin1Char('M'))
        || !hasField(tokens, QLatin1Char('y'))) {
        return QStringLiteral("d MMM yyyy");
    }
    QString pattern;
    for (const PatternToken& token : tokens)
        pattern += token.text;
    return pattern.trimmed();
}

QString date(const std::optional<QDateTime>& d)
{
    return date(d, formattingLocale());
}

QString date(const std::optional<QDateTime>& d, const QLocale& locale)
{
    if (!d || !d->isValid())
        return QStringLiteral("\u2014");
    return locale.toString(d->toLocalTime().date(), mediumDatePattern(locale));
}

} // namespace Fmt
