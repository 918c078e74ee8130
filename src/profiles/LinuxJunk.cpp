// The Linux junk catalogue: the cache folder ($XDG_CACHE_HOME), thumbnails,
// the session's logs, developer and media caches, downloaded AI models,
// installers in the download folder, and every trash of the mounted file systems.
// The titles and details are translated once, when the catalogue is first read.
// Beside the rules, the system's part: what the system keeps outside the home
// folder, read under "/" with the package tools' output.
#include "profiles/LinuxJunk.h"

#include <mutex>
#include <set>

#include "i18n/L.h"
#include "platform/Paths.h"
#include "platform/Trash.h"
#include "profiles/AppSources.h"
#include "profiles/JunkCatalogue.h"

namespace fs = std::filesystem;

namespace Profiles {

namespace {

// Folders of the cache folder that other rules claim, so that no byte is
// counted in two groups.
const std::vector<std::string> kThumbnails = {"$CACHE/thumbnails"};
const std::vector<std::string> kDevCaches = {
    "~/.npm/_cacache", "$CACHE/yarn",     "~/.yarn/berry/cache",      "~/.local/share/pnpm/store",
    "~/.gradle/caches", "~/.android/cache", "$CACHE/pip",             "$CACHE/go-build",
    "~/.cargo/registry/cache", "$CACHE/ccache", "$CACHE/bazel"};
const std::vector<std::string> kMedia = {"$CACHE/spotify", "~/.var/app/com.spotify.Client/cache"};
const std::vector<std::string> kModels = {"$CACHE/huggingface", "$CACHE/torch", "$CACHE/whisper", "~/.ollama/models",
                                          "$CACHE/lm-studio"};

std::vector<std::string> claimedByOthers()
{
    std::vector<std::string> all;
    for (const auto* list : {&kThumbnails, &kDevCaches, &kMedia, &kModels})
        all.insert(all.end(), list->begin(), list->end());
    return all;
}

std::vector<fs::path> downloadFolder()
{
    return {Paths::downloadFolder()};
}

// The trashes of the other mounted file systems this user can write to.
std::vector<fs::path> volumeTrashes()
{
    return Trash::volumeTrashFolders();
}

std::vector<JunkRule> buildRules()
{
    std::vector<JunkRule> list;

    list.push_back({.id = "caches",
                    .title = L("Caches de apps"),
                    .detail = L("~/.cache e caches de apps Flatpak — recriados automaticamente pelos apps"),
                    .symbol = "shippingbox.fill",
                    .paths = {"$CACHE", "~/.var/app/*/cache"},
                    .exclude = claimedByOthers()});

    list.push_back({.id = "thumbnails",
                    .title = L("Miniaturas"),
                    .detail = L("Prévias de imagens e vídeos — refeitas quando preciso"),
                    .symbol = "photo",
                    .paths = kThumbnails,
                    .children = false});

    list.push_back({.id = "logs",
                    .title = L("Logs e relatórios de falha"),
                    .detail = L("~/.xsession-errors e logs do Xorg"),
                    .symbol = "doc.text.fill",
                    .paths = {"~/.xsession-errors", "~/.xsession-errors.old", "~/.local/share/xorg/*"},
                    .children = false,
                    .namePatterns = {"*.log", "*.log.old"}});

    // The detail is a list of tool names; it stays as it is in every language.
    list.push_back({.id = "devcache",
                    .title = L("Caches de desenvolvimento"),
                    .detail = "npm, yarn, pnpm, Gradle, Android, pip, Go, Cargo, ccache, Bazel",
                    .symbol = "terminal.fill",
                    .paths = kDevCaches,
                    .children = false});

    list.push_back({.id = "media",
                    .title = L("Cache de mídia"),
                    .detail = L("Cache do Spotify"),
                    .symbol = "film.stack.fill",
                    .paths = kMedia,
                    .children = false});

    list.push_back({.id = "models",
                    .title = L("Modelos de IA baixados"),
                    .detail = L("Hugging Face, PyTorch, Whisper, Ollama, LM Studio — baixar de novo leva tempo"),
                    .symbol = "cpu.fill",
                    .paths = kModels,
                    .children = false,
                    .preselect = false});

    list.push_back({.id = "installers",
                    .title = L("Instaladores em Downloads"),
                    .detail = L(".deb, .rpm, .AppImage, .iso e outros esquecidos em Downloads"),
                    .symbol = "opticaldiscdrive.fill",
                    .paths = {},
                    .preselect = false,
                    .permanent = false,
                    .extensions = std::set<std::string>{"deb", "rpm", "appimage", "run", "flatpak", "flatpakref",
                                                        "snap", "iso", "dmg", "pkg", "exe", "msi"},
                    .places = downloadFolder});

    // Items of a trash are already there: deleting one (with its .trashinfo) empties it.
    list.push_back({.id = "trash",
                    .title = L("Lixeira"),
                    .detail = L("Esvaziar a Lixeira (definitivo)"),
                    .symbol = "trash.fill",
                    .paths = {"~/.Trash"},
                    .places = volumeTrashes,
                    .hidden = true,
                    .trash = true});

    return list;
}

const std::vector<JunkRule>& rules()
{
    // Built on first use (thread-safe), never changed afterwards.
    static const std::vector<JunkRule> list = buildRules();
    return list;
}

std::mutex sourceLock;
std::optional<LinuxSystemJunkSource> chosenSource;

LinuxSystemJunkSource systemSource()
{
    {
        const std::lock_guard<std::mutex> hold(sourceLock);
        if (chosenSource)
            return *chosenSource;
    }
    SystemJunk::SystemPlaces places;
    places.userFlatpak = Paths::dataHome() / "flatpak";
    return {places, Shell::run};
}

JunkFound systemPart(SystemJunk::Part part, const NeverTouchList& never)
{
    const LinuxSystemJunkSource source = systemSource();
    return SystemJunk::partGroups(part, source.places, SystemJunk::runTools(part, source.run), never);
}

// The packages that own an application of the Apps page.
QStringList appPackages()
{
    QStringList packages;
    for (const AppInfo& app : linuxApps().backend().scan())
        if (app.ownerKind == AppOwner::package)
            packages << app.ownerName;
    return packages;
}

SystemJunk::CleanReport cleanSystem(const std::vector<JunkGroup>& chosen, const std::vector<JunkGroup>& offered,
                                    const Admin::Runner& admin)
{
    const LinuxSystemJunkSource source = systemSource();
    return SystemJunk::clean(chosen, offered,
                             {source.places, source.run, admin, source.appPackages ? source.appPackages : appPackages});
}

SystemJunk::Measured measureSystem(const JunkGroup& group, const NeverTouchList& never, const Admin::Runner& admin)
{
    const LinuxSystemJunkSource source = systemSource();
    return SystemJunk::measurePart(group, source.places, source.run, admin, never);
}

} // namespace

void setLinuxSystemJunkSource(std::optional<LinuxSystemJunkSource> source)
{
    const std::lock_guard<std::mutex> hold(sourceLock);
    chosenSource = std::move(source);
}

JunkCatalogue linuxJunk()
{
    return {.rules = rules, .systemPart = systemPart, .cleanSystem = cleanSystem, .measureSystem = measureSystem};
}

} // namespace Profiles
