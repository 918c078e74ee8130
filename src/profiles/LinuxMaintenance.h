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

} // namespace LinuxMaintenance
