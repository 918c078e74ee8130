#pragma once
// Asking running programs to quit.
#include <filesystem>
#include <string>

namespace Processes {

// Whether an executable path lies strictly inside the folder.
bool isInside(const std::string& executable, const std::filesystem::path& folder);

// Sends SIGTERM to every process of this user whose executable lies inside
// the bundle (read from <procRoot>/PID/exe), this process excepted; does not
// wait for them to end. Returns how many were asked.
int requestQuit(const std::filesystem::path& bundle, const std::filesystem::path& procRoot = "/proc");

} // namespace Processes
