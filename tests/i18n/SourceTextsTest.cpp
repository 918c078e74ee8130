// Every text literal the sources hand to L, LF or LP (in C++ and in QML) must
// be a key of the translation table: a text shown to the user that no
// translation covers would appear in Portuguese in every language. A count
// text goes through LP, which picks its form; and no text the linux profile
// shows names the Mac or its tools.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryFile>

#include "i18n/Translations.h"
#include "profiles/Words.h"

namespace {

struct Use {
    QString file;
    int line;
    QString text;
    bool counted;  // handed to LP, LPin or I18n.LP
};

// Undoes the escapes a C++ or JavaScript string literal may hold.
QString unescape(const QString& literal)
{
    QString out;
    for (qsizetype i = 0; i < literal.size(); ++i) {
        if (literal[i] == u'\\' && i + 1 < literal.size()) {
            const QChar next = literal[++i];
            out += next == u'n' ? QChar(u'\n') : next == u't' ? QChar(u'\t') : next;
        } else {
            out += literal[i];
        }
    }
    return out;
}

// The literals passed as the text of L, LF, LFin and LP (after their
// language or count; an argument may hold one pair of parentheses), LPin and
// the QML I18n.L / I18n.LF / I18n.LP.
std::vector<Use> usesIn(const QString& path)
{
    static const QRegularExpression call(QStringLiteral(
        R"re((?:\bI18n\.|\b)(?:LF?\(|LFin\(ARG,|(LP)\(ARG,|(LPin)\(ARG,ARG,)\s*(?:QStringLiteral\()?\s*"((?:[^"\\]|\\.)*)")re")
            .replace(QLatin1String("ARG"), QLatin1String(R"((?:[^,()]|\([^()]*\))*)")));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString source = QString::fromUtf8(file.readAll());
    std::vector<Use> uses;
    for (auto it = call.globalMatch(source); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const int line = int(source.left(m.capturedStart()).count(u'\n')) + 1;
        uses.push_back({path, line, unescape(m.captured(3)), m.hasCaptured(1) || m.hasCaptured(2)});
    }
    return uses;
}

// Every use in the sources but in the lookup itself.
std::vector<Use> sourceUses()
{
    std::vector<Use> uses;
    QDirIterator files(QStringLiteral(QUILLMOOR_SOURCE_DIR "/src"), {"*.cpp", "*.h", "*.qml", "*.js"}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        if (!path.contains(QLatin1String("/src/i18n/")))
            for (Use& use : usesIn(path))
                uses.push_back(std::move(use));
    }
    return uses;
}

} // namespace

TEST(SourceTexts, EveryLiteralPassedToLIsAKey)
{
    const std::vector<Use> uses = sourceUses();
    for (const Use& use : uses) {
        EXPECT_TRUE(translationTable().contains(use.text))
            << qPrintable(use.file) << ":" << use.line << ": not a key: " << qPrintable(use.text);
        // L on a count text would show its forms as written; LP on another finds no forms.
        EXPECT_EQ(use.counted, baseForms(use.text) != use.text)
            << qPrintable(use.file) << ":" << use.line << ": " << qPrintable(use.text);
    }
    // The scan must actually find the calls (a broken pattern would pass vacuously).
    EXPECT_GT(uses.size(), 30u);
}

TEST(SourceTexts, NoTextOfTheLinuxProfileNamesTheMacOrItsTools)
{
    static const QRegularExpression macWords(
        QStringLiteral(R"(\bMac(?:Book)?\b|Finder|\bDock\b|Spotlight|Dropbox|Creative Cloud)"));
    const QHash<QString, QString> words = Profiles::linuxWords().replacements();
    QStringList keys = words.values();  // also what stands for texts that are no literal ("Mac" → "Computador")
    for (const Use& use : sourceUses())
        if (!use.file.contains(QLatin1String("/src/profiles/MacOS")))  // the macOS profile's own tables
            keys << words.value(use.text, use.text);
    for (const QString& key : keys) {
        const QStringList texts = translationTable().value(key) << baseForms(key);  // with the Portuguese
        for (const QString& text : texts)
            EXPECT_FALSE(text.contains(macWords)) << qPrintable(key) << ": " << qPrintable(text);
    }
}

TEST(SourceTexts, ThePatternFindsEveryFormOfCall)
{
    QTemporaryFile file(QDir::tempPath() + "/XXXXXX.qml");
    ASSERT_TRUE(file.open());
    file.write("a = L(\"Painel\"); b = LF(\"%ld itens\", 3);\n"
               "c = LFin(Lang::en, \"Apps\", 1); d = I18n.L(\"Idioma\")\n"
               "e = I18n.LF(\"Limpar %@?\", [x]); f = L(QStringLiteral(\"Sons\"))\n"
               "g = toLower(\"not a call\"); h = URL(\"nope\")\n"
               "i = I18n.LP(n, \"%ld itens\", [n]); j = LPin(Lang::ar, 2, \"%ld itens\", 2)\n"
               "k = LP(long(n), \"%ld rotinas\", long(n)); l = LFin(Lang::de, QStringLiteral(\"Sons\"))\n");
    file.close();
    std::vector<QString> texts;
    for (const Use& use : usesIn(file.fileName()))
        texts.push_back(use.text);
    EXPECT_EQ(texts, (std::vector<QString>{"Painel", "%ld itens", "Apps", "Idioma", "Limpar %@?", "Sons", "%ld itens",
                                           "%ld itens", "%ld rotinas", "Sons"}));
}
