#pragma once
// The linux profile's maintenance routines: each with the program it needs,
// and unavailable (never run, never behind a password prompt) where that
// program is missing.
#include <cstdint>
#include <filesystem>
#include <vector>

#include <QString>

#include "profiles/MaintenanceRoutines.h"

namespace LinuxMaintenance {

// What the routines look at to know whether they can run.
struct Environment {
    QString path;                                       // the PATH programs are looked up in
    std::filesystem::path home;                         // for the user's menu folders
    std::filesystem::path dropCaches = "/proc/sys/vm/drop_caches";
    std::filesystem::path resolved = "/run/systemd/resolve";  // there while systemd-resolved runs
    std::filesystem::path meminfo = "/proc/meminfo";
};

// The real environment: $PATH, the home folder and the system's files.
Environment environment();

// The seven routines, in the order the screen lists them, with their availability.
std::vector<MaintTask> tasks(const Environment& env = environment());

// The page cache ("Cached" in meminfo) in bytes; 0 when it cannot be read.
std::int64_t cachedBytes(const std::filesystem::path& meminfo);

// The program's full path when `name` is an executable in one of the PATH's
// folders (or, with a slash, is itself executable); empty otherwise.
QString findProgram(const QString& name, const QString& path);

} // namespace LinuxMaintenance
