// Reads the QML sources: every Text or Label that can show more than a literal
// translated text (a file name, a figure) is plain text, never markup.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

namespace {

struct Block {
    int line = 0;
    QString text;       // the value of its own `text:`, empty when it has none
    bool hasText = false;
    bool plain = false;  // sets textFormat: Text.PlainText
    QString id;
    bool fileRoot = false;  // the file's root object: its text is set by whoever uses the component
};

// The source with string literals and comments blanked (same length, lines
// kept), so that braces and names inside them do not count.
QString blanked(const QString& source)
{
    QString out = source;
    const qsizetype n = source.size();
    for (qsizetype i = 0; i < n;) {
        if (source.mid(i, 2) == u"//") {
            while (i < n && source[i] != u'\n')
                out[i++] = u' ';
        } else if (source.mid(i, 2) == u"/*") {
            const qsizetype end = std::min(n, source.indexOf(u"*/", i + 2) < 0 ? n : source.indexOf(u"*/", i + 2) + 2);
            for (; i < end; ++i)
                if (out[i] != u'\n')
                    out[i] = u' ';
        } else if (source[i] == u'"' || source[i] == u'\'' || source[i] == u'`') {
            const QChar quote = source[i++];
            while (i < n && source[i] != quote) {
                const qsizetype step = source[i] == u'\\' ? 2 : 1;
                for (qsizetype k = i; k < std::min(n, i + step); ++k)
                    out[k] = u'_';
                i += step;
            }
            ++i;
        } else {
            ++i;
        }
    }
    return out;
}

// Every `Text {` and `Label {` of a QML source with its own properties (those
// of nested objects and of braced script blocks are not its own).
std::vector<Block> textBlocks(const QString& source)
{
    static const QRegularExpression opening(QStringLiteral(R"((?<![\w.])(Text|Label)\s*\{)"));
    static const QRegularExpression anyObject(QStringLiteral(R"(\w\s*\{)"));
    static const QRegularExpression textProp(QStringLiteral(R"(^text\s*:\s*(.*)$)"));
    static const QRegularExpression formatProp(QStringLiteral(R"(^textFormat\s*:\s*(.*)$)"));
    static const QRegularExpression idProp(QStringLiteral(R"(^id\s*:\s*(\w+))"));
    const QString plain = blanked(source);
    std::vector<Block> blocks;
    for (auto it = opening.globalMatch(plain); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        Block block;
        block.line = int(plain.left(m.capturedStart()).count(u'\n')) + 1;
        block.fileRoot = !anyObject.match(plain.left(m.capturedStart())).hasMatch();
        // Its own level: everything at depth 1, original text (literals intact).
        // Statements end at a line end or a ';' outside a string.
        QStringList statements{QString()};
        int depth = 1;
        for (qsizetype i = m.capturedEnd(); i < plain.size() && depth > 0; ++i) {
            if (plain[i] == u'{')
                ++depth;
            else if (plain[i] == u'}')
                --depth;
            else if (plain[i] == u'\n' || (depth == 1 && plain[i] == u';'))
                statements << QString();
            else if (depth == 1)
                statements.last() += source[i];
        }
        for (QString statement : statements) {
            statement = statement.trimmed();
            if (const QRegularExpressionMatch t = textProp.match(statement); t.hasMatch()) {
                block.hasText = true;
                block.text = t.captured(1).trimmed();
            } else if (const QRegularExpressionMatch f = formatProp.match(statement); f.hasMatch()) {
                block.plain = f.captured(1).trimmed() == u"Text.PlainText";
            } else if (const QRegularExpressionMatch i = idProp.match(statement); i.hasMatch()) {
                block.id = i.captured(1);
            }
        }
        blocks.push_back(block);
    }
    return blocks;
}

// Whether the block's text can only be a literal translated text.
bool onlyTranslatedLiteral(const Block& block, const QString& blankedSource)
{
    static const QRegularExpression literal(QStringLiteral(R"(^I18n\.L\("(?:[^"\\]|\\.)*"\)$)"));
    if (block.fileRoot)
        return false;  // a component: its users choose the text
    if (!block.id.isEmpty()
        && blankedSource.contains(QRegularExpression(QStringLiteral("\\b%1\\.text\\b").arg(block.id))))
        return false;  // its text is handed in from elsewhere
    return !block.hasText || literal.match(block.text).hasMatch();
}

QStringList offendersIn(const QString& source, const QString& name)
{
    QStringList offenders;
    const QString plain = blanked(source);
    for (const Block& block : textBlocks(source))
        if (!block.plain && !onlyTranslatedLiteral(block, plain))
            offenders << QStringLiteral("%1:%2  text: %3").arg(name).arg(block.line).arg(block.text);
    return offenders;
}

} // namespace

TEST(QmlPlainText, TheScanTellsNamesFromTranslatedLiterals)
{
    const struct {
        const char* qml;
        bool flagged;
    } cases[] = {
        {"Item {\n Text { text: I18n.L(\"Pasta vazia\") }\n}", false},
        {"Item {\n Text { text: row.name }\n}", true},
        {"Item {\n Text {\n  text: row.name\n  textFormat: Text.PlainText\n }\n}", false},
        {"Item {\n Label { text: I18n.L(\"a\") + name }\n}", true},
        {"Item {\n Text { text: I18n.LF(\"%@ livres\", [x]) }\n}", true},
        {"Item {\n Text { text: I18n.L(\"a\"); textFormat: Text.StyledText }\n}", false},
        {"Item {\n Text { text: x; textFormat: Text.StyledText }\n}", true},
        // a nested object's text is not the outer one's
        {"Item {\n Text { text: I18n.L(\"a\")\n  Rectangle { property string text: name } }\n}", false},
        // text given through an alias, and a component whose text its users set
        {"Item {\n property alias label: t.text\n Text { id: t }\n}", true},
        {"Text {\n color: \"red\"\n}", true},
        // braces and names inside strings and comments do not count
        {"Item {\n // Text { text: name }\n Text { text: I18n.L(\"a { b\") }\n}", false},
        {"Item {\n Rectangle { color: Text.AlignLeft }\n}", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(!offendersIn(QString::fromUtf8(c.qml), "case").isEmpty(), c.flagged) << c.qml;
}

TEST(QmlPlainText, EveryTextThatCanShowANameIsPlain)
{
    const QString root = QStringLiteral(QUILLMOOR_SOURCE_DIR "/src");
    QStringList offenders;
    int files = 0;
    for (QDirIterator it(root, {"*.qml"}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        QFile file(it.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        offenders << offendersIn(QString::fromUtf8(file.readAll()), file.fileName().mid(root.size() + 1));
        ++files;
    }
    EXPECT_GT(files, 20);
    EXPECT_TRUE(offenders.isEmpty()) << "set textFormat: Text.PlainText in\n" << qPrintable(offenders.join('\n'));
}
