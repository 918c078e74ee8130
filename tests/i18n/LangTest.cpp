#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "i18n/Lang.h"

namespace {

// Unsets the locale variables for one test (set() sets one) and puts the old
// values back afterwards.
class LocaleEnv {
public:
    LocaleEnv()
    {
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
            const char* value = std::getenv(name);
            saved_.push_back({name, value ? std::optional<std::string>(value) : std::nullopt});
            unsetenv(name);
        }
    }
    ~LocaleEnv()
    {
        for (const auto& [name, value] : saved_)
            value ? setenv(name, value->c_str(), 1) : unsetenv(name);
    }
    void set(const char* name, const char* value) { setenv(name, value, 1); }

private:
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
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

TEST(LangTest, PreferredLanguagesReadsLanguageListThenFirstLocaleVariable)
{
    LocaleEnv env;
    env.set("LANGUAGE", "pt_BR:fr");
    env.set("LANG", "de_DE.UTF-8");
    EXPECT_EQ(preferredLanguages(), QStringList({"pt-BR", "fr", "de-DE"}));
    EXPECT_EQ(chooseLang(preferredLanguages()), Lang::pt);

    // LC_ALL outranks LC_MESSAGES and LANG; only the first set one counts.
    env.set("LC_ALL", "ja_JP.UTF-8");
    env.set("LC_MESSAGES", "es_ES.UTF-8");
    EXPECT_EQ(preferredLanguages(), QStringList({"pt-BR", "fr", "ja-JP"}));

    // Empty variables count as unset.
    env.set("LANGUAGE", "");
    env.set("LC_ALL", "");
    EXPECT_EQ(preferredLanguages(), QStringList({"es-ES"}));
}

TEST(LangTest, PreferredLanguagesDropsCodesetModifierAndCLocales)
{
    LocaleEnv env;
    env.set("LANGUAGE", "::de_CH.UTF-8@euro:sr_RS@latin:C:POSIX:C.UTF-8::");
    EXPECT_EQ(preferredLanguages(), QStringList({"de-CH", "sr-RS"}));

    // A C locale in the deciding variable adds nothing and does not fall
    // through to LANG.
    env.set("LANGUAGE", "");
    env.set("LC_ALL", "C.UTF-8");
    env.set("LANG", "fr_FR.UTF-8");
    EXPECT_TRUE(preferredLanguages().isEmpty());
    EXPECT_EQ(chooseLang(preferredLanguages()), Lang::en);
    env.set("LC_ALL", "POSIX");
    EXPECT_TRUE(preferredLanguages().isEmpty());
}

TEST(LangTest, OnlyArabicIsRightToLeft)
{
    for (Lang lang : {Lang::en, Lang::es, Lang::it, Lang::fr, Lang::de, Lang::ja, Lang::zh, Lang::ar, Lang::pt})
        EXPECT_EQ(layoutDirectionFor(lang), lang == Lang::ar ? Qt::RightToLeft : Qt::LeftToRight) << rawValue(lang);
}

TEST(LangTest, AppLangIsChosenOnceAndKeptForTheProcess)
{
    const Lang first = appLang();
    EXPECT_EQ(appLayoutDirection(), layoutDirectionFor(first));
    {
        // A later change of the environment does not change the choice.
        LocaleEnv env;
        env.set("LANGUAGE", first == Lang::ar ? "ja" : "ar");
        EXPECT_EQ(appLang(), first);
        EXPECT_EQ(appLayoutDirection(), layoutDirectionFor(first));
    }
}
