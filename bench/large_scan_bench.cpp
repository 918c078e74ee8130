// Times Sweeper::scanLarge over a generated home of 325,000 entries beside
// `find HOME -type f -size +N` over the same tree, on a warm cache and (where
// the machine lets caches be dropped) on a cold one; measures how soon every
// walking thread stops once the scan is cancelled, and the peak memory of
// `quillmoor-cli large --min 100MB` over it and, with --million, over a home
// of 1,000,000 entries. The homes are made once and reused by later runs;
// HOME points at them meanwhile.
//
//   large_scan_bench [--million] [FOLDER]     (default: /tmp/quillmoor-large-bench)
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>

#include "engines/large/LargeFiles.h"

#include "BenchHome.h"
#include "Timing.h"

namespace fs = std::filesystem;

namespace {

using BenchHome::kParts;
using BenchHome::makeHome;
using BenchHome::totalEntries;

constexpr std::int64_t kMinBytes = 100000000;  // the "100 MB" threshold
constexpr int kRounds = 5;                     // alternating, so both see the same cache and load
constexpr int kColdRounds = 2;

// A home of 1,000 folders of 999 empty files each: 1,000,000 entries with
// their folders.
void makeMillionHome(const fs::path& home)
{
    if (fs::exists(home / ".complete"))
        return;
    std::printf("making 1,000,000 entries under %s ...\n", home.c_str());
    fs::remove_all(home);
    for (int sub = 0; sub < 1000; ++sub) {
        const fs::path folder = home / ("p" + std::to_string(sub / 100)) / ("s" + std::to_string(sub));
        fs::create_directories(folder);
        const int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
        for (int file = 0; file < 999; ++file)
            close(openat(folderFd, ("f" + std::to_string(file)).c_str(), O_CREAT | O_WRONLY, 0644));
        close(folderFd);
    }
    close(open((home / ".complete").c_str(), O_CREAT | O_WRONLY, 0644));
}

// Lines printed by one find run (-1 on failure).
long long runFind(const QStringList& args)
{
    QProcess find;
    find.start("find", args);
    if (!find.waitForFinished(-1) || find.exitCode() != 0)
        return -1;
    return find.readAllStandardOutput().count('\n');
}

long long scanCount()
{
    CancelFlag flag;
    return static_cast<long long>(Sweeper::scanLarge(kMinBytes, flag, {}).files.size());
}

// Seconds from setting the cancel flag, `after` seconds into a scan, until
// the scan has returned (every walking thread joined).
double cancelDelay(double after)
{
    CancelFlag flag;
    std::atomic<bool> returned{false};
    std::chrono::steady_clock::time_point end;
    std::thread scan([&] {
        Sweeper::scanLarge(kMinBytes, flag, {});
        end = std::chrono::steady_clock::now();
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::duration<double>(after));
    const auto cancelled = std::chrono::steady_clock::now();
    flag.cancelled = true;
    scan.join();
    return std::chrono::duration<double>(end - cancelled).count();
}

// Processor seconds (user + system) used so far by this process or by its
// finished children: steadier than wall time on a busy machine.
double cpuSeconds(int who)
{
    struct rusage usage {};
    getrusage(who, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Peak resident memory in KiB of one run of the tool with these arguments
// (output thrown away), from the kernel's accounting of that child alone.
long peakMemoryKiB(const std::vector<std::string>& args)
{
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        std::vector<char*> argv;
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv)
{
    bool million = false;
    fs::path root = "/tmp/quillmoor-large-bench";
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--million")
            million = true;
        else
            root = argv[i];
    }
    const fs::path home = root / "home";
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
    QCoreApplication app(argc, argv);
    makeHome(home);

    const QString homeText = QString::fromStdString(home.native());
    const QString size = QStringLiteral("+%1c").arg(kMinBytes - 1);  // at least kMinBytes
    const QStringList plainFind{homeText, "-type", "f", "-size", size};
    // The same skips as the scan, for reference: hidden entries and ~/Library.
    const QStringList prunedFind{homeText, "-mindepth", "1", "(", "-name", ".*", "-o", "-path", homeText + "/Library",
                                 ")", "-prune", "-o", "-type", "f", "-size", size, "-print"};

    // Warm the cache with one untimed pass of each.
    scanCount();
    runFind(plainFind);
    runFind(prunedFind);

    std::vector<double> ours, plain, pruned, ourCpu, plainCpu;
    long long ourCount = 0, plainCount = 0, prunedCount = 0;
    for (int round = 0; round < kRounds; ++round) {
        double cpu = cpuSeconds(RUSAGE_SELF);
        auto start = std::chrono::steady_clock::now();
        ourCount = scanCount();
        ours.push_back(secondsSince(start));
        ourCpu.push_back(cpuSeconds(RUSAGE_SELF) - cpu);

        cpu = cpuSeconds(RUSAGE_CHILDREN);
        start = std::chrono::steady_clock::now();
        plainCount = runFind(plainFind);
        plain.push_back(secondsSince(start));
        plainCpu.push_back(cpuSeconds(RUSAGE_CHILDREN) - cpu);

        start = std::chrono::steady_clock::now();
        prunedCount = runFind(prunedFind);
        pruned.push_back(secondsSince(start));
    }

    // Cold: every run reads from the disk, where the machine allows dropping caches.
    std::string why;
    std::vector<double> coldOurs, coldFind;
    for (int round = 0; round < kColdRounds; ++round) {
        if (!dropCaches(why))
            break;
        auto start = std::chrono::steady_clock::now();
        scanCount();
        coldOurs.push_back(secondsSince(start));
        dropCaches(why);
        start = std::chrono::steady_clock::now();
        runFind(plainFind);
        coldFind.push_back(secondsSince(start));
    }
    // Warm again before the cancel timings.
    scanCount();
    std::vector<double> delays;
    for (double after : {0.01, 0.03, 0.05, 0.08, 0.12})
        delays.push_back(cancelDelay(after));

    const long peak = peakMemoryKiB({QUILLMOOR_CLI, "large", "--min", "100MB"});
    const long bare = peakMemoryKiB({QUILLMOOR_CLI, "--version"});

    std::printf("home:            %s (%d entries, %d visible)\n", home.c_str(), totalEntries(),
                kParts[0].subfolders * (kParts[0].filesEach + 1));
    std::printf("scanLarge:       %8.1f ms median, %8.1f ms best of %d   %lld files >= %lld bytes\n",
                median(ours) * 1000, *std::min_element(ours.begin(), ours.end()) * 1000, kRounds, ourCount,
                static_cast<long long>(kMinBytes));
    std::printf("find -size:      %8.1f ms median, %8.1f ms best of %d   %lld files (hidden and Library included)\n",
                median(plain) * 1000, *std::min_element(plain.begin(), plain.end()) * 1000, kRounds, plainCount);
    std::printf("find, pruned:    %8.1f ms median, %8.1f ms best of %d   %lld files (same skips as the scan)\n",
                median(pruned) * 1000, *std::min_element(pruned.begin(), pruned.end()) * 1000, kRounds, prunedCount);
    std::printf("ratio:           %.2fx find's time, %.2fx the pruned find's (medians)\n",
                median(ours) / median(plain), median(ours) / median(pruned));
    std::printf("processor time:  scanLarge %.1f ms, find -size %.1f ms (medians, user + system): %.2fx\n",
                median(ourCpu) * 1000, median(plainCpu) * 1000, median(ourCpu) / median(plainCpu));
    if (coldOurs.empty())
        std::printf("cold:            skipped (cannot drop the caches here: %s)\n", why.c_str());
    else
        std::printf("cold:            scanLarge %.1f ms, find -size %.1f ms (medians of %zu, caches dropped before each): "
                    "%.2fx\n",
                    median(coldOurs) * 1000, median(coldFind) * 1000, coldOurs.size(),
                    median(coldOurs) / median(coldFind));
    std::printf("cancel:          every thread stopped %.1f ms after the flag was set (worst of %zu, %.1f ms median)\n",
                *std::max_element(delays.begin(), delays.end()) * 1000, delays.size(), median(delays) * 1000);
    std::printf("peak memory:     quillmoor-cli large --min 100MB %ld KiB (quillmoor-cli --version %ld KiB)\n",
                peak, bare);

    if (million) {
        const fs::path big = root / "million";
        makeMillionHome(big);
        setenv("HOME", big.c_str(), 1);
        setenv("XDG_DATA_HOME", (big / ".local/share").c_str(), 1);
        peakMemoryKiB({QUILLMOOR_CLI, "large", "--min", "100MB"});  // warm
        const auto start = std::chrono::steady_clock::now();
        const long millionPeak = peakMemoryKiB({QUILLMOOR_CLI, "large", "--min", "100MB"});
        std::printf("peak memory:     quillmoor-cli large --min 100MB over 1,000,000 entries %ld KiB (%.1f s)\n",
                    millionPeak, secondsSince(start));
    }
    return 0;
}
