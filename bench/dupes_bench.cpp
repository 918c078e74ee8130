// Times Dupes::scan, the whole duplicate search, over a generated home of
// about 200,000 files (1.7 GB) beside `jdupes -r` and `fdupes -r` over the
// same tree, on a warm cache and (where the machine lets caches be dropped)
// on a cold one; measures the peak memory of `quillmoor-cli dupes` and of
// both tools, and checks that all of them find the same groups.
//
// The home holds files from 1 KB to 50 MB, most of a few KB; a tenth of its
// files lie in sets of 2 to 5 copies in different folders, a few hundred have
// more than one name (hard links), and a few hundred have a twin of the same
// size that differs in one byte (at the start, the end or the middle). Every
// file's bytes come from its own pseudo-random stream, so unrelated files
// never match by chance, and no file is empty. The home is made once and
// reused by later runs; HOME points at the folder holding it meanwhile.
//
//   dupes_bench [FOLDER]     (default: /tmp/quillmoor-dupes-bench; the home is FOLDER/home)
//
// Every tool runs under `dupes_bench --measure ...` (see runMeasured in ChildRun.h), and
// `dupes_bench --scan-only FOLDER` is one search alone, for its peak memory.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <unordered_set>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "engines/dupes/DuplicateScan.h"

#include "ChildRun.h"
#include "Timing.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRounds = 3;      // alternating, so every tool sees the same cache and load
constexpr int kColdRounds = 2;  // caches dropped before each run
constexpr std::int64_t kKB = 1024;
constexpr std::int64_t kMB = 1024 * 1024;

// ---------------------------------------------------------------------------
// The home: what goes where

// How big a part's files are.
enum class Tier { Small, Medium, Big };

// Files of one kind: (outer + a) / (inner + b) / (name + k + ext), for every
// a below outerCount, b below innerCount (no inner folder when inner is
// empty) and k below filesEach.
struct Part {
    const char* outer;
    int outerCount;
    const char* inner;
    int innerCount;
    int filesEach;
    const char* name;
    const char* ext;
    Tier tier;
};

// 185,840 files before the copies, twins and extra names.
constexpr Part kParts[] = {
    {"Projects/app", 60, "src/module", 25, 72, "part", ".cpp", Tier::Small},
    {"Projects/app", 60, ".git/objects/", 10, 25, "obj", "", Tier::Small},
    {".cache/app", 30, "c", 20, 50, "entry", ".bin", Tier::Small},
    {".config/app", 60, "", 1, 50, "settings", ".conf", Tier::Small},
    {".local/share/app", 20, "data", 5, 50, "record", ".db", Tier::Small},
    {"Documents/topic", 20, "year", 10, 100, "note", ".txt", Tier::Small},
    {"Documents/topic", 20, "scans", 1, 50, "scan", ".pdf", Tier::Medium},
    {"Pictures/Camera", 5, "DCIM/10", 4, 100, "IMG_", ".JPG", Tier::Medium},
    {"Music/artist", 20, "album", 3, 12, "track", ".mp3", Tier::Medium},
    {"Downloads/batch", 10, "", 1, 100, "page", ".html", Tier::Small},
    {"Downloads/big", 1, "", 1, 80, "image", ".iso", Tier::Big},
    {"Videos/clips", 1, "", 1, 40, "clip", ".mp4", Tier::Big},
};

// Where the extra copies of a set go, one place after another.
constexpr const char* kCopyPlaces[] = {"Backup/old-laptop", "Documents/copies", "Downloads/again", ".cache/mirror",
                                       "Desktop/sorted"};

constexpr int kSetEvery = 33;           // about one file in 33 gets 1 to 4 extra copies: a tenth of all files
constexpr int kTwins = 300;             // twins: files of an original's size that differ from it in one byte
constexpr int kBigTwins = 30;           // of which twins of big files
constexpr int kMediumTwins = 100;       // and of medium ones
constexpr int kLinks = 300;             // extra names (hard links); every tenth file linked gets a third name
constexpr int kLinksToCopies = 150;     // of which names of the first copy of a set

// A small, fast pseudo-random stream (xorshift64*), seeded through splitmix64
// so that nearby seeds give unrelated streams.
class Stream {
public:
    explicit Stream(std::uint64_t seed)
    {
        seed += 0x9e3779b97f4a7c15ULL;
        seed = (seed ^ (seed >> 30)) * 0xbf58476d1ce4e5b9ULL;
        seed = (seed ^ (seed >> 27)) * 0x94d049bb133111ebULL;
        state_ = (seed ^ (seed >> 31)) | 1;
    }
    std::uint64_t next()
    {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return state_ * 0x2545f4914f6cdd1dULL;
    }
    double unit() { return double(next() >> 11) / double(1ULL << 53); }  // in [0, 1)
    std::size_t below(std::size_t count) { return std::size_t(next() % count); }

private:
    std::uint64_t state_;
};

// Sizes skewed to the small end of each tier: 1-16 KB (most near 1 KB),
// 16 KB-1 MB, 1-50 MB.
std::int64_t sizeFor(Tier tier, Stream& random)
{
    const double u = random.unit();
    switch (tier) {
    case Tier::Small:
        return kKB + std::int64_t(std::pow(u, 6) * 15 * kKB);
    case Tier::Medium:
        return std::int64_t(16 * kKB * std::pow(64.0, std::pow(u, 4)));
    case Tier::Big:
        return std::int64_t(kMB * std::pow(50.0, std::pow(u, 6)));
    }
    return kKB;
}

struct PlannedFile {
    fs::path path;  // below the home
    std::int64_t size = 0;
    std::uint64_t seed = 0;        // the bytes: this seed's stream
    std::int64_t flippedAt = -1;   // a twin: this byte inverted
    Tier tier = Tier::Small;
};

struct Plan {
    std::vector<PlannedFile> files;                      // one per file, each under its first name
    std::vector<std::pair<fs::path, fs::path>> links;   // (a file's name, its extra name)
    int originals = 0;
    int sets = 0;
    int filesInSets = 0;
    int twins[3] = {0, 0, 0};  // differing in the first, the last, the middle block
    int linkedFiles = 0;
    std::int64_t bytes = 0;
    int tierFiles[3] = {0, 0, 0};
    std::int64_t tierBytes[3] = {0, 0, 0};
};

void addFile(Plan& plan, PlannedFile file)
{
    plan.bytes += file.size;
    plan.tierFiles[int(file.tier)] += 1;
    plan.tierBytes[int(file.tier)] += file.size;
    plan.files.push_back(std::move(file));
}

// The originals of every part, each with a size and a stream of its own.
void planOriginals(Plan& plan, Stream& random)
{
    for (const Part& part : kParts)
        for (int a = 0; a < part.outerCount; ++a)
            for (int b = 0; b < part.innerCount; ++b) {
                fs::path folder = part.outer + std::to_string(a);
                if (*part.inner)
                    folder /= part.inner + std::to_string(b);
                for (int k = 0; k < part.filesEach; ++k) {
                    PlannedFile file;
                    file.path = folder / (part.name + std::to_string(k) + part.ext);
                    file.tier = part.tier;
                    file.size = sizeFor(part.tier, random);
                    file.seed = plan.files.size() + 1;
                    addFile(plan, std::move(file));
                }
            }
    plan.originals = int(plan.files.size());
}

// Sets of copies: the same size and stream under other names in other
// folders. Returns the index of each set's first copy.
std::vector<std::size_t> planSets(Plan& plan, Stream& random)
{
    std::vector<std::size_t> firsts;
    for (int i = 0; i < plan.originals; ++i) {
        if (random.below(kSetEvery) != 0)
            continue;
        const int set = plan.sets++;
        const int extra = 1 + int(random.below(4));
        firsts.push_back(std::size_t(i));
        plan.filesInSets += 1 + extra;
        for (int j = 0; j < extra; ++j) {
            PlannedFile copy = plan.files[std::size_t(i)];
            const std::string name = "g" + std::to_string(set) + "-" + copy.path.filename().native();
            copy.path = fs::path(kCopyPlaces[(set + j) % std::size(kCopyPlaces)]) / ("set" + std::to_string(set % 100)) / name;
            addFile(plan, std::move(copy));
        }
    }
    return firsts;
}

// Twins: an original's size and stream with one byte inverted, at its first
// byte, its last or its middle in turn; big and medium files first.
void planTwins(Plan& plan, Stream& random)
{
    std::vector<std::size_t> byTier[3];
    for (int i = 0; i < plan.originals; ++i)
        byTier[int(plan.files[std::size_t(i)].tier)].push_back(std::size_t(i));
    for (int n = 0; n < kTwins; ++n) {
        const Tier tier = n < kBigTwins ? Tier::Big : n < kBigTwins + kMediumTwins ? Tier::Medium : Tier::Small;
        const std::vector<std::size_t>& pool = byTier[int(tier)];
        PlannedFile twin = plan.files[pool[random.below(pool.size())]];
        const int kind = n % 3;
        twin.flippedAt = kind == 0 ? 0 : kind == 1 ? twin.size - 1 : twin.size / 2;
        twin.path = fs::path("Documents/versions/v" + std::to_string(n % 20))
                    / ("t" + std::to_string(n) + "-" + twin.path.filename().native());
        plan.twins[kind] += 1;
        addFile(plan, std::move(twin));
    }
}

// Extra names: of the first copies of sets, and of files that have no copy.
void planLinks(Plan& plan, const std::vector<std::size_t>& setFirsts, Stream& random)
{
    const std::set<std::size_t> inSets(setFirsts.begin(), setFirsts.end());
    std::set<std::size_t> linked;
    for (int n = 0; n < kLinks; ++n) {
        std::size_t index = 0;
        do {
            index = n < kLinksToCopies ? setFirsts[random.below(setFirsts.size())]
                                       : std::size_t(random.below(std::size_t(plan.originals)));
        } while (linked.count(index) || (n >= kLinksToCopies && inSets.count(index)));
        linked.insert(index);
        const fs::path& name = plan.files[index].path;
        const std::string base = "h" + std::to_string(n) + "-" + name.filename().native();
        plan.links.emplace_back(name, fs::path("Shared/links" + std::to_string(n % 20)) / base);
        if (n % 10 == 0)
            plan.links.emplace_back(name, fs::path("Shared/more") / ("b" + base));
    }
    plan.linkedFiles = int(linked.size());
}

Plan makePlan()
{
    Plan plan;
    Stream random(2024);
    planOriginals(plan, random);
    const std::vector<std::size_t> firsts = planSets(plan, random);
    planTwins(plan, random);
    planLinks(plan, firsts, random);
    return plan;
}

// ---------------------------------------------------------------------------
// Making the home

// Writes `file` under `home`: its stream's bytes, one inverted for a twin.
bool writeFile(const fs::path& home, const PlannedFile& file, std::vector<std::uint64_t>& block)
{
    const int fd = open((home / file.path).c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    Stream stream(file.seed);
    char* bytes = reinterpret_cast<char*>(block.data());
    const std::int64_t blockBytes = std::int64_t(block.size() * sizeof(std::uint64_t));
    bool ok = true;
    for (std::int64_t offset = 0; ok && offset < file.size; offset += blockBytes) {
        const std::int64_t length = std::min(blockBytes, file.size - offset);
        for (std::size_t i = 0; i < std::size_t((length + 7) / 8); ++i)
            block[i] = stream.next();
        if (file.flippedAt >= offset && file.flippedAt < offset + length)
            bytes[file.flippedAt - offset] ^= char(0xff);
        ok = write(fd, bytes, std::size_t(length)) == length;
    }
    return close(fd) == 0 && ok;
}

void makeFolderOnce(const fs::path& folder, std::unordered_set<std::string>& made)
{
    if (made.insert(folder.native()).second)
        fs::create_directories(folder);
}

// What the marker holds: enough of the plan to tell a home made from another one.
std::string fingerprint(const Plan& plan)
{
    return std::to_string(plan.files.size()) + " files, " + std::to_string(plan.links.size()) + " extra names, "
           + std::to_string(plan.bytes) + " bytes";
}

// Makes the home unless a finished one of this plan is already there
// (marked by ".complete" beside it, outside the searched tree).
void makeHome(const fs::path& root, const fs::path& home, const Plan& plan)
{
    std::string made;
    std::getline(std::ifstream(root / ".complete"), made);
    if (made == fingerprint(plan))
        return;
    std::printf("making %zu files under %s ...\n", plan.files.size(), home.c_str());
    std::fflush(stdout);
    const auto start = std::chrono::steady_clock::now();
    fs::remove_all(home);
    fs::remove(root / ".complete");
    std::unordered_set<std::string> folders;
    std::vector<std::uint64_t> block(kMB / sizeof(std::uint64_t));
    for (const PlannedFile& file : plan.files) {
        makeFolderOnce((home / file.path).parent_path(), folders);
        if (!writeFile(home, file, block)) {
            std::perror(file.path.c_str());
            std::exit(1);
        }
    }
    for (const auto& [name, extra] : plan.links) {
        makeFolderOnce((home / extra).parent_path(), folders);
        fs::create_hard_link(home / name, home / extra);
    }
    sync();
    std::ofstream(root / ".complete") << fingerprint(plan) << '\n';
    std::printf("made in %.1f s\n", secondsSince(start));
}

std::string gb(std::int64_t bytes)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.2f GB", double(bytes) / 1e9);
    return text;
}

void printPlan(const fs::path& home, const Plan& plan)
{
    std::printf("home:            %s\n", home.c_str());
    std::printf("files:           %zu files (%zu names with the extra ones), %s (%lld bytes), none empty\n",
                plan.files.size(), plan.files.size() + plan.links.size(), gb(plan.bytes).c_str(),
                static_cast<long long>(plan.bytes));
    const char* tiers[] = {"1-16 KB", "16 KB-1 MB", "1-50 MB"};
    for (int t = 0; t < 3; ++t)
        std::printf("  %-12s   %7d files, %s\n", tiers[t], plan.tierFiles[t], gb(plan.tierBytes[t]).c_str());
    std::printf("  copies:        %d sets of 2 to 5 copies, %d files in them (%.1f %% of all files)\n", plan.sets,
                plan.filesInSets, 100.0 * plan.filesInSets / double(plan.files.size()));
    std::printf("  twins:         %d files of an original's size differing in one byte (%d first, %d last, %d middle)\n",
                kTwins, plan.twins[0], plan.twins[1], plan.twins[2]);
    std::printf("  hard links:    %zu extra names of %d files (%d of them first copies of a set)\n", plan.links.size(),
                plan.linkedFiles, kLinksToCopies);
}

// ---------------------------------------------------------------------------
// Running and timing

double cpuOfThisProcess()
{
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return cpuSeconds(usage);
}

// One whole search in this process, as the window runs it.
Run runOurs(const fs::path& home, Dupes::ScanResult& result)
{
    Dupes::ScanOptions options;
    options.walk.minBytes = 1;
    options.walk.hidden = true;
    CancelFlag flag;
    Run run;
    result = {};  // the last search's groups are freed before the clock starts
    const double cpu = cpuOfThisProcess();
    const auto start = std::chrono::steady_clock::now();
    result = Dupes::scan(home, options, flag);
    run.seconds = secondsSince(start);
    run.cpu = cpuOfThisProcess() - cpu;
    run.status = 0;
    return run;
}

// The runs of one tool, warm and cold.
struct Timings {
    std::vector<Run> warm, cold;
};

double medianSeconds(const std::vector<Run>& runs)
{
    std::vector<double> values;
    for (const Run& run : runs)
        values.push_back(run.seconds);
    return values.empty() ? 0 : median(values);
}

double medianCpu(const std::vector<Run>& runs)
{
    std::vector<double> values;
    for (const Run& run : runs)
        values.push_back(run.cpu);
    return values.empty() ? 0 : median(values);
}

long largestPeak(const Timings& timings)
{
    long peak = -1;
    for (const std::vector<Run>* runs : {&timings.warm, &timings.cold})
        for (const Run& run : *runs)
            peak = std::max(peak, run.peakKiB);
    return peak;
}

// ---------------------------------------------------------------------------
// Comparing groups

// A file, whatever name it was met by.
using FileKey = std::pair<dev_t, ino_t>;

// Groups as sets of files. Names are turned into files (device and inode)
// so that every side counts a file with several names once: the engine
// lists each file once (its first name, the others aside); fdupes lists one
// name of each file; jdupes (without -H) never pairs two names of one file
// but still lists a second name of a file when that name matched another
// file of the group first (a name linked to the group's first file is left
// out, names linked to the others are not). A group with fewer than two
// files left is no group.
struct FileGroups {
    std::set<std::vector<FileKey>> groups;
    std::map<FileKey, std::string> names;  // the first name of each file, to show
    int extraNames = 0;                    // second names of a file already in its group
    int unknown = 0;                       // names that no longer exist
};

FileGroups filesOf(const std::vector<std::vector<std::string>>& pathGroups)
{
    FileGroups found;
    for (const std::vector<std::string>& paths : pathGroups) {
        std::set<FileKey> files;
        for (const std::string& path : paths) {
            struct stat info;
            if (lstat(path.c_str(), &info) != 0) {
                found.unknown += 1;
                continue;
            }
            const FileKey key{info.st_dev, info.st_ino};
            if (!files.insert(key).second)
                found.extraNames += 1;
            auto [at, added] = found.names.try_emplace(key, path);
            if (!added && path < at->second)
                at->second = path;
        }
        if (files.size() >= 2)
            found.groups.emplace(files.begin(), files.end());
    }
    return found;
}

// Groups as jdupes and fdupes print them: one name a line, a blank line after each group.
std::vector<std::vector<std::string>> readToolGroups(const fs::path& file)
{
    std::vector<std::vector<std::string>> groups(1);
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        if (line.empty()) {
            if (!groups.back().empty())
                groups.emplace_back();
        } else {
            groups.back().push_back(line);
        }
    }
    if (groups.back().empty())
        groups.pop_back();
    return groups;
}

std::vector<std::vector<std::string>> ourGroups(const Dupes::ScanResult& result)
{
    std::vector<std::vector<std::string>> groups;
    for (const Dupes::Group& group : result.groups) {
        std::vector<std::string> paths;
        for (const Dupes::ShownCopy& shown : group.copies)
            paths.push_back(shown.copy.file.path);
        groups.push_back(std::move(paths));
    }
    return groups;
}

// Groups as `quillmoor-cli dupes --json` prints them: a list of groups, each
// with its copies' paths.
std::vector<std::vector<std::string>> readCliGroups(const fs::path& file)
{
    QFile in(QString::fromStdString(file.native()));
    std::vector<std::vector<std::string>> groups;
    if (!in.open(QIODevice::ReadOnly))
        return groups;
    for (const QJsonValue& group : QJsonDocument::fromJson(in.readAll()).array()) {
        std::vector<std::string> paths;
        for (const QJsonValue& copy : group.toObject().value("copies").toArray())
            paths.push_back(copy.toObject().value("path").toString().toStdString());
        groups.push_back(std::move(paths));
    }
    return groups;
}

void printGroup(const char* side, const std::vector<FileKey>& group, const FileGroups& names)
{
    std::printf("    only %s:", side);
    for (const FileKey& key : group)
        std::printf(" %s", names.names.at(key).c_str());
    std::printf("\n");
}

// Prints whether both sides found the same groups, else the first few
// groups found by one side only.
void compareGroups(const char* theirName, const FileGroups& ours, const FileGroups& theirs)
{
    if (ours.groups == theirs.groups) {
        std::printf("same groups as %s: yes (%zu groups)\n", theirName, ours.groups.size());
        return;
    }
    std::vector<std::vector<FileKey>> onlyOurs, onlyTheirs;
    std::set_difference(ours.groups.begin(), ours.groups.end(), theirs.groups.begin(), theirs.groups.end(),
                        std::back_inserter(onlyOurs));
    std::set_difference(theirs.groups.begin(), theirs.groups.end(), ours.groups.begin(), ours.groups.end(),
                        std::back_inserter(onlyTheirs));
    std::printf("same groups as %s: no (ours %zu, %s %zu; %zu only ours, %zu only %s)\n", theirName,
                ours.groups.size(), theirName, theirs.groups.size(), onlyOurs.size(), onlyTheirs.size(), theirName);
    for (std::size_t i = 0; i < std::min<std::size_t>(onlyOurs.size(), 3); ++i)
        printGroup("ours", onlyOurs[i], ours);
    for (std::size_t i = 0; i < std::min<std::size_t>(onlyTheirs.size(), 3); ++i)
        printGroup(theirName, onlyTheirs[i], theirs);
}

// ---------------------------------------------------------------------------
// Printing

void printTimes(const char* name, const Timings& timings, bool cold)
{
    const std::vector<Run>& runs = cold ? timings.cold : timings.warm;
    if (runs.empty())
        return;
    std::printf("  %-24s %9.1f ms  (processor %9.1f ms)\n", name, medianSeconds(runs) * 1000, medianCpu(runs) * 1000);
}

std::string memoryText(long kib)
{
    if (kib < 0)
        return "-";
    char text[64];
    std::snprintf(text, sizeof text, "%.1f MiB", double(kib) / 1024);
    return text;
}

// "0.42x the fastest (jdupes)": ours over the faster of the two tools.
void printRatio(const char* label, double ours, double jdupes, double fdupes)
{
    const bool jdupesFaster = jdupes > 0 && (fdupes <= 0 || jdupes <= fdupes);
    const double fastest = jdupesFaster ? jdupes : fdupes;
    if (fastest <= 0) {
        std::printf("%s -\n", label);
        return;
    }
    std::printf("%s %.2fx the fastest (%s)\n", label, ours / fastest, jdupesFaster ? "jdupes" : "fdupes");
}

// The machine's load over the last minute: other work running beside the
// benchmark shows in its figures.
double loadAverage()
{
    double load = -1;
    std::ifstream("/proc/loadavg") >> load;
    return load;
}

// The first line of a file, or nothing.
std::string firstLine(const fs::path& file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

} // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> measured = measureModeOf(argc, argv))
        return *measured;
    if (argc > 2 && std::string(argv[1]) == "--scan-only") {
        // One search in a process of its own, for the engine's peak memory.
        QCoreApplication app(argc, argv);
        Dupes::ScanResult result;
        runOurs(argv[2], result);
        std::printf("%zu groups\n", result.groups.size());
        return 0;
    }
    const fs::path root = argc > 1 ? fs::path(argv[1]) : fs::path("/tmp/quillmoor-dupes-bench");
    const fs::path home = root / "home";
    fs::create_directories(root);
    // HOME is the folder that holds the tree: settings and caches any run
    // writes land beside the tree, never in the real home nor among the
    // files searched.
    setenv("HOME", root.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / ".config").c_str(), 1);
    setenv("XDG_DATA_HOME", (root / ".local/share").c_str(), 1);
    setenv("XDG_CACHE_HOME", (root / ".cache").c_str(), 1);
    QCoreApplication app(argc, argv);

    const Plan plan = makePlan();
    makeHome(root, home, plan);
    printPlan(home, plan);
    std::fflush(stdout);

    const fs::path jdupesOut = root / "jdupes.txt", fdupesOut = root / "fdupes.txt", cliOut = root / "cli.json";
    const fs::path cliErr = root / "cli.err", nowhere = "/dev/null";
    const std::vector<std::string> jdupes{"jdupes", "-r", home.native()};
    const std::vector<std::string> fdupes{"fdupes", "-r", home.native()};
    const std::vector<std::string> cli{QUILLMOOR_CLI, "dupes", home.native(), "--min", "0", "--hidden", "--json"};

    const double loadBefore = loadAverage();
    // One untimed pass of each warms the cache and tells whether the command
    // line has the dupes command yet.
    Dupes::ScanResult result;
    runOurs(home, result);
    const bool haveJdupes = runMeasured(jdupes, jdupesOut, nowhere).status == 0;
    const bool haveFdupes = runMeasured(fdupes, fdupesOut, nowhere).status == 0;
    const Run firstCli = runMeasured(cli, cliOut, cliErr);
    const bool haveCli = firstCli.status == 0;
    if (!haveJdupes || !haveFdupes)
        std::printf("note:            %s%s did not run\n", haveJdupes ? "" : "jdupes ", haveFdupes ? "" : "fdupes");
    if (!haveCli)
        std::printf("note:            quillmoor-cli dupes is not usable yet (exit %d: %s); its figures are left out\n",
                    firstCli.status, firstLine(cliErr).c_str());
    std::fflush(stdout);

    Timings ours, jd, fd, ourCli;
    for (int round = 0; round < kRounds; ++round) {
        ours.warm.push_back(runOurs(home, result));
        if (haveJdupes)
            jd.warm.push_back(runMeasured(jdupes, jdupesOut, nowhere));
        if (haveFdupes)
            fd.warm.push_back(runMeasured(fdupes, fdupesOut, nowhere));
        if (haveCli)
            ourCli.warm.push_back(runMeasured(cli, cliOut, cliErr));
    }

    // Cold: every run reads from the disk, where the machine allows dropping caches.
    std::string why;
    bool cold = true;
    for (int round = 0; cold && round < kColdRounds; ++round) {
        Dupes::ScanResult coldResult;
        if ((cold = dropCaches(why)))
            ours.cold.push_back(runOurs(home, coldResult));
        if (cold && haveJdupes && (cold = dropCaches(why)))
            jd.cold.push_back(runMeasured(jdupes, jdupesOut, nowhere));
        if (cold && haveFdupes && (cold = dropCaches(why)))
            fd.cold.push_back(runMeasured(fdupes, fdupesOut, nowhere));
        if (cold && haveCli && (cold = dropCaches(why)))
            ourCli.cold.push_back(runMeasured(cli, cliOut, cliErr));
    }
    const fs::path self = fs::read_symlink("/proc/self/exe");
    const long scanPeak = runMeasured({self.native(), "--scan-only", home.native()}, nowhere, nowhere).peakKiB;
    const long barePeak = runMeasured({QUILLMOOR_CLI, "--version"}, nowhere, nowhere).peakKiB;

    std::printf("tree:            %zu files under %zu names, %s; the search took %lld names, found %zu groups, "
                "%d unreadable\n",
                plan.files.size(), plan.files.size() + plan.links.size(), gb(plan.bytes).c_str(),
                static_cast<long long>(result.files), result.groups.size(), result.unreadable);
    std::printf("machine:         %u processors, load average %.2f before the runs, %.2f after\n",
                std::thread::hardware_concurrency(), loadBefore, loadAverage());
    std::printf("warm:            medians of %d runs, alternating\n", kRounds);
    printTimes("ours (Dupes::scan)", ours, false);
    printTimes("jdupes -r", jd, false);
    printTimes("fdupes -r", fd, false);
    printTimes("quillmoor-cli dupes", ourCli, false);
    if (ours.cold.empty()) {
        std::printf("cold:            skipped (cannot drop the caches here: %s)\n", why.c_str());
    } else {
        std::printf("cold:            medians of %zu runs, caches dropped before each\n", ours.cold.size());
        printTimes("ours (Dupes::scan)", ours, true);
        printTimes("jdupes -r", jd, true);
        printTimes("fdupes -r", fd, true);
        printTimes("quillmoor-cli dupes", ourCli, true);
    }
    std::printf("peak memory:     quillmoor-cli dupes %s, jdupes %s, fdupes %s\n",
                haveCli ? memoryText(largestPeak(ourCli)).c_str() : "- (no dupes command yet)",
                memoryText(largestPeak(jd)).c_str(), memoryText(largestPeak(fd)).c_str());
    std::printf("                 (Dupes::scan in a process of its own %s, quillmoor-cli --version %s)\n",
                memoryText(scanPeak).c_str(), memoryText(barePeak).c_str());

    const FileGroups ourFiles = filesOf(ourGroups(result));
    std::size_t withOtherNames = 0;
    for (const Dupes::Group& group : result.groups)
        for (const Dupes::ShownCopy& shown : group.copies)
            withOtherNames += shown.copy.otherNames.empty() ? 0 : 1;
    std::printf("hard links:      %zu copies in our groups carry other names", withOtherNames);
    if (haveJdupes) {
        const FileGroups jdupesFiles = filesOf(readToolGroups(jdupesOut));
        std::printf("; jdupes listed %d second names of files already in their group", jdupesFiles.extraNames);
        if (haveFdupes)
            std::printf(", fdupes %d", filesOf(readToolGroups(fdupesOut)).extraNames);
        std::printf(" (every side compared as files)\n");
        compareGroups("jdupes", ourFiles, jdupesFiles);
    } else {
        std::printf("\n");
    }
    if (haveFdupes)
        compareGroups("fdupes", ourFiles, filesOf(readToolGroups(fdupesOut)));
    if (haveCli)
        compareGroups("quillmoor-cli dupes --json", ourFiles, filesOf(readCliGroups(cliOut)));

    printRatio("ratio:", medianSeconds(ours.warm), medianSeconds(jd.warm), medianSeconds(fd.warm));
    if (!ours.cold.empty())
        printRatio("cold ratio:", medianSeconds(ours.cold), medianSeconds(jd.cold), medianSeconds(fd.cold));
    return 0;
}
