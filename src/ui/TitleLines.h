#pragma once
// A short title (a quick action's) set on two lines where one line is too
// narrow for it.
#include <QString>

namespace TitleLines {

// The title broken once, at the word boundary that leaves the two lines
// closest in length: never inside a word, also in scripts written without
// spaces (a katakana word stays whole, a particle stays with the word before
// it, a change of script is preferred to a break between two ideographs).
// A title with no such boundary comes back whole, on one line.
QString twoLines(const QString& title);

} // namespace TitleLines
