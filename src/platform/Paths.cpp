#include "platform/Paths.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path fromEnv(const char* name, const fs::path& fallback)
{
    const char* value = std::getenv(name);
    if (value && value[0] == '/')
        return fs::path(value);
    return fallback;
}

} // namespace

namespace Paths {

fs::path home()
{
    if (const char* value = std::getenv("HOME"); value && value[0] != '\0')
        return fs::path(value);
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && pw->pw_dir[0] != '\0')
        return fs::path(pw->pw_dir);
    return fs::path("/");
}

fs::path dataHome() { return fromEnv("XDG_DATA_HOME", home() / ".local/share"); }
fs::path configHome() { return fromEnv("XDG_CONFIG_HOME", home() / ".config"); }
fs::path stateHome() { return fromEnv("XDG_STATE_HOME", home() / ".local/state"); }
fs::path logFolder() { return stateHome() / "Quillmoor"; }

} // namespace Paths
