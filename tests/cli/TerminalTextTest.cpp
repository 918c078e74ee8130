// The command line's text in terminal cells: the display width, the wrapping
// of the help, its two columns, padded and shortened table cells, the width.
#include <gtest/gtest.h>

#include <unistd.h>

#include "cli/TerminalText.h"

using Cli::displayWidth;

TEST(TerminalText, DisplayWidthCountsCells)
{
    const struct {
        QString text;
        int cells;
    } cases[] = {
        {"", 0},
        {"plain ASCII", 11},
        {"ação", 4},
        {"削除", 4},                                   // CJK ideographs
        {"ゴミ箱へ", 8},                               // kana and kanji
        {"한국어", 6},                                 // Hangul syllables
        {"（ＧＢ）", 8},                               // fullwidth forms
        {"ｶﾀｶﾅ", 4},                                   // halfwidth katakana
        {QString("e") + QChar(0x0301), 1},            // a combining acute accent
        {QString("a") + QChar(0x200B) + "b", 2},      // a zero-width space
        {QString("x") + QChar(0x202E) + "y", 2},      // a direction control
        {"العربية", 7},
        {QString::fromUcs4(U"\U00020B9F"), 2},        // an ideograph beyond the BMP
        {QString("1,5") + QChar(0x00A0) + "Go", 6},   // a no-break space takes its cell
    };
    for (const auto& c : cases)
        EXPECT_EQ(displayWidth(c.text), c.cells) << qPrintable(c.text);
}

TEST(TerminalText, WrapsAtBreakOpportunitiesWithinTheWidth)
{
    const QString nb(QChar(0x00A0));
    const struct {
        QString text;
        int width;
        QStringList lines;
    } cases[] = {
        {"remove the selected junk; --yes to really remove", 20,
         {"remove the selected", "junk; --yes to", "really remove"}},
        {"removes an application; --leftovers-only keeps it", 20,  // never inside an option
         {"removes an", "application;", "--leftovers-only", "keeps it"}},
        {"a word longer than the width: abcdefghijklmnop", 10,   // cut by cells
         {"a word", "longer", "than the", "width:", "abcdefghij", "klmnop"}},
        {"削除削除削除削", 5, {"削除", "削除", "削除", "削"}},       // by cells, never half a character
        {"a 1,5" + nb + "Go", 6, {"a", "1,5" + nb + "Go"}},     // never at a no-break space
        {"first\nsecond", 80, {"first", "second"}},
        {"", 80, {""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Cli::wrapped(c.text, c.width), c.lines) << qPrintable(c.text);

    // A Japanese paragraph breaks between characters, each line full but for the last.
    const QString japanese = QString("ホームフォルダまたは PATH 内の同じファイル（既定では 1MB 以上）。").repeated(6);
    for (const int width : {80, 200, 31}) {
        const QStringList lines = Cli::wrapped(japanese, width);
        EXPECT_EQ(lines.join(QString()).remove(' '), QString(japanese).remove(' ')) << width;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            EXPECT_LE(displayWidth(lines[i]), width) << qPrintable(lines[i]);
            if (i + 1 < lines.size()) {  // full, or kept whole with the word that did not fit
                EXPECT_GE(displayWidth(lines[i]), width - 6) << qPrintable(lines[i]);
            }
        }
    }
    // An English one uses the room it is given.
    const QString english = QString("identical files in the home folder or in PATH (from 1MB by default); ").repeated(4);
    for (const int width : {80, 200}) {
        const QStringList lines = Cli::wrapped(english, width);
        EXPECT_EQ(lines.join(' '), english.trimmed()) << width;
        for (const QString& line : lines)
            EXPECT_LE(displayWidth(line), width);
        EXPECT_GT(displayWidth(lines.first()), width - 12) << width;
    }
}

TEST(TerminalText, TwoColumnsWithAHangingIndent)
{
    const std::vector<std::pair<QString, QString>> rows = {
        {"--json", "print one JSON document instead of text"},
        {"--profile NAME", "the operating system\n(linux or macos)"},
        {"dupes [PATH] [--min SIZE] [--keep oldest|newest]", "identical files"},
    };
    EXPECT_EQ(Cli::twoColumns(rows, 40), (QStringList{
                                              "  --json  print one JSON document",
                                              "          instead of text",
                                              "  --profile NAME",  // wider than 40% of the line
                                              "          the operating system",
                                              "          (linux or macos)",
                                              "  dupes [PATH] [--min SIZE] [--keep",
                                              "    oldest|newest]",
                                              "          identical files",
                                          }));
    EXPECT_EQ(Cli::twoColumns(rows, 80), (QStringList{
                                              "  --json          print one JSON document instead of text",
                                              "  --profile NAME  the operating system",
                                              "                  (linux or macos)",
                                              "  dupes [PATH] [--min SIZE] [--keep oldest|newest]",
                                              "                  identical files",
                                          }));
}

TEST(TerminalText, TableCellsByDisplayWidth)
{
    // A Japanese plan: the size column starts in the same cell on every row.
    const QStringList fates = {"削除", "ゴミ箱へ", "残す", "trash"};
    const int width = Cli::columnWidth(fates) + 1;
    EXPECT_EQ(width, 9);
    for (const QString& fate : fates) {
        const QString row = "  " + Cli::padded(fate, width) + "1,5" + QChar(0x00A0) + "GB  ~/a";
        EXPECT_EQ(displayWidth(row.left(row.indexOf("1,5"))), 2 + width) << qPrintable(row);
    }
    EXPECT_EQ(Cli::padded("too wide", 3), "too wide");  // never cut

    const struct {
        QString text;
        int cells;
        QString shown;
    } elided[] = {
        {"short", 10, "short"},
        {"abcdefghij", 5, "ab…ij"},
        {"org.example.VeryLongApplicationName", 16, "org.exa…tionName"},
        {"削除削除削除", 7, "削…削除"},
        {"e\u0301e\u0301e\u0301e\u0301", 3, "e\u0301…e\u0301"},  // whole characters with their marks
    };
    for (const auto& c : elided) {
        EXPECT_EQ(Cli::elidedMiddle(c.text, c.cells), c.shown) << qPrintable(c.text);
        EXPECT_LE(displayWidth(Cli::elidedMiddle(c.text, c.cells)), c.cells);
    }
}

TEST(TerminalText, TheWidthComesFromColumnsElseTheTerminalElse80)
{
    const QByteArray before = qgetenv("COLUMNS");
    const struct {
        const char* columns;  // nullptr: unset
        int width;
    } cases[] = {{"132", 132}, {" 40 ", 40}, {"010", 10}, {"0", 80}, {"-5", 80}, {"wide", 80}, {"", 80}, {nullptr, 80}};
    for (const auto& c : cases) {
        if (c.width == 80 && isatty(STDOUT_FILENO) == 1)
            continue;  // run by hand in a terminal: its width instead
        if (c.columns)
            qputenv("COLUMNS", c.columns);
        else
            qunsetenv("COLUMNS");
        EXPECT_EQ(Cli::terminalColumns(), c.width) << (c.columns ? c.columns : "unset");
    }
    if (before.isNull())
        qunsetenv("COLUMNS");
    else
        qputenv("COLUMNS", before);
}
