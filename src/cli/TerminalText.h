#pragma once
// Text laid out for a terminal, measured in cells: an East Asian wide or
// fullwidth character takes two, a combining mark or a zero-width character
// none, everything else one. The help wraps to the terminal's width, and a
// table's columns are padded (or a long name shortened) by the same measure.
#include <utility>
#include <vector>

#include <QString>
#include <QStringList>
#include <QStringView>

namespace Cli {

// The cells `text` takes in a terminal.
int displayWidth(QStringView text);

// `text` followed by spaces up to `cells` wide; never cut.
QString padded(const QString& text, int cells);

// The width of a column of cells: its widest.
int columnWidth(const QStringList& cells);

// `text` at most `cells` wide: when wider, its start and end with "…"
// between them (a long name keeps the end that tells it apart).
QString elidedMiddle(const QString& text, int cells);

// A text as lines of at most `width` cells, broken only where the language
// allows a line break (QTextBoundaryFinder::Line, so Japanese and Chinese
// break between characters, and a no-break space never breaks); a word wider
// than the whole line is cut by cells. A "\n" in the text always breaks.
// Trailing blanks are dropped; an empty text gives one empty line.
QStringList wrapped(const QString& text, int width);

// A two-column table (a left text, e.g. an option, and its description)
// `width` cells wide, each row indented by two: the descriptions start in one
// column after the widest left text and wrap under themselves. A left text
// wider than ~40% of the width is written alone (wrapped when it must be) and
// its description starts on the next line in that same column.
QStringList twoColumns(const std::vector<std::pair<QString, QString>>& rows, int width);

// The terminal's width in cells: COLUMNS when it is a positive number, else
// the size of the terminal on standard output, else 80.
int terminalColumns();

} // namespace Cli
