#pragma once
// Running programs: asking them to quit, and what they hold open.
#include <filesystem>
#include <string>
#include <vector>

namespace Processes {

// Whether an executable path lies strictly inside the folder.
bool isInside(const std::string& executable, const std::filesystem::path& folder);

// Sends SIGTERM to every process of this user whose executable (read from
// <procRoot>/PID/exe) is `place` or lies inside it (a program, or a bundle
// folder), this process excepted; does not wait for them to end. Returns how
// many were asked; none for an empty place.
int requestQuit(const std::filesystem::path& place, const std::filesystem::path& procRoot = "/proc");

// One place a running process holds: a file or folder it has open, or its
// working folder.
struct Holder {
    std::string path;     // as the kernel shows it: absolute, links resolved
    std::string process;  // the process's name (its comm)
    int pid = 0;
};

// Everything the processes of this user (this process left out) hold open or
// work in, read once from <procRoot>/PID/fd/* and <procRoot>/PID/cwd, sorted
// by path. Only places that are paths count (no pipes or sockets). A process
// that ends while its entries are read is skipped.
std::vector<Holder> heldPlaces(const std::filesystem::path& procRoot = "/proc");

// The first holder (in `sorted`, as heldPlaces returns it) whose path is
// `path` or lies inside it; nullptr when there is none.
const Holder* holderInside(const std::vector<Holder>& sorted, const std::string& path);

} // namespace Processes
