#pragma once
// Names and paths set inside translated text: a name must never reorder the
// sentence around it, whatever characters it carries.
#include <QString>
#include <QStringList>

// Direction controls inside a name (U+200E/200F, U+061C, U+202A–202E,
// U+2066–2069) written out as "<U+202E>", so a file name cannot turn the text
// around it or close the isolate it is shown in. Everything else is kept.
QString escapeDirectionMarks(const QString& name);

// A name, path, size or command as one left-to-right run (its direction marks
// escaped, then wrapped in U+2066 … U+2069), for right-to-left text; in a
// left-to-right interface only the escaping is done.
QString isolatedRun(const QString& text, bool rightToLeft);
// The same in the interface's direction (appLayoutDirection): a name, path or
// size the window sets inside a sentence it makes.
QString shownRun(const QString& text);
// Names shown as one list in the interface's direction, each its own run.
QString joinShown(const QStringList& names);
