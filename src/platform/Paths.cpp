#include "platform/Paths.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <pwd.h>
#include <unistd.h>

#include <QUtf8StringView>

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

fs::path cacheHome() { return fromEnv("XDG_CACHE_HOME", home() / ".cache"); }

std::vector<UserDir> parseUserDirs(const std::string& text, const fs::path& home)
{
    if (!QUtf8StringView(text).isValidUtf8())
        return {};
    std::vector<UserDir> dirs;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#')
            continue;
        line = line.substr(start);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
            line.pop_back();
        // XDG_NAME_DIR="value"
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            return {};
        const std::string name = line.substr(0, equals);
        if (name.size() <= 8 || name.compare(0, 4, "XDG_") != 0 || name.compare(name.size() - 4, 4, "_DIR") != 0)
            return {};
        const std::string quoted = line.substr(equals + 1);
        if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"')
            return {};
        std::string value;
        for (std::size_t i = 1; i + 1 < quoted.size(); ++i) {
            char c = quoted[i];
            if (c == '\\') {
                if (i + 2 >= quoted.size())
                    return {};
                c = quoted[++i];
            } else if (c == '"') {
                return {};
            }
            value += c;
        }
        fs::path path;
        if (value == "$HOME" || value.rfind("$HOME/", 0) == 0)
            path = home / value.substr(std::min<std::size_t>(value.size(), 6));
        else if (!value.empty() && value.front() == '/')
            path = value;
        else
            return {};
        path = path.lexically_normal();
        std::string cleaned = path.native();
        while (cleaned.size() > 1 && cleaned.back() == '/')
            cleaned.pop_back();
        std::string homeText = home.lexically_normal().native();
        while (homeText.size() > 1 && homeText.back() == '/')
            homeText.pop_back();
        if (cleaned == homeText)
            continue;  // a disabled entry: the folder is the home itself
        dirs.push_back({name.substr(4, name.size() - 8), fs::path(cleaned)});
    }
    return dirs;
}

std::vector<UserDir> userDirs()
{
    std::ifstream file(configHome() / "user-dirs.dirs", std::ios::binary);
    if (!file)
        return {};
    std::ostringstream text;
    text << file.rdbuf();
    return parseUserDirs(text.str(), home());
}

fs::path downloadFolder()
{
    for (const UserDir& dir : userDirs())
        if (dir.key == "DOWNLOAD")
            return dir.path;
    return home() / "Downloads";
}

} // namespace Paths
