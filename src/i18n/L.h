#pragma once
// Every text the user sees is written as its Portuguese base text and passed
// through L (or LF when it has placeholders: %@ text, %ld integer, %% a percent
// sign, and positional forms such as %2$@).
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <variant>
#include <vector>

#include <QHash>
#include <QString>
#include <QStringList>

#include "i18n/Lang.h"

// One argument of LF: an integer (for %ld) or a text (for %@).
class FmtArg {
public:
    FmtArg(int v) : value_(static_cast<std::int64_t>(v)) {}
    FmtArg(long v) : value_(static_cast<std::int64_t>(v)) {}
    FmtArg(long long v) : value_(static_cast<std::int64_t>(v)) {}
    FmtArg(unsigned v) : value_(static_cast<std::int64_t>(v)) {}
    FmtArg(const QString& v) : value_(v) {}
    FmtArg(const char* v) : value_(QString::fromUtf8(v)) {}
    QString text() const;
private:
    std::variant<std::int64_t, QString> value_;
};

// Replaces designed texts by the active profile's own keys before lookup
// (the texts that name the system: "Seu Mac agora" on Linux shows
// "Seu computador agora"). Set once at start; empty by default.
void setWordReplacements(QHash<QString, QString> replacements);
// The key looked up for a text: its replacement, else the text itself.
QString wordFor(const QString& text);

// The text in the interface language (appLang).
QString L(const QString& text);
// The same for a given language (pure; used by tests and the CLI).
QString L(const QString& text, Lang lang);
// Picks the language's text from one row of translations: a missing or blank
// column gives English, a blank English gives the key itself.
QString pickTranslation(const QString& key, const QStringList& texts, Lang lang);

// Fills the placeholders of a format text with the arguments in order.
QString formatText(const QString& format, std::initializer_list<FmtArg> args);
QString formatText(const QString& format, const std::vector<FmtArg>& args);

// How a language says a count: the CLDR plural categories, by their
// rules for whole numbers.
enum class Plural { zero, one, two, few, many, other };
Plural pluralCategory(std::int64_t n, Lang lang);

// A text that changes with a count holds its forms as "one:%ld item|other:%ld
// itens" (any of zero, one, two, few, many, other, and "=0" for exactly
// nothing where the language's category for 0 reads badly: Portuguese counts 0
// as "one"). Picks the form for n; a missing category takes "other"; a text
// without forms is its only form.
QString pluralForm(const QString& forms, std::int64_t n, Lang lang);

// The text of a count key in a language: the key is the Portuguese text for
// many ("%ld itens"); its row gives each language's forms, and the row's base
// forms give the Portuguese ones. Placeholders are not filled yet.
QString countFormat(const QString& key, std::int64_t n, Lang lang);

// "1 item", "3 itens": how many things a list holds.
QString itemCount(std::int64_t count);

// Names shown as one list, joined the way the language joins them
// ("a, b" in most, "a、b" in Japanese and Chinese, "a، b" in Arabic).
QString joinList(const QStringList& items, Lang lang = appLang());

template <typename... Args>
QString LF(const QString& text, Args&&... args)
{
    return formatText(L(text), {FmtArg(std::forward<Args>(args))...});
}
// A count text: the form for n in the interface language, with the
// placeholders filled by the arguments (n among them where the text shows it).
template <typename... Args>
QString LP(std::int64_t n, const QString& key, Args&&... args)
{
    return formatText(countFormat(key, n, appLang()), {FmtArg(std::forward<Args>(args))...});
}
template <typename... Args>
QString LPin(Lang lang, std::int64_t n, const QString& key, Args&&... args)
{
    return formatText(countFormat(key, n, lang), {FmtArg(std::forward<Args>(args))...});
}
template <typename... Args>
QString LFin(Lang lang, const QString& text, Args&&... args)
{
    return formatText(L(text, lang), {FmtArg(std::forward<Args>(args))...});
}
