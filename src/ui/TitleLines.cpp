#include "ui/TitleLines.h"

#include <QTextBoundaryFinder>

namespace TitleLines {

namespace {

QChar::Script scriptAt(const QString& text, qsizetype at)
{
    return QChar::script(text.at(at).unicode());
}

} // namespace

QString twoLines(const QString& title)
{
    QString best;
    qsizetype bestLonger = title.size();
    bool bestStrong = false;
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, title);
    for (qsizetype at = words.toNextBoundary(); at > 0 && at < title.size(); at = words.toNextBoundary()) {
        const QString first = title.left(at).trimmed();
        const QString second = title.mid(at).trimmed();
        if (first.isEmpty() || second.isEmpty())
            continue;
        const QChar::Script before = scriptAt(title, at - 1);
        const QChar::Script after = scriptAt(title, at);
        if (after == QChar::Script_Hiragana && before != QChar::Script_Hiragana)
            continue;  // a particle or an ending belongs to the word before it
        const bool strong = title.at(at - 1).isSpace() || title.at(at).isSpace() || before != after;
        const qsizetype longer = std::max(first.size(), second.size());
        if ((strong && !bestStrong) || (strong == bestStrong && longer < bestLonger)) {
            best = first + QLatin1Char('\n') + second;
            bestLonger = longer;
            bestStrong = strong;
        }
    }
    return best.isEmpty() ? title : best;
}

} // namespace TitleLines
