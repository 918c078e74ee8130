#include <gtest/gtest.h>

#include <map>

#include <QRegularExpression>

#include "i18n/L.h"
#include "i18n/Translations.h"

namespace {

const std::vector<Lang> kAllLangs = {Lang::en, Lang::es, Lang::it, Lang::fr, Lang::de,
                                     Lang::ja, Lang::zh, Lang::ar, Lang::pt};

// What a format text asks of its arguments, read independently of the code
// under test: argument number -> conversion ("@" or "ld"), the number of
// literal percent signs, and whether anything else that starts with '%' is left.
struct Placeholders {
    std::map<int, QString> arguments;
    int percents = 0;
    bool mixed = false;      // positional and sequential forms in one text
    bool duplicate = false;  // one argument used twice
    bool stray = false;      // a '%' that is none of the known forms
};

Placeholders placeholdersOf(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("%%|%(?:([0-9]+)\\$)?(@|ld)"));
    Placeholders found;
    bool sawPositional = false;
    bool sawSequential = false;
    int next = 1;
    for (auto it = pattern.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0) == u"%%") {
            ++found.percents;
            continue;
        }
        int index = 0;
        if (m.capturedLength(1) > 0) {
            sawPositional = true;
            index = m.captured(1).toInt();
        } else {
            sawSequential = true;
            index = next++;
        }
        if (found.arguments.count(index))
            found.duplicate = true;
        found.arguments[index] = m.captured(2);
    }
    found.mixed = sawPositional && sawSequential;
    QString withoutForms = text;
    withoutForms.remove(pattern);
    found.stray = withoutForms.contains(u'%');
    return found;
}

}  // namespace

TEST(TranslationTable, HasItsRowsInOrderWithUniqueKeys)
{
    const std::vector<TranslationRow>& rows = translationRows();
    ASSERT_EQ(rows.size(), 223u);
    EXPECT_EQ(translationTable().size(), static_cast<qsizetype>(rows.size()));
    EXPECT_STREQ(rows[0].key, "Painel");
    EXPECT_STREQ(rows[218].key, "Ajustes…");
    // Typographic characters and trailing spaces are part of the keys.
    EXPECT_TRUE(translationTable().contains(QStringLiteral(
        "%ld itens não puderam ser removidos (em uso ou protegidos pelo sistema): ")));
    EXPECT_STREQ(rows[219].texts.at(0),
                 "Couldn't ask for the administrator password: pkexec is not installed.");
    // Every row carries all eight translations, none of them blank.
    for (const TranslationRow& row : rows) {
        EXPECT_EQ(row.texts.size(), 8u) << row.key;
        for (const char* text : row.texts)
            EXPECT_STRNE(text, "") << row.key;
    }
}

TEST(TranslationTable, EveryTranslationCarriesTheKeysPlaceholders)
{
    for (const TranslationRow& row : translationRows()) {
        const QString key = QString::fromUtf8(row.key);
        const Placeholders wanted = placeholdersOf(key);
        ASSERT_FALSE(wanted.stray || wanted.mixed || wanted.duplicate) << row.key;
        for (std::size_t column = 0; column < row.texts.size(); ++column) {
            const QString text = QString::fromUtf8(row.texts[column]);
            const Placeholders got = placeholdersOf(text);
            SCOPED_TRACE(text.toStdString());
            EXPECT_EQ(got.arguments, wanted.arguments) << row.key << " column " << column;
            EXPECT_EQ(got.percents, wanted.percents) << row.key << " column " << column;
            EXPECT_FALSE(got.stray || got.mixed || got.duplicate) << row.key;
        }
    }
}

TEST(Lookup, TextsThatAreNoKeysComeBackUnchanged)
{
    const QString unknown = QStringLiteral("Uma frase que não está na tabela");
    for (Lang lang : kAllLangs)
        EXPECT_EQ(L(unknown, lang), unknown) << rawValue(lang);
    EXPECT_EQ(L(QString(), Lang::ja), QString());
    // Near misses are not keys either.
    EXPECT_EQ(L(QStringLiteral("painel"), Lang::en), QStringLiteral("painel"));
    EXPECT_EQ(L(QStringLiteral("Painel "), Lang::en), QStringLiteral("Painel "));
}

TEST(Lookup, PortugueseReturnsTheKeyItself)
{
    EXPECT_EQ(L(QStringLiteral("Painel"), Lang::pt), QStringLiteral("Painel"));
    EXPECT_EQ(L(QStringLiteral("%ld%% em uso"), Lang::pt), QStringLiteral("%ld%% em uso"));
}

TEST(Lookup, PicksTheLanguagesColumn)
{
    const QString key = QStringLiteral("Painel");
    EXPECT_EQ(L(key, Lang::en), QStringLiteral("Dashboard"));
    EXPECT_EQ(L(key, Lang::es), QStringLiteral("Panel"));
    EXPECT_EQ(L(key, Lang::de), QStringLiteral("Übersicht"));
    EXPECT_EQ(L(key, Lang::ja), QStringLiteral("ダッシュボード"));
    EXPECT_EQ(L(key, Lang::ar), QStringLiteral("لوحة التحكم"));
    EXPECT_EQ(L(QStringLiteral("Ajustes…"), Lang::en), QStringLiteral("Settings…"));
}

TEST(Lookup, MissingColumnFallsBackToEnglishAndBlankEnglishToTheKey)
{
    const QString key = QStringLiteral("Limpeza");
    const QStringList englishOnly{QStringLiteral("Cleanup")};
    for (Lang lang : {Lang::es, Lang::it, Lang::fr, Lang::de, Lang::ja, Lang::zh, Lang::ar})
        EXPECT_EQ(pickTranslation(key, englishOnly, lang), QStringLiteral("Cleanup")) << rawValue(lang);
    const QStringList blankSpanish{QStringLiteral("Cleanup"), QString()};
    EXPECT_EQ(pickTranslation(key, blankSpanish, Lang::es), QStringLiteral("Cleanup"));
    EXPECT_EQ(pickTranslation(key, {QString()}, Lang::de), key);
    EXPECT_EQ(pickTranslation(key, {}, Lang::en), key);
    EXPECT_EQ(pickTranslation(key, englishOnly, Lang::pt), key);
}

TEST(Lookup, InterfaceLanguageVersionAgreesWithThePureOne)
{
    for (const char* key : {"Painel", "Limpeza", "not a key"})
        EXPECT_EQ(L(QString::fromUtf8(key)), L(QString::fromUtf8(key), appLang())) << key;
    EXPECT_EQ(LF("%ld itens", 3), LFin(appLang(), "%ld itens", 3));
}

TEST(Formatting, TranslatedFormatsFillInTheirArguments)
{
    EXPECT_EQ(LFin(Lang::en, "%ld%% em uso", 42), QStringLiteral("42% in use"));
    EXPECT_EQ(LFin(Lang::zh, "%ld%% em uso", 42), QStringLiteral("已用 42%"));
    EXPECT_EQ(LFin(Lang::pt, "%ld%% em uso", 42), QStringLiteral("42% em uso"));
    // Japanese puts the size first although the count is passed first.
    EXPECT_EQ(LFin(Lang::ja, "%ld arquivos acima de %@", 12, "1 GB"),
              QStringLiteral("1 GB を超えるファイル 12 件"));
    EXPECT_EQ(LFin(Lang::en, "%ld arquivos acima de %@", 12, "1 GB"), QStringLiteral("12 files over 1 GB"));
    EXPECT_EQ(LFin(Lang::en, "%@ de %@", "2 GB", "8 GB"), QStringLiteral("2 GB of 8 GB"));
}

TEST(Formatting, ArgumentsSequentialAndPositional)
{
    EXPECT_EQ(formatText(QStringLiteral("%ld|%ld|%@"), {-5, 4000000000LL, QStringLiteral("Ação")}),
              QStringLiteral("-5|4000000000|Ação"));
    // A kind mismatch still shows the argument rather than garbage.
    EXPECT_EQ(formatText(QStringLiteral("%ld / %@"), {"x", 3}), QStringLiteral("x / 3"));
    EXPECT_EQ(formatText(QStringLiteral("%2$@ %1$ld %2$@"), {1, "b"}), QStringLiteral("b 1 b"));
    EXPECT_EQ(formatText(QStringLiteral("%10$@"), {1, 2, 3, 4, 5, 6, 7, 8, 9, "ten"}), QStringLiteral("ten"));
    // A file name that looks like a placeholder appears as it is.
    EXPECT_EQ(formatText(QStringLiteral("%@ and %@"), {"%@ 100%", "b"}), QStringLiteral("%@ 100% and b"));
}

TEST(Formatting, PlaceholdersWithoutArgumentsStayVisible)
{
    EXPECT_EQ(formatText(QStringLiteral("%ld files over %@"), {3}), QStringLiteral("3 files over %@"));
    EXPECT_EQ(formatText(QStringLiteral("%@"), {}), QStringLiteral("%@"));
    EXPECT_EQ(formatText(QStringLiteral("%3$@ %1$ld"), {1}), QStringLiteral("%3$@ 1"));
    // Extra arguments are ignored.
    EXPECT_EQ(formatText(QStringLiteral("%@"), {"a", "b"}), QStringLiteral("a"));
}

TEST(Formatting, UnknownSequencesAreLeftAlone)
{
    EXPECT_EQ(formatText(QStringLiteral("%x %d %l %"), {1}), QStringLiteral("%x %d %l %"));
    EXPECT_EQ(formatText(QStringLiteral("100%"), {}), QStringLiteral("100%"));
    EXPECT_EQ(formatText(QStringLiteral("%0$@ %$@ %1$x"), {"a"}), QStringLiteral("%0$@ %$@ %1$x"));
    // Unknown sequences do not use up an argument.
    EXPECT_EQ(formatText(QStringLiteral("%x %@"), {"a"}), QStringLiteral("%x a"));
    // "%%" is one literal sign even right before something that looks like a placeholder.
    EXPECT_EQ(formatText(QStringLiteral("%%@ %%%@"), {"a"}), QStringLiteral("%@ %a"));
}
