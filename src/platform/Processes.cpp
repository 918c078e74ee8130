#include "platform/Processes.h"

#include <csignal>
#include <cstdlib>

#include <dirent.h>
#include <unistd.h>

namespace Processes {

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

int requestQuit(const std::filesystem::path& bundle, const std::filesystem::path& procRoot)
{
    // Compare with the bundle's real path: /proc shows executables resolved.
    std::filesystem::path real = bundle;
    if (char* resolved = realpath(bundle.c_str(), nullptr)) {
        real = resolved;
        std::free(resolved);
    }
    DIR* dir = opendir(procRoot.c_str());
    if (!dir)
        return 0;
    int asked = 0;
    const pid_t self = getpid();
    while (dirent* entry = readdir(dir)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 0 || *end != '\0' || pid == self)
            continue;
        const std::string link = (procRoot / entry->d_name / "exe").native();
        char target[4096];
        const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
        if (n <= 0)
            continue;  // another user's process, or a kernel thread
        if (isInside(std::string(target, std::size_t(n)), real) && kill(pid_t(pid), SIGTERM) == 0)
            ++asked;
    }
    closedir(dir);
    return asked;
}

} // namespace Processes
