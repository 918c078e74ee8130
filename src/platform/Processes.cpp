#include "platform/Processes.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <iterator>
#include <optional>
#include <cstdlib>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Quitting.h"

namespace Processes {

namespace {

// The process number a /proc entry names, or 0 for anything else and for
// this program itself.
long otherProcess(const char* name)
{
    char* end = nullptr;
    const long pid = std::strtol(name, &end, 10);
    return pid > 0 && *end == '\0' && pid != getpid() ? pid : 0;
}

} // namespace

bool isInside(const std::string& executable, const std::filesystem::path& folder)
{
    std::string prefix = folder.lexically_normal().native();
    while (prefix.size() > 1 && prefix.back() == '/')
        prefix.pop_back();
    if (prefix.empty() || prefix == "/")
        return false;
    prefix += '/';
    return executable.size() > prefix.size() && executable.compare(0, prefix.size(), prefix) == 0;
}

int requestQuit(const std::filesystem::path& place, const std::filesystem::path& procRoot)
{
    if (place.empty())
        return 0;
    // Compare with the place's real path: /proc shows executables resolved.
    std::filesystem::path real = place;
    if (char* resolved = realpath(place.c_str(), nullptr)) {
        real = resolved;
        std::free(resolved);
    }
    DIR* dir = opendir(procRoot.c_str());
    if (!dir)
        return 0;
    int asked = 0;
    const uid_t me = getuid();
    while (dirent* entry = readdir(dir)) {
        const long pid = otherProcess(entry->d_name);
        if (pid == 0)
            continue;
        struct stat owner {};
        if (fstatat(dirfd(dir), entry->d_name, &owner, 0) != 0 || owner.st_uid != me)
            continue;  // only this user's own processes are asked
        const std::string link = (procRoot / entry->d_name / "exe").native();
        char target[4096];
        const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
        if (n <= 0)
            continue;  // another user's process, or a kernel thread
        const std::string executable(target, std::size_t(n));
        if ((executable == real.native() || isInside(executable, real)) && kill(pid_t(pid), SIGTERM) == 0)
            ++asked;
    }
    closedir(dir);
    return asked;
}

namespace {

// The target of a link under an open folder, or nothing when it cannot be read.
std::optional<std::string> linkAt(int folder, const char* name)
{
    char target[PATH_MAX];
    const ssize_t n = readlinkat(folder, name, target, sizeof target);
    if (n <= 0 || std::size_t(n) >= sizeof target)
        return std::nullopt;
    return std::string(target, std::size_t(n));
}

// The process's name from its comm file, without the line end.
std::optional<std::string> commOf(int processFolder)
{
    const int fd = openat(processFolder, "comm", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    char text[64];
    const ssize_t n = read(fd, text, sizeof text);
    close(fd);
    if (n <= 0)
        return std::nullopt;
    std::string name(text, std::size_t(n));
    while (!name.empty() && (name.back() == '\n' || name.back() == '\0'))
        name.pop_back();
    return name;
}

// What one process holds; false when the process is gone or not readable
// (then nothing of it counts).
bool readProcess(int procFolder, const char* pidText, int pid, std::vector<Holder>& into)
{
    const int processFolder = openat(procFolder, pidText, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (processFolder < 0)
        return false;
    std::vector<Holder> found;
    const std::optional<std::string> name = commOf(processFolder);
    const int fdFolder = openat(processFolder, "fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* fds = fdFolder >= 0 ? fdopendir(fdFolder) : nullptr;
    bool ok = name && fds;
    if (ok) {
        if (const std::optional<std::string> cwd = linkAt(processFolder, "cwd"); cwd && cwd->front() == '/')
            found.push_back({*cwd, *name, pid});
        errno = 0;
        while (dirent* entry = readdir(fds)) {
            if (entry->d_name[0] == '.')
                continue;
            // An open file closed meanwhile is simply not there any more.
            if (const std::optional<std::string> target = linkAt(dirfd(fds), entry->d_name);
                target && target->front() == '/')
                found.push_back({*target, *name, pid});
        }
        // The folder vanishing under the listing means the process ended.
        ok = errno == 0;
    }
    if (fds)
        closedir(fds);
    else if (fdFolder >= 0)
        close(fdFolder);
    // Read the name again: a process that ended (or whose number was taken
    // by another) while we read is left out.
    ok = ok && commOf(processFolder) == name;
    close(processFolder);
    if (!ok)
        return false;
    into.insert(into.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
    return true;
}

} // namespace

std::vector<Holder> heldPlaces(const std::filesystem::path& procRoot)
{
    std::vector<Holder> held;
    const int procFolder = open(procRoot.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (procFolder < 0)
        return held;
    DIR* dir = fdopendir(procFolder);
    if (!dir) {
        close(procFolder);
        return held;
    }
    const uid_t uid = getuid();
    while (dirent* entry = readdir(dir)) {
        if (Quitting::requested())
            break;  // nobody will read the answer
        const long pid = otherProcess(entry->d_name);
        if (pid == 0)
            continue;
        struct stat info;
        if (fstatat(procFolder, entry->d_name, &info, 0) != 0 || info.st_uid != uid)
            continue;  // gone already, or another user's
        readProcess(procFolder, entry->d_name, int(pid), held);
    }
    closedir(dir);
    std::sort(held.begin(), held.end(), [](const Holder& a, const Holder& b) { return a.path < b.path; });
    return held;
}

const Holder* holderInside(const std::vector<Holder>& sorted, const std::string& path)
{
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    const auto byPath = [](const Holder& holder, const std::string& text) { return holder.path < text; };
    const auto exact = std::lower_bound(sorted.begin(), sorted.end(), folder, byPath);
    if (exact != sorted.end() && exact->path == folder)
        return &*exact;
    // Everything inside sorts together right after "folder/".
    const std::string prefix = folder == "/" ? folder : folder + "/";
    const auto inside = std::lower_bound(sorted.begin(), sorted.end(), prefix, byPath);
    if (inside != sorted.end() && inside->path.compare(0, prefix.size(), prefix) == 0)
        return &*inside;
    return nullptr;
}

} // namespace Processes
