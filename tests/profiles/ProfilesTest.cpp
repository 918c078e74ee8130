// The two profiles: each is complete, and its words replace exactly the
// designed texts that name the system, with keys of the translation table.
#include <gtest/gtest.h>

#include <algorithm>

#include <QRegularExpression>

#include "i18n/L.h"
#include "i18n/Translations.h"
#include "profiles/Profile.h"

namespace {

// The placeholders of a text in order ("%@", "%ld", "%%").
QStringList placeholders(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("%%|%(?:[0-9]+\\$)?(?:@|ld)"));
    QStringList found;
    for (auto it = pattern.globalMatch(text); it.hasNext();)
        found << it.next().captured(0);
    return found;
}

// Applies a profile while it lives, then the active one again.
class Applied {
public:
    explicit Applied(const char* name) { Profiles::apply(*Profiles::byName(name)); }
    ~Applied() { Profiles::apply(Profiles::active()); }
    Applied(const Applied&) = delete;
    Applied& operator=(const Applied&) = delete;
};

} // namespace

TEST(Profiles, BothAreCompleteAndFoundByName)
{
    for (const char* name : {"linux", "macos"}) {
        const Profiles::Profile* profile = Profiles::byName(name);
        ASSERT_NE(profile, nullptr) << name;
        EXPECT_EQ(profile->name, name);
        EXPECT_TRUE(profile->junk.rules && profile->protectedPlaces.current && profile->apps.backend
                    && profile->startup.backend && profile->maintenance.tasks
                    && profile->maintenance.defaultSelection && profile->words.replacements)
            << name;
        // applications are listed, described and planned; startup items listed and removed
        const AppBackend apps = profile->apps.backend();
        EXPECT_TRUE(apps.scan && apps.files && apps.plan && apps.tools) << name;
        const StartupBackend startup = profile->startup.backend();
        EXPECT_TRUE(startup.scan && startup.remove) << name;
        // memory is freed by a purge command or by the maintenance routine "ram"
        EXPECT_FALSE(profile->panel.speedTest.empty() || profile->panel.speedProgram.empty()) << name;
        const std::vector<MaintTask> tasks = profile->maintenance.tasks();
        EXPECT_TRUE(!profile->panel.purge.empty()
                    || std::any_of(tasks.begin(), tasks.end(), [](const MaintTask& t) { return t.id == "ram"; }))
            << name;
    }
    for (const char* name : {"", "Linux", "windows"})
        EXPECT_EQ(Profiles::byName(name), nullptr) << name;
    EXPECT_EQ(Profiles::builtIn().name, "linux");
}

TEST(ProfileWords, EveryReplacementIsAKeyWithTheSamePlaceholders)
{
    const auto& table = translationTable();
    for (const char* name : {"linux", "macos"}) {
        const QHash<QString, QString> words = Profiles::byName(name)->words.replacements();
        for (auto it = words.begin(); it != words.end(); ++it) {
            EXPECT_TRUE(table.contains(it.key())) << name << ": " << qPrintable(it.key());
            EXPECT_TRUE(table.contains(it.value())) << name << ": " << qPrintable(it.value());
            EXPECT_EQ(placeholders(it.key()), placeholders(it.value())) << qPrintable(it.key());
            // a count text stands for a count text, so each keeps its forms
            EXPECT_EQ(baseForms(it.key()) == it.key(), baseForms(it.value()) == it.value()) << qPrintable(it.key());
        }
    }
}

TEST(ProfileWords, LinuxNamesTheComputerAndMacOSKeepsTheDesignedTexts)
{
    {
        const Applied linux("linux");
        EXPECT_EQ(L("Seu Mac agora", Lang::en), "Your computer right now");
        EXPECT_EQ(L("Limpeza", Lang::en), "Cleanup");  // texts that name nothing stay
    }
    const Applied macos("macos");
    EXPECT_EQ(L("Seu Mac agora", Lang::en), "Your Mac right now");
}

TEST(ProfileWords, NoTextOfTheLinuxJunkCatalogueNamesTheMac)
{
    const Applied linux("linux");
    for (const Lang lang : {Lang::pt, Lang::en, Lang::ar}) {
        for (const JunkRule& rule : Profiles::byName("linux")->junk.rules()) {
            for (const QString& text : {L(rule.title, lang), L(rule.detail, lang)})
                for (const char* word : {"Mac", "Library", "Xcode", "Finder", "Adobe", "dmg"})
                    EXPECT_FALSE(text.contains(QLatin1String(word))) << qPrintable(text);
        }
    }
}
