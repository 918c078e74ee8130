#pragma once
// Running another program from a benchmark, with the kernel's figures for
// that child alone: wall time, processor time and peak memory.
#include <optional>
#include <string>
#include <vector>

#include <sys/resource.h>

struct Run {
    double seconds = 0;
    double cpu = 0;      // user + system seconds
    long peakKiB = -1;   // the child's peak resident memory
    int status = -1;     // exit status, or -1 when it did not exit normally
};

// User plus system seconds of a resource account.
double cpuSeconds(const rusage& usage);

// Runs a tool with stdout into `out` and stderr into `err` and waits for it.
Run runChild(const std::vector<std::string>& args, const std::string& out, const std::string& err);

// Runs a tool through this program started again as
// `BENCH --measure RESULT OUT ERR TOOL ARGS...`. A child started straight from
// a benchmark would report the benchmark's own peak memory (which what it has
// made or searched has raised): the kernel carries the memory of the process
// image a child leaves on exec into its peak. The fresh, small measuring
// process leaves next to nothing.
Run runMeasured(const std::vector<std::string>& args, const std::string& out, const std::string& err);

// The measuring side: a benchmark's main calls this first and returns its
// result when it is set (the program was started with --measure).
std::optional<int> measureModeOf(int argc, char** argv);
