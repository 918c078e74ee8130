// The translation table's coverage and placeholders, the lookup with its
// fallbacks, and the filling in of format texts.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include <QRegularExpression>

#include "i18n/FormatLocale.h"
#include "i18n/L.h"
#include "i18n/ShownText.h"
#include "i18n/Translations.h"

namespace {

// What a format text asks of its arguments, read independently of the code
// under test: argument number -> conversion ("@" or "ld"), the number of
// literal percent signs, and whether the text is malformed: positional and
// sequential forms mixed, one argument used twice, or a '%' of no known form.
struct Placeholders {
    std::map<int, QString> arguments;
    int percents = 0;
    bool malformed = false;
};

Placeholders placeholdersOf(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("%%|%(?:([0-9]+)\\$)?(@|ld)"));
    Placeholders found;
    bool sawPositional = false, sawSequential = false;
    int next = 1;
    for (auto it = pattern.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0) == u"%%") {
            ++found.percents;
            continue;
        }
        const bool positional = m.capturedLength(1) > 0;
        (positional ? sawPositional : sawSequential) = true;
        const int index = positional ? m.captured(1).toInt() : next++;
        found.malformed |= found.arguments.count(index) > 0;
        found.arguments[index] = m.captured(2);
    }
    QString withoutForms = text;
    withoutForms.remove(pattern);
    found.malformed |= (sawPositional && sawSequential) || withoutForms.contains(u'%');
    return found;
}

}  // namespace

TEST(TranslationTable, EveryRowIsCompleteWithAUniqueKeyAndTheKeysPlaceholders)
{
    const std::vector<TranslationRow>& rows = translationRows();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(translationTable().size(), static_cast<qsizetype>(rows.size()));  // keys unique
    // Typographic characters and trailing spaces are part of the keys.
    EXPECT_TRUE(translationTable().contains(QStringLiteral(
        "%ld itens não puderam ser removidos (em uso ou protegidos pelo sistema): ")));

    for (const TranslationRow& row : rows) {
        EXPECT_EQ(row.texts.size(), 8u) << row.key;
        const Placeholders wanted = placeholdersOf(QString::fromUtf8(row.key));
        ASSERT_FALSE(wanted.malformed) << row.key;
        for (std::size_t column = 0; column < row.texts.size(); ++column) {
            const QString text = QString::fromUtf8(row.texts[column]);
            SCOPED_TRACE(std::string(row.key) + " column " + std::to_string(column) + ": " + text.toStdString());
            EXPECT_FALSE(text.isEmpty());
            // A count text's form for many shows every placeholder; its other
            // forms may say the count in words ("عنصران") but show nothing else.
            const QString many = pluralForm(text, 5, Lang::en);
            for (const QString& form : row.baseForms ? text.split(u'|') : QStringList{text}) {
                const Placeholders got = placeholdersOf(form.mid(form.indexOf(u':') + 1));
                EXPECT_FALSE(got.malformed);
                EXPECT_EQ(got.percents, wanted.percents);
                for (const auto& [index, kind] : got.arguments)
                    EXPECT_EQ(wanted.arguments.at(index), kind);
            }
            EXPECT_EQ(placeholdersOf(many).arguments, wanted.arguments);
        }
    }
}

TEST(Lookup, PicksTheLanguagesColumnAndFallsBackToEnglishThenTheKey)
{
    struct Case { const char* text; Lang lang; const char* expected; };
    for (const Case& c : std::vector<Case>{
             {"Painel", Lang::en, "Dashboard"}, {"Painel", Lang::de, "Übersicht"},
             {"Painel", Lang::ja, "ダッシュボード"}, {"Painel", Lang::ar, "لوحة التحكم"},
             {"Ajustes…", Lang::en, "Settings…"},
             // Portuguese is the key itself; near misses and unknown texts stay as given.
             {"Painel", Lang::pt, "Painel"}, {"%ld%% em uso", Lang::pt, "%ld%% em uso"},
             {"painel", Lang::en, "painel"}, {"Painel ", Lang::en, "Painel "},
             {"Uma frase que não está na tabela", Lang::zh, "Uma frase que não está na tabela"}, {"", Lang::ja, ""}})
        EXPECT_EQ(L(QString::fromUtf8(c.text), c.lang), QString::fromUtf8(c.expected)) << c.text << " " << rawValue(c.lang);

    const QString key = QStringLiteral("Limpeza");
    for (Lang lang : {Lang::es, Lang::it, Lang::fr, Lang::de, Lang::ja, Lang::zh, Lang::ar})
        EXPECT_EQ(pickTranslation(key, {"Cleanup"}, lang), "Cleanup") << rawValue(lang);
    EXPECT_EQ(pickTranslation(key, {"Cleanup", QString()}, Lang::es), "Cleanup");
    EXPECT_EQ(pickTranslation(key, {QString()}, Lang::de), key);
    EXPECT_EQ(pickTranslation(key, {}, Lang::en), key);
    EXPECT_EQ(pickTranslation(key, {"Cleanup"}, Lang::pt), key);

    // Without a language: the interface's.
    EXPECT_EQ(L("Painel"), L("Painel", appLang()));
    EXPECT_EQ(LF("%ld itens", 3), LFin(appLang(), "%ld itens", 3));
}

TEST(Plurals, EachLanguageCountsByItsOwnRules)
{
    EXPECT_EQ(LPin(Lang::pt, 1, "%ld itens", 1), "1 item");
    EXPECT_EQ(LPin(Lang::pt, 0, "%ld itens", 0), "0 itens");  // an explicit form for nothing
    EXPECT_EQ(pluralForm("=0:none|one:%ld|other:%ld", 0, Lang::fr), "none");
    EXPECT_EQ(pluralForm("=0:none|one:%ld|other:%ld", 1, Lang::fr), "%ld");
    EXPECT_EQ(LPin(Lang::pt, 2, "%ld itens", 2), "2 itens");
    EXPECT_EQ(LPin(Lang::fr, 0, "%ld itens", 0), "0 élément");
    EXPECT_EQ(LPin(Lang::en, 0, "%ld itens", 0), "0 items");
    EXPECT_EQ(LPin(Lang::en, 1, "%ld itens", 1), "1 item");
    EXPECT_EQ(LPin(Lang::de, 21, "%ld itens", 21), "21 Objekte");
    EXPECT_EQ(LPin(Lang::ja, 1, "%ld itens", 1), "1 項目");
    const std::vector<std::pair<std::int64_t, Plural>> arabic = {
        {0, Plural::zero}, {1, Plural::one}, {2, Plural::two}, {3, Plural::few}, {110, Plural::few},
        {103, Plural::few}, {11, Plural::many}, {199, Plural::many}, {100, Plural::other}, {102, Plural::other}, {-2, Plural::two}};
    for (const auto& [n, category] : arabic)
        EXPECT_EQ(pluralCategory(n, Lang::ar), category) << n;
    // A missing category takes "other"; a text without forms is its own form.
    EXPECT_EQ(pluralForm("one:a|other:b", 2, Lang::ar), "b");
    EXPECT_EQ(pluralForm("Total: %ld|x", 1, Lang::en), "Total: %ld|x");
}

TEST(Plurals, EveryCountKeyHasEachLanguagesSingularAndOther)
{
    for (const TranslationRow& row : translationRows()) {
        if (!row.baseForms)
            continue;
        const QString key = QString::fromUtf8(row.key);
        bool changes = false;  // a word may stay as it is ("1 file, 2 file" in Italian), but not in every language
        for (const Lang lang : {Lang::pt, Lang::en, Lang::es, Lang::it, Lang::fr, Lang::de, Lang::ja, Lang::zh, Lang::ar}) {
            const QString forms = lang == Lang::pt ? baseForms(key) : L(key, lang);
            const bool oneForm = lang == Lang::ja || lang == Lang::zh;
            EXPECT_EQ(forms.contains(u'|'), !oneForm) << qPrintable(key) << " " << rawValue(lang);
            if (oneForm)
                continue;
            EXPECT_TRUE(forms.startsWith("one:") || forms.startsWith("zero:") || forms.startsWith("=0:")) << qPrintable(key);
            EXPECT_TRUE(forms.contains("|other:")) << qPrintable(key) << " " << rawValue(lang);
            changes |= pluralForm(forms, 1, lang) != pluralForm(forms, 5, lang);
        }
        EXPECT_TRUE(changes) << qPrintable(key);
    }
}

TEST(Formatting, FillsArgumentsAndLeavesEverythingElseAsWritten)
{
    EXPECT_EQ(LFin(Lang::en, "%ld%% em uso", 42), "42% in use");
    EXPECT_EQ(LFin(Lang::zh, "%ld%% em uso", 42), "已用 42%");
    EXPECT_EQ(LFin(Lang::pt, "%ld%% em uso", 42), "42% em uso");
    // Lists are joined as each language joins them.
    EXPECT_EQ(joinList({"a", "b"}, Lang::fr), "a, b");
    EXPECT_EQ(joinList({"a", "b"}, Lang::zh), "a、b");
    EXPECT_EQ(joinList({"a", "b", "c"}, Lang::ar), "a، b، c");
    EXPECT_EQ(joinList({"a"}, Lang::ja), "a");
    // Japanese puts the size first although the count is passed first.
    EXPECT_EQ(LPin(Lang::ja, 12, "%ld arquivos acima de %@", 12, "1 GB"), "1 GB を超えるファイル 12 件");
    // A form that says the count in words still takes the size as the second argument.
    EXPECT_EQ(LPin(Lang::ar, 1, "%ld arquivos acima de %@", 1, "1 GB"), "ملف واحد أكبر من 1 GB");

    struct Case { const char* format; std::vector<FmtArg> args; const char* expected; };
    const std::vector<Case> cases = {
        {"%ld|%ld|%@", {-5, 40, "Ação"}, "-5|40|Ação"},
        {"%ld / %@", {"x", 3}, "x / 3"},  // a kind mismatch still shows the argument
        {"%2$@ %1$ld %2$@", {1, "b"}, "b 1 b"},
        {"%10$@", {1, 2, 3, 4, 5, 6, 7, 8, 9, "ten"}, "ten"},
        {"%@ and %@", {"%@ 100%", "b"}, "%@ 100% and b"},  // an argument is never re-read
        // Placeholders without arguments stay visible; extra arguments are ignored.
        {"%ld files over %@", {3}, "3 files over %@"},
        {"%@", {}, "%@"},
        {"%3$@ %1$ld", {1}, "%3$@ 1"},
        {"%@", {"a", "b"}, "a"},
        // Unknown sequences are left alone and use up no argument.
        {"%x %d %l %", {1}, "%x %d %l %"},
        {"100%", {}, "100%"},
        {"%0$@ %$@ %1$x", {"a"}, "%0$@ %$@ %1$x"},
        {"%x %@", {"a"}, "%x a"},
        // "%%" is one literal sign even right before something that looks like a placeholder.
        {"%%@ %%%@", {"a"}, "%@ %a"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatText(QString::fromUtf8(c.format), c.args), QString::fromUtf8(c.expected)) << c.format;
    // A count is written the way the formatting locale writes numbers.
    EXPECT_EQ(formatText("%ld", {4000000000LL}), localNumber(4000000000LL));
}

TEST(ShownText, DirectionControlsInANameAreWrittenOutAndAPathIsOneLeftToRightRun)
{
    const QString evil = QStringLiteral("photo\u202Egpj.exe\u2069\u200F");
    EXPECT_EQ(escapeDirectionMarks(evil), QStringLiteral("photo<U+202E>gpj.exe<U+2069><U+200F>"));
    EXPECT_EQ(escapeDirectionMarks(QStringLiteral("~/Vídeos/مستندات")), QStringLiteral("~/Vídeos/مستندات"));
    EXPECT_EQ(isolatedRun(evil, true),
              QChar(0x2066) + QStringLiteral("photo<U+202E>gpj.exe<U+2069><U+200F>") + QChar(0x2069));
    EXPECT_EQ(isolatedRun(QStringLiteral("~/Videos"), false), QStringLiteral("~/Videos"));
    EXPECT_EQ(isolatedRun(QString(), true), QString());
}
