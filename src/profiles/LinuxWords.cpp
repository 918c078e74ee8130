// The Linux words for the designed texts that name the Mac, its tools or its
// places, on every page, the panel and the settings window.
#include "profiles/Words.h"

namespace Profiles {

namespace {

QHash<QString, QString> replacements()
{
    return {
        {"Seu Mac agora", "Seu computador agora"},
        // The panel's machine name when the hardware is not a Mac's.
        {"Mac", "Computador"},
        {"MacBook", "Notebook"},
        {"Limpar Mac", "Limpar o computador"},
        {"Mostrar no Finder", "Mostrar na pasta"},
        {"Segue o idioma do macOS", "Segue o idioma do sistema"},
        {"Caches de apps e navegadores, logs, Xcode, npm/Gradle, cache de mídia da Adobe e do Spotify, instaladores e "
         "Lixeira.",
         "Caches de apps e navegadores, miniaturas, logs, caches de desenvolvimento, modelos de IA, instaladores e "
         "Lixeira."},
        {"Caches e logs são apagados (os apps recriam o que precisarem). Instaladores e Archives vão para a Lixeira.",
         "Caches e logs são apagados (os apps recriam o que precisarem). Instaladores vão para a Lixeira."},
        {"Caches e logs são apagados (os apps recriam o que precisarem). Instaladores e Archives vão para a Lixeira. "
         "Feche os apps abertos para um resultado melhor.",
         "Caches e logs são apagados (os apps recriam o que precisarem). Instaladores vão para a Lixeira. Feche os "
         "apps abertos para um resultado melhor."},
        {"Busca na sua pasta pessoal (fora da Biblioteca). Tudo vai para a Lixeira, então dá para recuperar.",
         "Busca na sua pasta pessoal (fora das pastas ocultas). Tudo vai para a Lixeira, então dá para recuperar."},
        // the startup page: what starts with the session, switched off rather than removed
        {"O que roda", "O que começa a rodar"},
        {"quando o Mac liga.", "quando o computador liga."},
        {"%ld agentes e serviços em segundo plano. Remova o que você não usa para iniciar mais rápido.",
         "%ld itens de inicialização e serviços. Desative o que você não usa para iniciar mais rápido."},
        // the home folder by the name Linux desktops give it
        {"Pasta pessoal", "Sua pasta pessoal"},
        // moving to the Trash: no macOS cloud products, and the space comes back only once it is emptied
        {"Você ainda pode recuperar pela Lixeira. Arquivos dentro do Dropbox/Creative Cloud também somem da nuvem.",
         "Você ainda pode recuperar pela Lixeira; o espaço só é liberado quando ela for esvaziada. Arquivos em pastas "
         "sincronizadas com a nuvem também somem de lá."},
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
