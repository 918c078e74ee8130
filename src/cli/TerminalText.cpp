#include "cli/TerminalText.h"

#include <algorithm>
#include <iterator>

#include <sys/ioctl.h>
#include <unistd.h>

#include <QTextBoundaryFinder>

namespace Cli {

namespace {

// The East Asian Wide and Fullwidth blocks (Unicode's EastAsianWidth W and F,
// by block rather than by character), with the common emoji blocks, which
// terminals also draw two cells wide. Sorted, not overlapping.
struct Range {
    char32_t first;
    char32_t last;
};
constexpr Range kWide[] = {
    {0x1100, 0x115F},   // Hangul Jamo: leading consonants
    {0x231A, 0x231B},   // watch, hourglass
    {0x2329, 0x232A},   // angle brackets
    {0x23E9, 0x23EC},   {0x23F0, 0x23F0}, {0x23F3, 0x23F3},
    {0x25FD, 0x25FE},   {0x2614, 0x2615}, {0x2648, 0x2653}, {0x267F, 0x267F}, {0x2693, 0x2693},
    {0x26A1, 0x26A1},   {0x26AA, 0x26AB}, {0x26BD, 0x26BE}, {0x26C4, 0x26C5}, {0x26CE, 0x26CE},
    {0x26D4, 0x26D4},   {0x26EA, 0x26EA}, {0x26F2, 0x26F3}, {0x26F5, 0x26F5}, {0x26FA, 0x26FA},
    {0x26FD, 0x26FD},   {0x2705, 0x2705}, {0x270A, 0x270B}, {0x2728, 0x2728}, {0x274C, 0x274C},
    {0x274E, 0x274E},   {0x2753, 0x2755}, {0x2757, 0x2757}, {0x2795, 0x2797}, {0x27B0, 0x27B0},
    {0x27BF, 0x27BF},   {0x2B1B, 0x2B1C}, {0x2B50, 0x2B50}, {0x2B55, 0x2B55},
    {0x2E80, 0x303E},   // CJK radicals, Kangxi, ideographic description, CJK symbols and punctuation
    {0x3041, 0x33FF},   // Hiragana, Katakana, Bopomofo, Hangul compatibility Jamo, Kanbun, CJK strokes, enclosed, compatibility
    {0x3400, 0xA4CF},   // CJK Extension A, Yijing, CJK Unified Ideographs, Yi
    {0xA960, 0xA97F},   // Hangul Jamo Extended-A
    {0xAC00, 0xD7A3},   // Hangul syllables
    {0xF900, 0xFAFF},   // CJK compatibility ideographs
    {0xFE10, 0xFE19},   // vertical forms
    {0xFE30, 0xFE6F},   // CJK compatibility forms, small form variants
    {0xFF00, 0xFF60},   // fullwidth forms
    {0xFFE0, 0xFFE6},   // fullwidth signs
    {0x16FE0, 0x16FE4}, {0x16FF0, 0x16FF1},
    {0x17000, 0x18CFF}, // Tangut, Khitan
    {0x18D00, 0x18D08},
    {0x1AFF0, 0x1B2FF}, // kana extensions and supplements, Nüshu
    {0x1F004, 0x1F004}, {0x1F0CF, 0x1F0CF}, {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A},
    {0x1F200, 0x1F2FF}, // enclosed ideographic supplement
    {0x1F300, 0x1F320}, {0x1F32D, 0x1F335}, {0x1F337, 0x1F37C}, {0x1F37E, 0x1F393}, {0x1F3A0, 0x1F3CA},
    {0x1F3CF, 0x1F3D3}, {0x1F3E0, 0x1F3F0}, {0x1F3F4, 0x1F3F4}, {0x1F3F8, 0x1F43E}, {0x1F440, 0x1F440},
    {0x1F442, 0x1F4FC}, {0x1F4FF, 0x1F53D}, {0x1F54B, 0x1F54E}, {0x1F550, 0x1F567}, {0x1F57A, 0x1F57A},
    {0x1F595, 0x1F596}, {0x1F5A4, 0x1F5A4}, {0x1F5FB, 0x1F64F}, {0x1F680, 0x1F6C5}, {0x1F6CC, 0x1F6CC},
    {0x1F6D0, 0x1F6D2}, {0x1F6D5, 0x1F6D7}, {0x1F6DC, 0x1F6DF}, {0x1F6EB, 0x1F6EC}, {0x1F6F4, 0x1F6FC},
    {0x1F7E0, 0x1F7EB}, {0x1F7F0, 0x1F7F0}, {0x1F90C, 0x1F93A}, {0x1F93C, 0x1F945}, {0x1F947, 0x1F9FF},
    {0x1FA70, 0x1FAFF}, // symbols and pictographs extended-A
    {0x20000, 0x2FFFD}, // CJK Extensions B to F, compatibility supplement
    {0x30000, 0x3FFFD}, // CJK Extensions G and H
};

bool isWide(char32_t c)
{
    const auto* after = std::upper_bound(std::begin(kWide), std::end(kWide), c,
                                         [](char32_t value, const Range& range) { return value < range.first; });
    return after != std::begin(kWide) && c <= std::prev(after)->last;
}

int cellsOf(char32_t c)
{
    // The medial vowels and final consonants of conjoining Hangul join the syllable before them.
    if ((c >= 0x1160 && c <= 0x11FF) || (c >= 0xD7B0 && c <= 0xD7FF))
        return 0;
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:  // zero-width space and joiners, direction controls, soft hyphen
    case QChar::Other_Control:
        return 0;
    default:
        return isWide(c) ? 2 : 1;
    }
}

// The positions of `text`'s grapheme boundaries after 0, up to its length.
std::vector<qsizetype> graphemeEnds(const QString& text)
{
    std::vector<qsizetype> ends;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype at = finder.toNextBoundary(); at > 0; at = finder.toNextBoundary())
        ends.push_back(at);
    return ends;
}

// How much of `text` (in UTF-16 units, whole graphemes) fits in `cells`;
// at least one grapheme, so that cutting always moves on.
qsizetype fittingPrefix(const QString& text, int cells)
{
    qsizetype fits = 0;
    for (const qsizetype end : graphemeEnds(text)) {
        if (fits > 0 && displayWidth(QStringView(text).left(end)) > cells)
            break;
        fits = end;
    }
    return fits;
}

QString withoutTrailingBlanks(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    return text.left(end);
}

void wrapParagraph(const QString& paragraph, int width, QStringList& lines)
{
    QString line;  // with the blanks after its last word, dropped if the line ends there
    qsizetype start = 0;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, paragraph);
    for (qsizetype at = finder.toNextBoundary(); at > 0; at = finder.toNextBoundary()) {
        // Never after a hyphen-minus: "--yes", "quillmoor-cli" and "Wi-Fi" stay whole.
        if (at < paragraph.size() && paragraph.at(at - 1) == u'-')
            continue;
        const QString piece = paragraph.mid(start, at - start);  // a word and the blanks after it
        start = at;
        QString word = withoutTrailingBlanks(piece);
        if (displayWidth(line) + displayWidth(word) <= width) {
            line += piece;
            continue;
        }
        if (!withoutTrailingBlanks(line).isEmpty())
            lines << withoutTrailingBlanks(line);
        // A word wider than the line, cut by cells.
        while (displayWidth(word) > width) {
            const qsizetype cut = fittingPrefix(word, width);
            lines << word.left(cut);
            word.remove(0, cut);
        }
        line = word.isEmpty() ? QString() : word + piece.mid(withoutTrailingBlanks(piece).size());
    }
    lines << withoutTrailingBlanks(line);
}

} // namespace

int displayWidth(QStringView text)
{
    int cells = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        cells += cellsOf(c);
    }
    return cells;
}

QString padded(const QString& text, int cells)
{
    const int missing = cells - displayWidth(text);
    return missing > 0 ? text + QString(missing, u' ') : text;
}

int columnWidth(const QStringList& cells)
{
    int widest = 0;
    for (const QString& cell : cells)
        widest = std::max(widest, displayWidth(cell));
    return widest;
}

QString elidedMiddle(const QString& text, int cells)
{
    if (displayWidth(text) <= cells)
        return text;
    const QString ellipsis = QStringLiteral("…");
    if (cells <= 1)
        return ellipsis.left(cells);
    // Whole graphemes from each end, the end getting the odd cell.
    const std::vector<qsizetype> ends = graphemeEnds(text);
    const int room = cells - 1;
    const int headRoom = room / 2;
    qsizetype head = 0;
    for (const qsizetype end : ends) {
        if (displayWidth(QStringView(text).left(end)) > headRoom)
            break;
        head = end;
    }
    qsizetype tail = text.size();
    const int tailRoom = room - displayWidth(QStringView(text).left(head));
    for (auto it = ends.rbegin(); it != ends.rend(); ++it) {
        const qsizetype from = std::next(it) == ends.rend() ? 0 : *std::next(it);
        if (from < head || displayWidth(QStringView(text).mid(from)) > tailRoom)
            break;
        tail = from;
    }
    return text.left(head) + ellipsis + text.mid(tail);
}

QStringList wrapped(const QString& text, int width)
{
    width = std::max(width, 1);
    QStringList lines;
    for (const QString& paragraph : text.split(u'\n'))
        wrapParagraph(paragraph, width, lines);
    return lines;
}

QStringList twoColumns(const std::vector<std::pair<QString, QString>>& rows, int width)
{
    constexpr int indent = 2;
    constexpr int gap = 2;
    const QString margin(indent, u' ');
    // The left texts that leave the description at least 60% of the line set the column.
    const int widestBeside = width * 2 / 5 - indent - gap;
    int left = 0;
    for (const auto& [option, description] : rows)
        if (const int cells = displayWidth(option); cells <= widestBeside)
            left = std::max(left, cells);
    const int column = indent + left + gap;
    const QString hanging(column, u' ');
    QStringList lines;
    for (const auto& [option, description] : rows) {
        const QStringList text = wrapped(description, width - column);
        qsizetype next = 0;
        if (displayWidth(option) <= widestBeside) {
            lines << margin + (text.value(0).isEmpty() ? option : padded(option, left + gap) + text[0]);
            next = 1;
        } else {
            // Alone on its lines, its further lines indented a little more.
            const QStringList own = wrapped(option, width - indent - gap);
            for (qsizetype i = 0; i < own.size(); ++i)
                lines << (i == 0 ? margin : QString(indent + gap, u' ')) + own[i];
        }
        for (; next < text.size(); ++next)
            lines << (text[next].isEmpty() ? QString() : hanging + text[next]);
    }
    return lines;
}

int terminalColumns()
{
    bool number = false;
    const int fromVariable = qEnvironmentVariable("COLUMNS").trimmed().toInt(&number, 10);
    if (number && fromVariable > 0)
        return fromVariable;
    winsize size{};
    if (isatty(STDOUT_FILENO) == 1 && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

} // namespace Cli
