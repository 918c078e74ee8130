#pragma once
// The words that name the system: each designed text that names the Mac or
// its tools, and the Portuguese key this profile shows in its place. Every
// replacement is itself a key of the translation table, with the same
// placeholders as the text it replaces.
#include <QHash>
#include <QString>

namespace Profiles {

struct Words {
    QHash<QString, QString> (*replacements)() = nullptr;
};

Words linuxWords();
Words macosWords();

} // namespace Profiles
