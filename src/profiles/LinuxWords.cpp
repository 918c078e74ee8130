// The Linux words for the designed texts that name the Mac or its tools.
#include "profiles/Words.h"

namespace Profiles {

namespace {

QHash<QString, QString> replacements()
{
    return {
        // the startup page: what starts with the session, switched off rather than removed
        {QStringLiteral("quando o Mac liga."), QStringLiteral("quando o computador liga.")},
        {QStringLiteral("%ld agentes e serviços em segundo plano. Remova o que você não usa para iniciar mais rápido."),
         QStringLiteral("%ld itens de inicialização e serviços. Desative o que você não usa para iniciar mais rápido.")},
    };
}

} // namespace

Words linuxWords()
{
    return {.replacements = replacements};
}

} // namespace Profiles
