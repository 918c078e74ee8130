// The Linux words for the designed texts that name the Mac or its tools.
#include "profiles/Words.h"

namespace Profiles {

namespace {

QHash<QString, QString> replacements()
{
    return {
        // the uninstaller: leftovers live in the home folder, not in a Library
        {"%ld apps encontrados. Escolha um para ver o app e tudo o que ele espalhou pela Biblioteca.",
         "%ld apps encontrados. Escolha um para ver o app e tudo o que ele deixou na sua pasta pessoal."},
    };
}

} // namespace

Words linuxWords()
{
    return {.replacements = replacements};
}

} // namespace Profiles
