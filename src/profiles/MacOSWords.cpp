// On macOS the designed texts name the system already.
#include "profiles/Words.h"

namespace Profiles {

namespace {

QHash<QString, QString> replacements()
{
    return {};
}

} // namespace

Words macosWords()
{
    return {.replacements = replacements};
}

} // namespace Profiles
