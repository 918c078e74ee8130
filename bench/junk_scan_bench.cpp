// Times Sweeper::scanJunk over a fixture home whose junk folders hold 100,000
// files, beside one `du -s` over the same folders, both on a warm cache and
// (where the machine lets caches be dropped) on a cold one, and the in-use
// check's reading of 300 processes' /proc entries (a fixture /proc tree, 20
// open files each). The home is made once per profile and reused by later
// runs; HOME, XDG_DATA_HOME and XDG_CACHE_HOME point at it while the
// benchmark runs. Last, the system's part of this machine (linux): each part's
// time, and the home folder's groups with and without it beside them, and
// beside the container tool's part alone.
//
//   junk_scan_bench [--profile linux|macos] [FOLDER]   (default: linux, /tmp/quillmoor-junk-bench)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>

#include "engines/junk/JunkScan.h"
#include "platform/Processes.h"
#include "profiles/Profile.h"

#include "Timing.h"

namespace fs = std::filesystem;

namespace {

// Where the files go: a junk folder, how many subfolders (each with an
// optional folder inside), files in each.
struct Part {
    const char* folder;  // under the home folder
    int subfolders;
    int filesEach;
    const char* inside = "";
};

// macOS: 50,000 + 20,000 + 10,000 + 10,000 + 10,000 = 100,000 files.
const std::vector<Part> kMacParts = {
    {".cache", 200, 250},
    {"Library/Caches", 100, 200},
    {".npm/_cacache", 20, 500},
    {".gradle/caches", 20, 500},
    {".local/share/Trash/files", 50, 200},
};
// Linux: 37,500 + 10,000 + 12,500 + 5,000 + 10,000 + 10,000 + 5,000 + 10,000 = 100,000 files.
const std::vector<Part> kLinuxParts = {
    {".cache", 150, 250},
    {".cache/thumbnails", 20, 500},
    {".cache/spotify", 25, 500},
    {".cache/huggingface", 10, 500},
    {".npm/_cacache", 20, 500},
    {".gradle/caches", 20, 500},
    {".var/app", 20, 250, "cache"},
    {".local/share/Trash/files", 50, 200},
};
constexpr int kRounds = 7;  // alternating, so both see the same cache and load
constexpr int kColdRounds = 2;
constexpr int kProcesses = 300;
constexpr int kOpenFilesEach = 20;

int totalFiles(const std::vector<Part>& parts)
{
    int sum = 0;
    for (const Part& part : parts)
        sum += part.subfolders * part.filesEach;
    return sum;
}

// Makes the home unless a finished one is already there (marked by ".complete").
void makeHome(const fs::path& home, const std::vector<Part>& parts)
{
    if (fs::exists(home / ".complete"))
        return;
    std::printf("making %d files under %s ...\n", totalFiles(parts), home.c_str());
    fs::remove_all(home);
    const std::string content(3000, 'x');
    for (const Part& part : parts) {
        for (int sub = 0; sub < part.subfolders; ++sub) {
            const fs::path folder = home / part.folder / ("entry" + std::to_string(sub)) / part.inside;
            fs::create_directories(folder);
            const int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
            for (int file = 0; file < part.filesEach; ++file) {
                const std::string name = "file" + std::to_string(file) + ".bin";
                const int fd = openat(folderFd, name.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
                const std::size_t length = 1 + std::size_t(file * 37 + sub * 11) % content.size();
                if (write(fd, content.data(), length) < 0)
                    std::perror("write");
                close(fd);
            }
            close(folderFd);
        }
    }
    close(open((home / ".complete").c_str(), O_CREAT | O_WRONLY, 0644));
}

// A /proc-like tree of `kProcesses` processes of this user, each with a
// name, a working folder and `kOpenFilesEach` open files, some inside the
// cache folder.
void makeProc(const fs::path& proc, const fs::path& home)
{
    if (fs::exists(proc / ".complete"))
        return;
    fs::remove_all(proc);
    for (int pid = 1000; pid < 1000 + kProcesses; ++pid) {
        const fs::path process = proc / std::to_string(pid);
        fs::create_directories(process / "fd");
        FILE* comm = std::fopen((process / "comm").c_str(), "w");
        std::fprintf(comm, "worker%d\n", pid);
        std::fclose(comm);
        fs::create_symlink(home / "Documents", process / "cwd");
        for (int fd = 0; fd < kOpenFilesEach; ++fd) {
            const fs::path target = fd % 5 == 0 ? home / ".cache" / ("entry" + std::to_string(pid % 150)) / "file0.bin"
                                                : fs::path("/usr/lib/file" + std::to_string(fd));
            fs::create_symlink(target, process / "fd" / std::to_string(fd));
        }
    }
    close(open((proc / ".complete").c_str(), O_CREAT | O_WRONLY, 0644));
}

// The top folders of the parts (none inside another): what du is given.
QStringList partFolders(const fs::path& home, const std::vector<Part>& parts)
{
    QStringList folders;
    for (const Part& part : parts) {
        const std::string folder = part.folder;
        const bool inner = std::any_of(parts.begin(), parts.end(), [&](const Part& other) {
            const std::string outer = std::string(other.folder) + "/";
            return folder.compare(0, outer.size(), outer) == 0;
        });
        if (!inner)
            folders << QString::fromStdString((home / folder).native());
    }
    return folders;
}

// One `du -s -c --block-size=1` over all the folders; its grand total (-1 on failure).
long long runDu(const QStringList& folders)
{
    QProcess du;
    du.start("du", QStringList{"-s", "-c", "--block-size=1"} + folders);
    if (!du.waitForFinished(-1) || du.exitCode() != 0)
        return -1;
    const QList<QByteArray> lines = du.readAllStandardOutput().trimmed().split('\n');
    return lines.last().split('\t').value(0).toLongLong();
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

long long scanTotal(const Profiles::Profile& profile, const fs::path& proc)
{
    long long sum = 0;
    for (const JunkGroup& group : Sweeper::scanJunk(profile.junk.rules(), {}, {}, proc).groups)
        sum += group.total();
    return sum;
}

} // namespace

// The system's part (the linux profile): each part alone, then the whole
// scan as the window runs it, the parts on their own threads beside the home
// folder's walk, against the home folder's walk alone.
void benchSystemPart(const Profiles::Profile& profile, const fs::path& proc)
{
    const Profiles::JunkCatalogue& catalogue = profile.junk;
    if (!catalogue.systemPart)
        return;
    const char* names[] = {"folders", "snap", "flatpak", "apt", "podman", "docker", "snapshots"};
    static_assert(std::size(names) == std::size(SystemJunk::kParts));
    constexpr int kSystemRounds = 3;
    std::vector<std::vector<double>> partTimes(std::size(SystemJunk::kParts));
    std::vector<double> alone, homeBeside, whole, homeBesideContainers;
    for (int round = 0; round < kSystemRounds; ++round) {
        for (SystemJunk::Part part : SystemJunk::kParts) {
            const auto start = std::chrono::steady_clock::now();
            catalogue.systemPart(part, {});
            partTimes[std::size_t(part)].push_back(secondsSince(start));
        }

        auto start = std::chrono::steady_clock::now();
        scanTotal(profile, proc);
        alone.push_back(secondsSince(start));

        start = std::chrono::steady_clock::now();
        std::vector<std::future<JunkFound>> parts;
        const NeverTouchList none;
        for (SystemJunk::Part part : SystemJunk::kParts)
            parts.push_back(std::async(std::launch::async, catalogue.systemPart, part, std::cref(none)));
        scanTotal(profile, proc);
        homeBeside.push_back(secondsSince(start));
        for (auto& part : parts)
            part.get();
        whole.push_back(secondsSince(start));

        // The container tools alone beside the home folder's groups.
        start = std::chrono::steady_clock::now();
        auto podman = std::async(std::launch::async, catalogue.systemPart, SystemJunk::Part::Podman, std::cref(none));
        auto docker = std::async(std::launch::async, catalogue.systemPart, SystemJunk::Part::Docker, std::cref(none));
        scanTotal(profile, proc);
        homeBesideContainers.push_back(secondsSince(start));
        podman.get();
        docker.get();
    }
    double slowest = 0;
    for (SystemJunk::Part part : SystemJunk::kParts) {
        const double took = median(partTimes[std::size_t(part)]);
        slowest = std::max(slowest, took);
        std::printf("system part:  %-8s %8.1f ms alone (median of %d)\n", names[int(part)], took * 1000, kSystemRounds);
    }
    std::printf("home groups:  %8.1f ms alone, %8.1f ms beside the system part (medians): %+.1f %%\n",
                median(alone) * 1000, median(homeBeside) * 1000, (median(homeBeside) / median(alone) - 1) * 100);
    std::printf("home groups:  %8.1f ms beside the container parts alone (podman %.1f ms, docker %.1f ms): %+.1f %%\n",
                median(homeBesideContainers) * 1000, median(partTimes[std::size_t(SystemJunk::Part::Podman)]) * 1000,
                median(partTimes[std::size_t(SystemJunk::Part::Docker)]) * 1000,
                (median(homeBesideContainers) / median(alone) - 1) * 100);
    std::printf("whole scan:   %8.1f ms (median), slowest part alone %.1f ms: %+.1f %%\n", median(whole) * 1000,
                slowest * 1000, (median(whole) / slowest - 1) * 100);
}

int main(int argc, char** argv)
{
    QString profileName = QStringLiteral("linux");
    fs::path root = "/tmp/quillmoor-junk-bench";
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--profile" && i + 1 < argc)
            profileName = QString::fromUtf8(argv[++i]);
        else
            root = argv[i];
    }
    const Profiles::Profile* profile = Profiles::byName(profileName);
    if (!profile) {
        std::fprintf(stderr, "junk_scan_bench: no profile %s\n", qPrintable(profileName));
        return 2;
    }
    const std::vector<Part>& parts = profile->name == "linux" ? kLinuxParts : kMacParts;
    const fs::path home = root / ("home-" + profile->name.toStdString());
    const fs::path proc = root / "proc";
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
    setenv("XDG_CACHE_HOME", (home / ".cache").c_str(), 1);
    QCoreApplication app(argc, argv);
    makeHome(home, parts);
    makeProc(proc, home);
    Profiles::choose(profile->name);

    const QStringList folders = partFolders(home, parts);
    // Warm the cache with one untimed pass of each.
    scanTotal(*profile, proc);
    runDu(folders);

    std::vector<double> ours;
    std::vector<double> theirs;
    std::vector<double> inUse;
    long long ourTotal = 0;
    long long duTotal = 0;
    std::vector<double> ourCpu;
    std::vector<double> duCpu;
    std::size_t held = 0;
    for (int round = 0; round < kRounds; ++round) {
        double cpu = cpuSeconds(RUSAGE_SELF);
        auto start = std::chrono::steady_clock::now();
        ourTotal = scanTotal(*profile, proc);
        ours.push_back(secondsSince(start));
        ourCpu.push_back(cpuSeconds(RUSAGE_SELF) - cpu);

        cpu = cpuSeconds(RUSAGE_CHILDREN);
        start = std::chrono::steady_clock::now();
        duTotal = runDu(folders);
        theirs.push_back(secondsSince(start));
        duCpu.push_back(cpuSeconds(RUSAGE_CHILDREN) - cpu);

        start = std::chrono::steady_clock::now();
        held = Processes::heldPlaces(proc).size();
        inUse.push_back(secondsSince(start));
    }

    // Cold: every run reads from the disk, where the machine allows dropping
    // caches. The fixture /proc lies on the disk too (its 6,000 links read
    // cold), where a real one never does: the scan is also timed with this
    // machine's /proc.
    std::string why;
    std::vector<double> coldOurs, coldRealProc, coldDu;
    for (int round = 0; round < kColdRounds; ++round) {
        if (!dropCaches(why))
            break;
        auto start = std::chrono::steady_clock::now();
        scanTotal(*profile, proc);
        coldOurs.push_back(secondsSince(start));
        dropCaches(why);
        start = std::chrono::steady_clock::now();
        scanTotal(*profile, "/proc");
        coldRealProc.push_back(secondsSince(start));
        dropCaches(why);
        start = std::chrono::steady_clock::now();
        runDu(folders);
        coldDu.push_back(secondsSince(start));
    }
    auto start = std::chrono::steady_clock::now();
    const std::size_t heldHere = Processes::heldPlaces().size();
    const double here = secondsSince(start);

    const double ourTime = median(ours);
    const double duTime = median(theirs);
    std::printf("profile:      %s\n", qPrintable(profile->name));
    std::printf("home:         %s (%d files in %lld top folders)\n", home.c_str(), totalFiles(parts),
                static_cast<long long>(folders.size()));
    std::printf("scanJunk:     %8.1f ms median, %8.1f ms best of %d   total %lld bytes (in-use check included)\n",
                ourTime * 1000, *std::min_element(ours.begin(), ours.end()) * 1000, kRounds, ourTotal);
    std::printf("du -s -c:     %8.1f ms median, %8.1f ms best of %d   total %lld bytes (folders' own blocks included)\n",
                duTime * 1000, *std::min_element(theirs.begin(), theirs.end()) * 1000, kRounds, duTotal);
    std::printf("ratio:        %.2fx du's time (medians)\n", ourTime / duTime);
    std::printf("processor:    scanJunk %.1f ms, du -s -c %.1f ms (medians, user + system): %.2fx\n",
                median(ourCpu) * 1000, median(duCpu) * 1000, median(ourCpu) / median(duCpu));
    if (coldOurs.empty())
        std::printf("cold:         skipped (cannot drop the caches here: %s)\n", why.c_str());
    else
        std::printf("cold:         scanJunk %.1f ms (%.1f ms with this machine's /proc), du -s -c %.1f ms "
                    "(medians of %zu, caches dropped before each): %.2fx (%.2fx)\n",
                    median(coldOurs) * 1000, median(coldRealProc) * 1000, median(coldDu) * 1000, coldOurs.size(),
                    median(coldOurs) / median(coldDu), median(coldRealProc) / median(coldDu));
    std::printf("in-use check: %8.1f ms median for %d processes (%zu held places); this machine's /proc: %.1f ms "
                "(%zu held places)\n",
                median(inUse) * 1000, kProcesses, held, here * 1000, heldHere);
    benchSystemPart(*profile, proc);
    return 0;
}
