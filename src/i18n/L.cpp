#include "i18n/L.h"

#include <memory>
#include <optional>
#include <vector>

#include "i18n/FormatLocale.h"
#include "i18n/Translations.h"

QString FmtArg::text() const
{
    if (const auto* number = std::get_if<std::int64_t>(&value_))
        return localNumber(*number);
    return std::get<QString>(value_);
}

namespace {

std::shared_ptr<const QHash<QString, QString>>& replacementSlot()
{
    static std::shared_ptr<const QHash<QString, QString>> slot = std::make_shared<const QHash<QString, QString>>();
    return slot;
}

} // namespace

void setWordReplacements(QHash<QString, QString> replacements)
{
    std::atomic_store(&replacementSlot(), std::shared_ptr<const QHash<QString, QString>>(
                                              std::make_shared<const QHash<QString, QString>>(std::move(replacements))));
}

QString wordFor(const QString& text)
{
    const std::shared_ptr<const QHash<QString, QString>> replacements = std::atomic_load(&replacementSlot());
    return replacements->value(text, text);
}

QString L(const QString& text)
{
    const Lang lang = appLang();
    if (lang == Lang::pt)
        return wordFor(text);  // Portuguese users never build the table
    return L(text, lang);
}

QString L(const QString& designed, Lang lang)
{
    const QString text = wordFor(designed);
    if (lang == Lang::pt)
        return text;
    const QHash<QString, QStringList>& table = translationTable();
    const auto found = table.constFind(text);
    if (found == table.constEnd())
        return text;
    return pickTranslation(text, *found, lang);
}

QString pickTranslation(const QString& key, const QStringList& texts, Lang lang)
{
    if (lang == Lang::pt || texts.isEmpty())
        return key;
    const qsizetype column = rawValue(lang);
    if (column >= 0 && column < texts.size() && !texts.at(column).isEmpty())
        return texts.at(column);
    // A missing (or blank) column shows English; a blank English shows the key.
    return texts.first().isEmpty() ? key : texts.first();
}

namespace {

// One recognised placeholder at the start of `rest`: how long it is and which
// argument it wants (0-based), or -1 for a literal percent sign.
struct Placeholder {
    qsizetype length = 0;
    int argument = -1;
};

// Reads the conversion after the '%' (and after "N$" for positional forms):
// "@" or "ld". Returns its length, 0 when it is neither.
qsizetype conversionLength(QStringView rest)
{
    if (rest.startsWith(u'@'))
        return 1;
    if (rest.startsWith(u"ld"))
        return 2;
    return 0;
}

// Recognises "%%", "%@", "%ld", "%N$@" and "%N$ld" at the start of `rest`
// (which begins with '%'). `nextArgument` is the argument the next
// non-positional placeholder takes; it advances only for those.
std::optional<Placeholder> readPlaceholder(QStringView rest, int& nextArgument)
{
    const QStringView afterPercent = rest.mid(1);
    if (afterPercent.startsWith(u'%'))
        return Placeholder{2, -1};

    if (const qsizetype length = conversionLength(afterPercent)) {
        return Placeholder{1 + length, nextArgument++};
    }

    // Positional: one or more digits, '$', then the conversion.
    qsizetype digits = 0;
    while (digits < afterPercent.size() && afterPercent.at(digits).isDigit()
           && afterPercent.at(digits).unicode() < 128)
        ++digits;
    if (digits == 0 || digits > 4 || digits >= afterPercent.size()
        || afterPercent.at(digits) != u'$')
        return std::nullopt;
    const int position = afterPercent.left(digits).toInt();
    if (position < 1)
        return std::nullopt;
    const qsizetype length = conversionLength(afterPercent.mid(digits + 1));
    if (length == 0)
        return std::nullopt;
    return Placeholder{1 + digits + 1 + length, position - 1};
}

}  // namespace

QString formatText(const QString& format, std::initializer_list<FmtArg> args)
{
    return formatText(format, std::vector<FmtArg>(args));
}

QString formatText(const QString& format, const std::vector<FmtArg>& arguments)
{
    QString result;
    result.reserve(format.size() + 16);
    int nextArgument = 0;
    qsizetype i = 0;
    while (i < format.size()) {
        const QChar c = format.at(i);
        if (c != u'%') {
            result.append(c);
            ++i;
            continue;
        }
        const QStringView rest = QStringView(format).mid(i);
        const std::optional<Placeholder> placeholder = readPlaceholder(rest, nextArgument);
        if (!placeholder) {
            // Not one of ours: keep the percent sign and carry on after it.
            result.append(c);
            ++i;
            continue;
        }
        if (placeholder->argument < 0) {
            result.append(u'%');
        } else if (static_cast<std::size_t>(placeholder->argument) < arguments.size()) {
            result.append(arguments[static_cast<std::size_t>(placeholder->argument)].text());
        } else {
            // No argument for it: leave the placeholder visible rather than
            // silently dropping part of the sentence.
            result.append(rest.left(placeholder->length));
        }
        i += placeholder->length;
    }
    return result;
}

Plural pluralCategory(std::int64_t n, Lang lang)
{
    const std::int64_t i = n < 0 ? -n : n;
    switch (lang) {
    case Lang::ja:
    case Lang::zh:
        return Plural::other;
    case Lang::pt:
    case Lang::fr:
        return i <= 1 ? Plural::one : Plural::other;
    case Lang::ar: {
        const std::int64_t hundreds = i % 100;
        if (i == 0) return Plural::zero;
        if (i == 1) return Plural::one;
        if (i == 2) return Plural::two;
        if (hundreds >= 3 && hundreds <= 10) return Plural::few;
        if (hundreds >= 11) return Plural::many;
        return Plural::other;
    }
    case Lang::en:
    case Lang::es:
    case Lang::it:
    case Lang::de:
        break;
    }
    return i == 1 ? Plural::one : Plural::other;
}

namespace {

QStringView pluralName(Plural category)
{
    switch (category) {
    case Plural::zero: return u"zero";
    case Plural::one: return u"one";
    case Plural::two: return u"two";
    case Plural::few: return u"few";
    case Plural::many: return u"many";
    case Plural::other: break;
    }
    return u"other";
}

// The form named `category` in "one:…|other:…", or nothing.
std::optional<QString> formNamed(const QString& forms, QStringView category)
{
    for (const QStringView part : QStringView(forms).split(u'|')) {
        const qsizetype colon = part.indexOf(u':');
        if (colon > 0 && part.left(colon) == category)
            return part.mid(colon + 1).toString();
    }
    return std::nullopt;
}

bool hasForms(const QString& text)
{
    static const QStringView names[] = {u"=0:", u"zero:", u"one:", u"two:", u"few:", u"many:", u"other:"};
    if (!text.contains(u'|'))
        return false;
    for (const QStringView name : names)
        if (text.startsWith(name))
            return true;
    return false;
}

}  // namespace

QString pluralForm(const QString& forms, std::int64_t n, Lang lang)
{
    if (!hasForms(forms))
        return forms;
    if (n == 0) {
        if (std::optional<QString> none = formNamed(forms, u"=0"))
            return *none;
    }
    if (std::optional<QString> form = formNamed(forms, pluralName(pluralCategory(n, lang))))
        return *form;
    return formNamed(forms, u"other").value_or(forms);
}

QString countFormat(const QString& key, std::int64_t n, Lang lang)
{
    const QString text = wordFor(key);
    if (lang == Lang::pt)
        return pluralForm(baseForms(text), n, lang);
    return pluralForm(L(text, lang), n, lang);
}

QString itemCount(std::int64_t count)
{
    return LP(count, "%ld itens", count);
}

QString joinList(const QStringList& items, Lang lang)
{
    switch (lang) {
    case Lang::ja:
    case Lang::zh:
        return items.join(u'、');
    case Lang::ar:
        return items.join(QStringLiteral("، "));
    default:
        return items.join(QStringLiteral(", "));
    }
}
