#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "i18n/Lang.h"

namespace {

// Sets (or unsets) the locale variables for one test and puts the old values
// back afterwards.
class LocaleEnv {
public:
    LocaleEnv()
    {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            saved_.push_back(value ? std::optional<std::string>(value) : std::nullopt);
            unsetenv(name);
        }
    }
    ~LocaleEnv()
    {
        for (std::size_t i = 0; i < kNames.size(); ++i) {
            if (saved_[i])
                setenv(kNames[i], saved_[i]->c_str(), 1);
            else
                unsetenv(kNames[i]);
        }
    }
    void set(const char* name, const char* value) { setenv(name, value, 1); }

private:
    static constexpr std::array<const char*, 4> kNames = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};
    std::vector<std::optional<std::string>> saved_;
};

}  // namespace

TEST(LangTest, RawValuesRoundTripAndNothingElseIsALanguage)
{
    for (int raw : {0, 1, 2, 3, 4, 5, 6, 7, 99}) {
        const std::optional<Lang> lang = langFromRaw(raw);
        ASSERT_TRUE(lang.has_value()) << raw;
        EXPECT_EQ(rawValue(*lang), raw);
    }
    EXPECT_EQ(langFromRaw(99), Lang::pt);
    for (int raw : {-1, 8, 98, 100})
        EXPECT_FALSE(langFromRaw(raw).has_value()) << raw;
}

TEST(LangTest, FirstSupportedEntryWins)
{
    EXPECT_EQ(chooseLang({"de-CH", "fr-FR"}), Lang::de);
    EXPECT_EQ(chooseLang({"sv-SE", "fr-FR"}), Lang::fr);
    EXPECT_EQ(chooseLang({"sv-SE"}), Lang::en);
    EXPECT_EQ(chooseLang({}), Lang::en);
    // Regional and script variants are not told apart; case does not matter.
    EXPECT_EQ(chooseLang({"pt-PT"}), Lang::pt);
    EXPECT_EQ(chooseLang({"zh-Hant-TW"}), Lang::zh);
    EXPECT_EQ(chooseLang({"JA"}), Lang::ja);
}

TEST(LangTest, ShortEntriesMatchNothing)
{
    EXPECT_EQ(chooseLang({"p"}), Lang::en);
    EXPECT_EQ(chooseLang({"p", "es-MX"}), Lang::es);
    EXPECT_EQ(chooseLang({"", "de"}), Lang::de);
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
    for (Lang lang : {Lang::en, Lang::es, Lang::it, Lang::fr, Lang::de, Lang::ja, Lang::zh, Lang::pt})
        EXPECT_EQ(layoutDirectionFor(lang), Qt::LeftToRight) << rawValue(lang);
    EXPECT_EQ(layoutDirectionFor(Lang::ar), Qt::RightToLeft);
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
