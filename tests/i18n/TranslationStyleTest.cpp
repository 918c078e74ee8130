// How the translation table writes each language, over every row: the
// classes of defect a native-speaker review found. Japanese and
// Chinese take full-width colons and brackets and space Latin words from their
// own script; French puts a no-break space before : ; ? ! and inside « »;
// Italian writes ’; a few concepts have one term per language (the glossary);
// an Arabic word beside a number agrees with it. The placeholders are
// LTest's (TranslationTable.EveryRow…).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <QRegularExpression>
#include <QSet>

#include "i18n/L.h"
#include "i18n/Translations.h"
#include "profiles/Words.h"

namespace {

QString textOf(const TranslationRow& row, Lang lang)
{
    return QString::fromUtf8(row.texts.at(std::size_t(rawValue(lang))));
}

// A count text's forms as separate texts ("one:a|other:b" gives a and b).
QStringList formsOf(const QString& text)
{
    static const QRegularExpression forms(QStringLiteral("^(zero|one|two|few|many|other):"));
    if (!text.contains(u'|') || !text.contains(forms))
        return {text};
    QStringList out;
    for (const QString& form : text.split(u'|'))
        out << form.mid(form.indexOf(u':') + 1);
    return out;
}

// Each form of each row in a language that matches `bad`, as "key  →  text".
QStringList offenders(Lang lang, const QRegularExpression& bad)
{
    QStringList found;
    for (const TranslationRow& row : translationRows())
        for (const QString& form : formsOf(textOf(row, lang)))
            if (form.contains(bad))
                found << QString::fromUtf8(row.key) + QStringLiteral("  →  ") + form;
    return found;
}

QRegularExpression rx(const char* pattern)
{
    return QRegularExpression(QString::fromUtf8(pattern), QRegularExpression::UseUnicodePropertiesOption);
}

// A colon inside a technical token ("10:30", "%@:%@", "https://") is ASCII in
// every language; the only exception the checks below allow.
const char* const notTechnicalColon = "(?<![!-~]):|:(?![!-~])";

}  // namespace

TEST(TranslationStyle, JapaneseAndChineseUseFullWidthColonsAndBrackets)
{
    for (const Lang lang : {Lang::ja, Lang::zh}) {
        const QStringList found = offenders(lang, rx((std::string("[()]|") + notTechnicalColon).c_str()));
        EXPECT_TRUE(found.isEmpty()) << rawValue(lang) << ":\n" << qPrintable(found.join(u'\n'));
    }
}

TEST(TranslationStyle, JapaneseAndChineseSpaceLatinWordsDigitsAndPlaceholdersFromTheirScript)
{
    // "Quillmoor の", "1 つ", "%@ を", "打开 Quillmoor"; punctuation (「%@」, （GB）) needs no space.
    // Kana and kanji by their blocks (\p{Han} also takes in the full-width punctuation).
    const char* const script = "[\\x{3041}-\\x{30fa}\\x{30fc}-\\x{30ff}\\x{3400}-\\x{9fff}\\x{f900}-\\x{faff}]";
    const QRegularExpression glued =
        rx((std::string("[A-Za-z0-9@%]") + script + "|" + script + "[A-Za-z0-9%]").c_str());
    for (const Lang lang : {Lang::ja, Lang::zh}) {
        const QStringList found = offenders(lang, glued);
        EXPECT_TRUE(found.isEmpty()) << rawValue(lang) << ":\n" << qPrintable(found.join(u'\n'));
    }
}

TEST(TranslationStyle, FrenchPutsANoBreakSpaceBeforeHighPunctuationAndInsideGuillemets)
{
    // U+00A0 or the narrow U+202F.
    const QRegularExpression bad = rx((std::string("(?<![\\x{a0}\\x{202f}])[;?!]|(?<![\\x{a0}\\x{202f}])(?:")
                                       + notTechnicalColon + ")|«(?![\\x{a0}\\x{202f}])|(?<![\\x{a0}\\x{202f}])»")
                                          .c_str());
    const QStringList found = offenders(Lang::fr, bad);
    EXPECT_TRUE(found.isEmpty()) << qPrintable(found.join(u'\n'));
}

TEST(TranslationStyle, ItalianWritesTheTypographicApostrophe)
{
    const QStringList found = offenders(Lang::it, rx("'"));
    EXPECT_TRUE(found.isEmpty()) << qPrintable(found.join(u'\n'));
}

TEST(TranslationStyle, OneTermPerConceptPerLanguage)
{
    // Where the Portuguese key names the concept, each language's text uses
    // its preferred term and none of the variants the review turned down.
    struct Term { const char* preferred; const char* forbidden; };
    struct Entry {
        const char* name;
        const char* inKey;      // the Portuguese that names it
        bool macUsesItsOwn;     // the macOS profile's own rows keep Apple's words
        std::vector<std::pair<Lang, Term>> terms;
    };
    const std::vector<Entry> glossary = {
        {"the home folder", "(?i)pasta pessoal", true,
         {{Lang::en, {"home folder", "home directory|home Trash"}},
          {Lang::es, {"carpeta personal", "carpeta de inicio"}},
          {Lang::it, {"cartella home", "cartella [Ii]nizio"}},
          {Lang::fr, {"dossier personnel", "dossier de départ"}},
          {Lang::de, {"persönliche[nrs]? Ordner", "Benutzerordner|Home-Ordner"}},
          {Lang::ja, {"ホームフォルダ", "ホームディレクトリ"}},
          {Lang::zh, {"主文件夹", "个人文件夹|主目录"}},
          {Lang::ar, {"مجلد\\S* الشخصي", "الرئيسي"}}}},
        {"the Trash", "Lixeira", false,
         {{Lang::en, {"(?i)trash", "(?i)\\bbin\\b|recycle"}},
          {Lang::es, {"Papelera", "reciclaje"}},
          {Lang::it, {"Cestino", "Spazzatura"}},
          {Lang::fr, {"Corbeille", "Poubelle"}},
          {Lang::de, {"Papierkorb", "Mülleimer"}},
          {Lang::ja, {"ゴミ箱", "ごみ箱|くずかご"}},
          {Lang::zh, {"废纸篓", "回收站"}},
          {Lang::ar, {"سلة (ال)?مهملات", "المحذوفات"}}}},
        {"the kept copy", "mantida|Manter esta", false,
         {{Lang::en, {"(?i)kept|keep", "retained"}},
          {Lang::es, {"(?i)conserva", "manten"}},
          {Lang::it, {"(?i)conserva", "manten"}},
          {Lang::fr, {"(?i)conserv", "gard"}},
          {Lang::de, {"behalten", "beibehalten|aufbewahrt"}},
          {Lang::ja, {"残す", "保持"}},
          {Lang::zh, {"保留", "保存"}},
          {Lang::ar, {"محتفَظ بها|الاحتفاظ", "الإبقاء|المحفوظة"}}}},
        {"the administrator helper", "ajudante de administrador", false,
         {{Lang::en, {"administrator helper", "assistant|wizard"}},
          {Lang::es, {"programa auxiliar", "asistente"}},
          {Lang::it, {"programma ausiliario", "assistente"}},
          {Lang::fr, {"programme auxiliaire", "assistant"}},
          {Lang::de, {"Administrator-Hilfsprogramm", "Assistent"}},
          {Lang::ja, {"管理者ヘルパー", "ウィザード|アシスタント"}},
          {Lang::zh, {"管理员辅助程序", "助手|向导"}},
          {Lang::ar, {"أداة المسؤول المساعدة", "معالج"}}}},
        // Space is freed; an item is restored: the words of one are not the other's.
        {"space that can be freed", "liber|RECUPERÁVEL|^Recuperar %@", false,
         {{Lang::en, {"(?i)\\bfree", "(?i)reclaim|recoverable"}},
          {Lang::es, {"(?i)libera", "(?i)recuperable"}},
          {Lang::it, {"(?i)libera", "(?i)recuperabil"}},
          {Lang::fr, {"(?i)libér", "(?i)récupérable"}},
          {Lang::de, {"(?i)frei", "(?i)rückgewinn|zurückgewinn"}},
          {Lang::ja, {"解放", "取り戻"}},
          {Lang::zh, {"释放", "收回|回收"}},
          {Lang::ar, {"تحرير|حر\\p{Mn}*ر", "للاسترداد|استعادة (هذه )?(ال)?مساحة|استعادة %@"}}}},
        {"an item that can be restored", "podem ser restaurados", false,
         {{Lang::en, {"restored", "(?i)\\bfreed?\\b"}},
          {Lang::es, {"restaurar", "(?i)libera"}},
          {Lang::it, {"ripristinare", "(?i)libera"}},
          {Lang::fr, {"restaur", "(?i)libér"}},
          {Lang::de, {"wiederherstellbar", "(?i)frei"}},
          {Lang::ja, {"復元", "解放"}},
          {Lang::zh, {"恢复", "释放"}},
          {Lang::ar, {"استعادت", "تحرير"}}}},
        // Terms the review found in one row that the rest of the table says otherwise.
        {"a password", "senha", false, {{Lang::ar, {"كلمة (ال)?سر", "كلمة مرور"}}}},
        {"a user", "usuário", false, {{Lang::ja, {"ユーザ", "ユーザー"}}}},
        {"a runtime", "Runtime", false, {{Lang::de, {"Laufzeitumgebung", "Laufzeit(?!umgebung)"}}}},
    };

    // The rows only the macOS profile shows: the designed texts Linux replaces.
    const QList<QString> replaced = Profiles::linuxWords().replacements().keys();
    const QSet<QString> macOnly(replaced.begin(), replaced.end());
    int checked = 0;
    for (const Entry& entry : glossary) {
        const QRegularExpression inKey = rx(entry.inKey);
        int rows = 0;
        for (const TranslationRow& row : translationRows()) {
            const QString key = QString::fromUtf8(row.key);
            if (!key.contains(inKey) || (entry.macUsesItsOwn && macOnly.contains(key)))
                continue;
            ++rows;
            for (const auto& [lang, term] : entry.terms) {
                const QString text = textOf(row, lang);
                EXPECT_TRUE(text.contains(rx(term.preferred)))
                    << entry.name << " " << rawValue(lang) << ": no \"" << term.preferred << "\" in "
                    << qPrintable(text) << "\n  (" << row.key << ")";
                EXPECT_FALSE(text.contains(rx(term.forbidden)))
                    << entry.name << " " << rawValue(lang) << ": \"" << term.forbidden << "\" in "
                    << qPrintable(text) << "\n  (" << row.key << ")";
            }
        }
        EXPECT_GT(rows, 0) << entry.name << ": no row names it (a pattern gone stale?)";
        checked += rows;
    }
    EXPECT_GT(checked, 40);
}

TEST(TranslationStyle, AnArabicWordBesideANumberAgreesWithIt)
{
    // A count text shown under or beside its number ("42" over "مثبّتًا") changes
    // with the number's category: 3–10 take the plural, 11–99 the accusative
    // singular, 100 and on the singular.
    int words = 0;
    for (const TranslationRow& row : translationRows()) {
        if (!row.baseForms)
            continue;
        const QString forms = textOf(row, Lang::ar);
        if (pluralForm(forms, 5, Lang::ar).contains(u'%'))
            continue;  // the number is in the sentence
        ++words;
        EXPECT_TRUE(forms.contains(QStringLiteral("|few:")) && forms.contains(QStringLiteral("|many:")))
            << row.key << ": " << qPrintable(forms);
        EXPECT_NE(pluralForm(forms, 11, Lang::ar), pluralForm(forms, 5, Lang::ar)) << row.key;
    }
    EXPECT_GE(words, 3);  // "instalados", "encontrados", "itens em segundo plano"
}
