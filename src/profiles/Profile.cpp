#include "profiles/Profile.h"

#include <QtGlobal>

#include "i18n/L.h"
#include "platform/Paths.h"

namespace Profiles {

namespace {

// Built on first use: the parts' tables live in the Linux*.cpp and MacOS*.cpp files.
const Profile& linuxProfile()
{
    static const Profile profile{.name = "linux",
                                 .junk = linuxJunk(),
                                 .protectedPlaces = linuxProtectedPlaces(),
                                 .apps = linuxApps(),
                                 .startup = linuxStartup(),
                                 .maintenance = linuxMaintenance(),
                                 .panel = linuxPanel(),
                                 .words = linuxWords(),
                                 .traits = linuxTraits()};
    return profile;
}

const Profile& macosProfile()
{
    static const Profile profile{.name = "macos",
                                 .junk = macosJunk(),
                                 .protectedPlaces = macosProtectedPlaces(),
                                 .apps = macosApps(),
                                 .startup = macosStartup(),
                                 .maintenance = macosMaintenance(),
                                 .panel = macosPanel(),
                                 .words = macosWords(),
                                 .traits = macosTraits()};
    return profile;
}

const Profile* chosen = nullptr;

const Profile* fromEnvironment()
{
    const QString name = qEnvironmentVariable("QUILLMOOR_PROFILE");
    if (name.isEmpty())
        return nullptr;
    const Profile* profile = byName(name);
    if (!profile)
        qWarning("QUILLMOOR_PROFILE names no profile (%s); using %s", qPrintable(name),
                 qPrintable(builtIn().name));
    return profile;
}

} // namespace

const Profile* byName(const QString& name)
{
    if (name == QLatin1String("linux"))
        return &linuxProfile();
    if (name == QLatin1String("macos"))
        return &macosProfile();
    return nullptr;
}

const Profile& builtIn()
{
#ifdef Q_OS_MACOS
    return macosProfile();
#else
    return linuxProfile();
#endif
}

const Profile& active()
{
    if (!chosen) {
        const Profile* fromEnv = fromEnvironment();
        chosen = fromEnv ? fromEnv : &builtIn();
        apply(*chosen);
    }
    return *chosen;
}

bool choose(const QString& name)
{
    const Profile* profile = byName(name);
    if (!profile)
        return false;
    chosen = profile;
    apply(*chosen);
    return true;
}

void apply(const Profile& profile)
{
    FS::setProtection(profile.protectedPlaces.current());
    setWordReplacements(profile.words.replacements());
}

std::vector<std::filesystem::path> neededFolders(const SystemTraits& traits, const std::filesystem::path& home)
{
    const std::pair<std::string, std::filesystem::path> bases[] = {
        {".local/share/", Paths::dataHome()}, {".config/", Paths::configHome()}, {".cache/", Paths::cacheHome()}};
    std::vector<std::filesystem::path> folders;
    for (const std::string& folder : traits.neededFolders) {
        folders.push_back(home / folder);
        for (const auto& [prefix, base] : bases)
            if (folder.starts_with(prefix) && base != home / prefix.substr(0, prefix.size() - 1))
                folders.push_back(base / folder.substr(prefix.size()));
        if (folder == ".cache" && Paths::cacheHome() != home / ".cache")
            folders.push_back(Paths::cacheHome());
    }
    // The session's runtime folder is usually a mount of its own, but not
    // always: wherever it lies, its sockets come and go and it must stay.
    if (const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR"); !runtime.isEmpty()) {
        const std::filesystem::path folder = std::filesystem::path(runtime.toStdString()).lexically_normal();
        folders.push_back(folder.has_filename() ? folder : folder.parent_path());
    }
    return folders;
}

} // namespace Profiles
