// The Linux words for the designed texts that name the Mac or its tools.
#include "profiles/Words.h"

namespace Profiles {

namespace {

QHash<QString, QString> replacements()
{
    return {};
}

} // namespace

Words linuxWords()
{
    return {.replacements = replacements};
}

} // namespace Profiles
