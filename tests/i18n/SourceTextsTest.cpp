// Every text literal the sources hand to L or LF (in C++ and in QML) must be a
// key of the translation table: a text shown to the user that no translation
// covers would appear in Portuguese in every language.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryFile>

#include "i18n/Translations.h"

namespace {

struct Use {
    QString file;
    int line;
    QString text;
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

// The literals passed as the text of L, LF, LFin (after its language) and
// the QML I18n.L / I18n.LF.
std::vector<Use> usesIn(const QString& path)
{
    static const QRegularExpression call(QStringLiteral(
        R"re((?:\bI18n\.|\b)(?:LF?\(|(?:LFin|LP)\([^,()]*,|LPin\([^,()]*,[^,()]*,)\s*(?:QStringLiteral\()?\s*"((?:[^"\\]|\\.)*)")re"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString source = QString::fromUtf8(file.readAll());
    std::vector<Use> uses;
    for (auto it = call.globalMatch(source); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const int line = int(source.left(m.capturedStart()).count(u'\n')) + 1;
        uses.push_back({path, line, unescape(m.captured(1))});
    }
    return uses;
}

} // namespace

TEST(SourceTexts, EveryLiteralPassedToLIsAKey)
{
    const QString root = QStringLiteral(QUILLMOOR_SOURCE_DIR "/src");
    int seen = 0;
    QDirIterator files(root, {"*.cpp", "*.h", "*.qml", "*.js"}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        if (path.contains(QLatin1String("/src/i18n/")))
            continue;  // the lookup itself
        for (const Use& use : usesIn(path)) {
            ++seen;
            EXPECT_TRUE(translationTable().contains(use.text))
                << qPrintable(use.file) << ":" << use.line << ": not a key: " << qPrintable(use.text);
        }
    }
    // The scan must actually find the calls (a broken pattern would pass vacuously).
    EXPECT_GT(seen, 30);
}

TEST(SourceTexts, ThePatternFindsEveryFormOfCall)
{
    QTemporaryFile file(QDir::tempPath() + "/XXXXXX.qml");
    ASSERT_TRUE(file.open());
    file.write("a = L(\"Painel\"); b = LF(\"%ld itens\", 3);\n"
               "c = LFin(Lang::en, \"Apps\", 1); d = I18n.L(\"Idioma\")\n"
               "e = I18n.LF(\"Limpar %@?\", [x]); f = L(QStringLiteral(\"Sons\"))\n"
               "g = toLower(\"not a call\"); h = URL(\"nope\")\n"
               "i = I18n.LP(n, \"%ld itens\", [n]); j = LPin(Lang::ar, 2, \"%ld itens\", 2)\n");
    file.close();
    std::vector<QString> texts;
    for (const Use& use : usesIn(file.fileName()))
        texts.push_back(use.text);
    EXPECT_EQ(texts, (std::vector<QString>{"Painel", "%ld itens", "Apps", "Idioma", "Limpar %@?", "Sons", "%ld itens", "%ld itens"}));
}
