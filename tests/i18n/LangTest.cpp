// Choosing the interface language: stored values, the locale variables, and
// the layout direction.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "i18n/Lang.h"
#include "support/Fixtures.h"

namespace {

std::optional<std::string> setOrUnset(const char* value) { return value ? std::optional<std::string>(value) : std::nullopt; }

// Sets the four locale variables for a while (null: unset; "" is set but empty)
// and puts the old values back afterwards.
struct LocaleEnv {
    LocaleEnv(const char* language, const char* lcAll, const char* lcMessages, const char* lang)
        : language_("LANGUAGE", setOrUnset(language)), lcAll_("LC_ALL", setOrUnset(lcAll)),
          lcMessages_("LC_MESSAGES", setOrUnset(lcMessages)), lang_("LANG", setOrUnset(lang))
    {
    }
    ScopedEnv language_, lcAll_, lcMessages_, lang_;
};

}  // namespace

TEST(LangTest, RawValuesRoundTripAndNothingElseIsALanguage)
{
    for (int raw = -1; raw <= 100; ++raw) {
        const std::optional<Lang> lang = langFromRaw(raw);
        ASSERT_EQ(lang.has_value(), (raw >= 0 && raw <= 7) || raw == 99) << raw;
        if (lang) {
            EXPECT_EQ(rawValue(*lang), raw);
        }
    }
    EXPECT_EQ(langFromRaw(99), Lang::pt);
}

TEST(LangTest, FirstSupportedEntryWins)
{
    const std::vector<std::pair<QStringList, Lang>> cases = {
        {{"de-CH", "fr-FR"}, Lang::de}, {{"sv-SE", "fr-FR"}, Lang::fr}, {{"sv-SE"}, Lang::en}, {{}, Lang::en},
        // Regional and script variants are not told apart; case does not matter.
        {{"pt-PT"}, Lang::pt}, {{"zh-Hant-TW"}, Lang::zh}, {{"JA"}, Lang::ja},
        // Entries shorter than two letters match nothing.
        {{"p"}, Lang::en}, {{"p", "es-MX"}, Lang::es}, {{"", "de"}, Lang::de}};
    for (const auto& [preferred, expected] : cases)
        EXPECT_EQ(chooseLang(preferred), expected) << preferred.join(u',').toStdString();
}

TEST(LangTest, PreferredLanguagesReadTheLanguageListThenTheDecidingLocaleVariable)
{
    struct Case {
        const char* name;
        const char* language;
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        QStringList expected;
    };
    const std::vector<Case> cases = {
        {"list then LANG", "pt_BR:fr", nullptr, nullptr, "de_DE.UTF-8", {"pt-BR", "fr", "de-DE"}},
        {"LC_ALL outranks the others", "pt_BR:fr", "ja_JP.UTF-8", "es_ES.UTF-8", "de_DE.UTF-8", {"pt-BR", "fr", "ja-JP"}},
        {"empty counts as unset", "", "", "es_ES.UTF-8", "de_DE.UTF-8", {"es-ES"}},
        {"codeset, modifier and C locales dropped", "::de_CH.UTF-8@euro:sr_RS@latin:C:POSIX:C.UTF-8::", nullptr,
         nullptr, nullptr, {"de-CH", "sr-RS"}},
        // A C locale in the deciding variable adds nothing and does not fall through to LANG.
        {"C.UTF-8 decides", "", "C.UTF-8", nullptr, "fr_FR.UTF-8", {}},
        {"POSIX decides", "", "POSIX", nullptr, "fr_FR.UTF-8", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LocaleEnv env(c.language, c.lcAll, c.lcMessages, c.lang);
        EXPECT_EQ(preferredLanguages(), c.expected);
    }
    const LocaleEnv env("pt_BR:fr", nullptr, nullptr, "de_DE.UTF-8");
    EXPECT_EQ(chooseLang(preferredLanguages()), Lang::pt);
}

TEST(LangTest, OnlyArabicIsRightToLeftAndTheChoiceIsKeptForTheProcess)
{
    for (Lang lang : {Lang::en, Lang::es, Lang::it, Lang::fr, Lang::de, Lang::ja, Lang::zh, Lang::ar, Lang::pt})
        EXPECT_EQ(layoutDirectionFor(lang), lang == Lang::ar ? Qt::RightToLeft : Qt::LeftToRight) << rawValue(lang);

    const Lang first = appLang();
    EXPECT_EQ(appLayoutDirection(), layoutDirectionFor(first));
    const LocaleEnv env(first == Lang::ar ? "ja" : "ar", nullptr, nullptr, nullptr);
    EXPECT_EQ(appLang(), first);
    EXPECT_EQ(appLayoutDirection(), layoutDirectionFor(first));
}
