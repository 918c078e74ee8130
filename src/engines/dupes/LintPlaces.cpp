#include "engines/dupes/LintPlaces.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <sstream>

#include <mntent.h>

#include "platform/FolderFd.h"

namespace fs = std::filesystem;

namespace Lint {

namespace {

std::string normal(const std::string& path)
{
    std::string text = fs::path(path).lexically_normal().native();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

std::string trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

} // namespace

std::vector<std::string> fstabTargets(const fs::path& fstab)
{
    std::vector<std::string> targets;
    FILE* file = setmntent(fstab.c_str(), "re");
    if (!file)
        return targets;
    while (const mntent* entry = getmntent(file))
        if (entry->mnt_dir && entry->mnt_dir[0] == '/')
            targets.push_back(normal(entry->mnt_dir));
    endmntent(file);
    return targets;
}

std::string automountWhere(std::string_view unit)
{
    std::string where;
    bool inAutomount = false;
    while (!unit.empty()) {
        const std::size_t end = unit.find('\n');
        const std::string line = trimmed(unit.substr(0, end));
        unit.remove_prefix(end == std::string_view::npos ? unit.size() : end + 1);
        if (line.empty() || line.front() == '#' || line.front() == ';')
            continue;
        if (line.front() == '[') {
            inAutomount = line == "[Automount]";
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inAutomount || equals == std::string::npos || trimmed(std::string_view(line).substr(0, equals)) != "Where")
            continue;
        where = trimmed(std::string_view(line).substr(equals + 1));
    }
    return !where.empty() && where.front() == '/' ? normal(where) : std::string();
}

std::vector<std::string> automountTargets(const std::vector<fs::path>& folders)
{
    std::vector<std::string> targets;
    for (const fs::path& folder : folders) {
        std::error_code error;
        for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
            if (it->path().extension() != ".automount")
                continue;
            std::ifstream file(it->path());
            const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
            if (std::string where = automountWhere(text); !where.empty())
                targets.push_back(std::move(where));
        }
    }
    return targets;
}

std::vector<std::string> mountedNow(const fs::path& mountinfo)
{
    std::ifstream file(mountinfo);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> points = FolderFd::mountPoints(text);
    for (std::string& point : points)
        point = normal(point);
    return points;
}

std::string targetPath(const std::string& linkFolder, const std::string& target)
{
    if (!target.empty() && target.front() == '/')
        return normal(target);
    return normal((linkFolder.empty() ? std::string("/") : linkFolder) + "/" + target);
}

bool isInside(const std::string& path, const std::string& place)
{
    if (place == "/")
        return !path.empty() && path.front() == '/';
    return path.compare(0, place.size(), place) == 0 && (path.size() == place.size() || path[place.size()] == '/');
}

bool onAbsentVolume(const std::string& target, const std::vector<std::string>& volumePlaces,
                    const std::vector<std::string>& mounted)
{
    for (const std::string& place : volumePlaces) {
        if (!isInside(target, place))
            continue;
        const bool present = std::any_of(mounted.begin(), mounted.end(), [&](const std::string& point) {
            return isInside(point, place) && isInside(target, point);
        });
        if (!present)
            return true;
    }
    return false;
}

bool targetMissing(int error)
{
    return error == ENOENT || error == ENOTDIR;
}

} // namespace Lint
