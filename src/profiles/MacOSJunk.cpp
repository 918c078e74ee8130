// The macOS junk catalogue: the eleven rules of the Library, the developer
// tools, Downloads and the Trash. The titles and details are translated once,
// when the catalogue is first read.
#include "profiles/JunkCatalogue.h"

#include "i18n/L.h"

namespace Profiles {

namespace {

std::vector<JunkRule> buildRules()
{
    std::vector<JunkRule> list;

    list.push_back({.id = "caches",
                    .title = L("Caches de apps"),
                    .detail = L("~/Library/Caches — recriados automaticamente pelos apps"),
                    .symbol = "shippingbox.fill",
                    .paths = {"~/Library/Caches"}});

    list.push_back({.id = "logs",
                    .title = L("Logs e relatórios de falha"),
                    .detail = L("~/Library/Logs e DiagnosticReports"),
                    .symbol = "doc.text.fill",
                    .paths = {"~/Library/Logs"}});

    // The detail is a path; it stays as it is in every language.
    list.push_back({.id = "state",
                    .title = L("Estado salvo de janelas"),
                    .detail = "~/Library/Saved Application State",
                    .symbol = "macwindow.on.rectangle",
                    .paths = {"~/Library/Saved Application State"}});

    list.push_back({.id = "xcode",
                    .title = L("Xcode e simuladores"),
                    .detail = L("DerivedData, DeviceSupport, caches de simulador"),
                    .symbol = "hammer.fill",
                    .paths = {"~/Library/Developer/Xcode/DerivedData",
                              "~/Library/Developer/Xcode/iOS DeviceSupport",
                              "~/Library/Developer/Xcode/macOS DeviceSupport",
                              "~/Library/Developer/Xcode/watchOS DeviceSupport",
                              "~/Library/Developer/CoreSimulator/Caches"},
                    .children = false});

    // The detail is a list of tool names; it stays as it is in every language.
    list.push_back({.id = "devcache",
                    .title = L("Caches de desenvolvimento"),
                    .detail = "npm, pnpm, yarn, Gradle, Android",
                    .symbol = "terminal.fill",
                    .paths = {"~/.npm/_cacache", "~/Library/pnpm/store", "~/.yarn/berry/cache",
                              "~/.gradle/caches", "~/.android/cache", "~/.cocoapods/repos"},
                    .children = false});

    list.push_back({.id = "media",
                    .title = L("Cache de mídia (Adobe, Spotify…)"),
                    .detail = L("Media Cache do Premiere/After Effects, cache do Spotify"),
                    .symbol = "film.stack.fill",
                    .paths = {"~/Library/Application Support/Adobe/Common/Media Cache Files",
                              "~/Library/Application Support/Adobe/Common/Media Cache",
                              "~/Library/Application Support/Adobe/Common/Peak Files",
                              "~/Library/Application Support/Spotify/PersistentCache"},
                    .children = false});

    list.push_back({.id = "dotcache",
                    .title = L("Cache de ferramentas (~/.cache)"),
                    .detail = L("Pode conter modelos de IA baixados — revise antes"),
                    .symbol = "cpu.fill",
                    .paths = {"~/.cache"},
                    .preselect = false});

    list.push_back({.id = "archives",
                    .title = L("Arquivos do Xcode (Archives)"),
                    .detail = L("Builds arquivados — só apague se não precisar mais"),
                    .symbol = "archivebox.fill",
                    .paths = {"~/Library/Developer/Xcode/Archives"},
                    .preselect = false,
                    .permanent = false});

    list.push_back({.id = "mail",
                    .title = L("Anexos baixados do Mail"),
                    .detail = L("Cópias locais de anexos já abertos"),
                    .symbol = "paperclip",
                    .paths = {"~/Library/Containers/com.apple.mail/Data/Library/Mail Downloads"},
                    .preselect = false});

    list.push_back({.id = "installers",
                    .title = L("Instaladores em Downloads"),
                    .detail = L(".dmg, .pkg e .iso esquecidos em ~/Downloads"),
                    .symbol = "opticaldiscdrive.fill",
                    .paths = {"~/Downloads"},
                    .preselect = false,
                    .permanent = false,
                    .extensions = std::set<std::string>{"dmg", "pkg", "mpkg", "iso", "xip"}});

    // Items of the Trash are already in the Trash: deleting them empties it.
    list.push_back({.id = "trash",
                    .title = L("Lixeira"),
                    .detail = L("Esvaziar a Lixeira (definitivo)"),
                    .symbol = "trash.fill",
                    .paths = {"~/.Trash"},
                    .hidden = true,
                    .trash = true});

    // The system's own entries ("com.apple.…") are listed but never ticked at first.
    for (JunkRule& rule : list)
        rule.systemPrefix = "com.apple.";
    return list;
}

const std::vector<JunkRule>& rules()
{
    // Built on first use (thread-safe), never changed afterwards.
    static const std::vector<JunkRule> list = buildRules();
    return list;
}

} // namespace

JunkCatalogue macosJunk()
{
    return {.rules = rules};
}

} // namespace Profiles
