#include "ChildRun.h"

#include <chrono>
#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Timing.h"

extern char** environ;

namespace fs = std::filesystem;

double cpuSeconds(const rusage& usage)
{
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

Run runChild(const std::vector<std::string>& args, const std::string& out, const std::string& err)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    Run run;
    const auto start = std::chrono::steady_clock::now();
    pid_t child = -1;
    const int failed = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0)
        return run;
    int status = 0;
    struct rusage usage {};
    if (wait4(child, &status, 0, &usage) != child)
        return run;
    run.seconds = secondsSince(start);
    run.cpu = cpuSeconds(usage);
    run.peakKiB = usage.ru_maxrss;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

Run runMeasured(const std::vector<std::string>& args, const std::string& out, const std::string& err)
{
    const fs::path result = fs::temp_directory_path() / ("quillmoor-bench-measure-" + std::to_string(getpid()));
    std::vector<std::string> measure{fs::read_symlink("/proc/self/exe").native(), "--measure", result.native(), out, err};
    measure.insert(measure.end(), args.begin(), args.end());
    Run run;
    if (runChild(measure, "/dev/null", "/dev/null").status != 0)
        return run;
    std::ifstream(result) >> run.seconds >> run.cpu >> run.peakKiB >> run.status;
    fs::remove(result);
    return run;
}

std::optional<int> measureModeOf(int argc, char** argv)
{
    if (argc < 2 || std::string(argv[1]) != "--measure")
        return std::nullopt;
    if (argc < 6)
        return 2;
    const Run run = runChild(std::vector<std::string>(argv + 5, argv + argc), argv[3], argv[4]);
    std::ofstream(argv[2]) << run.seconds << ' ' << run.cpu << ' ' << run.peakKiB << ' ' << run.status << '\n';
    return 0;
}
