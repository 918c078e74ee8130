#pragma once
// The nine interface languages and the choice of one per launch.
#include <optional>

#include <QStringList>
#include <Qt>

// The raw value of a translated language is its column in the translation
// table; Portuguese is the base language and has no column.
enum class Lang : int { en = 0, es = 1, it = 2, fr = 3, de = 4, ja = 5, zh = 6, ar = 7, pt = 99 };

// Accepts exactly 0 to 7 and 99.
std::optional<Lang> langFromRaw(int raw);
int rawValue(Lang lang);

// The first entry whose first two characters (lower-cased) name a supported
// language wins; English when none does.
Lang chooseLang(const QStringList& preferred);

// The user's preferred languages as tags ("pt-BR"): $LANGUAGE (a colon list),
// then the first set of LC_ALL, LC_MESSAGES, LANG. "C" and "POSIX" are skipped.
QStringList preferredLanguages();

// Chosen once, on first use, for the life of the process.
Lang appLang();
Qt::LayoutDirection appLayoutDirection();
Qt::LayoutDirection layoutDirectionFor(Lang lang);
