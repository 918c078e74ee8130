// Times the space map's measuring of every child of a folder of 201,000
// files beside `du -s --block-size=1` of the same folder, in one run, both on
// a warm cache. The children are uneven, as in a real home folder: one big
// folder, a score of middling ones, many small ones and loose files. The tree
// is made once and reused by later runs.
//
//   space_measure_bench [FOLDER]     (default: /tmp/quillmoor-space-bench)
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>

#include "platform/FS.h"
#include "space/SpaceMeasure.h"

#include "Timing.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRounds = 7;  // alternating, so both see the same cache and load

void makeFiles(const fs::path& folder, int count, int seed)
{
    fs::create_directories(folder);
    const int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    static const std::string content(9000, 'x');
    for (int i = 0; i < count; ++i) {
        const std::string name = "file" + std::to_string(i) + ".dat";
        const int fd = openat(folderFd, name.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        const std::size_t length = 1 + std::size_t(i * 37 + seed * 11) % 9000;  // one to three blocks
        if (write(fd, content.data(), length) < 0)
            std::perror("write");
        close(fd);
    }
    close(folderFd);
}

// 80,000 files in one folder tree, 20 × 5,000, 200 × 100 and 1,000 loose files.
int makeTree(const fs::path& root)
{
    const int files = 80'000 + 20 * 5'000 + 200 * 100 + 1'000;
    if (fs::exists(root / ".complete"))
        return files;
    std::printf("making %d files under %s ...\n", files, root.c_str());
    fs::remove_all(root);
    for (int i = 0; i < 400; ++i)
        makeFiles(root / "big" / ("part" + std::to_string(i / 20)) / ("d" + std::to_string(i)), 200, i);
    for (int i = 0; i < 20; ++i)
        for (int j = 0; j < 10; ++j)
            makeFiles(root / ("medium" + std::to_string(i)) / ("d" + std::to_string(j)), 500, i + j);
    for (int i = 0; i < 200; ++i)
        makeFiles(root / ("small" + std::to_string(i)), 100, i);
    makeFiles(root, 1'000, 7);
    close(open((root / ".complete").c_str(), O_CREAT | O_WRONLY, 0644));
    return files;
}

long long runDu(const fs::path& root)
{
    QProcess du;
    du.start("du", {"-s", "--block-size=1", QString::fromStdString(root.native())});
    if (!du.waitForFinished(-1) || du.exitCode() != 0)
        return -1;
    return du.readAllStandardOutput().split('\t').value(0).toLongLong();
}

// The space map's measuring of every child; returns the sum and the number of hand-overs.
std::pair<long long, int> measureChildren(const fs::path& root)
{
    std::vector<fs::path> children = FS::children(root, true);
    long long total = 0;
    int handOvers = 0;
    Space::measure(children, [&](Space::Batch batch) {
        ++handOvers;
        for (const Space::Measured& result : batch)
            total += result.size;
        return true;
    });
    return {total, handOvers};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const fs::path root = argc > 1 ? fs::path(argv[1]) : fs::path("/tmp/quillmoor-space-bench");
    const int files = makeTree(root);
    const std::size_t children = FS::children(root, true).size();

    measureChildren(root);  // warm the cache with one untimed pass of each
    runDu(root);

    std::vector<double> ours;
    std::vector<double> theirs;
    long long ourTotal = 0;
    long long duTotal = 0;
    int handOvers = 0;
    for (int round = 0; round < kRounds; ++round) {
        auto start = std::chrono::steady_clock::now();
        std::tie(ourTotal, handOvers) = measureChildren(root);
        ours.push_back(secondsSince(start));

        start = std::chrono::steady_clock::now();
        duTotal = runDu(root);
        theirs.push_back(secondsSince(start));
    }

    const double ourTime = median(ours);
    const double duTime = median(theirs);
    std::printf("folder:    %s (%d files in %zu children)\n", root.c_str(), files, children);
    std::printf("space map: %8.1f ms median, %8.1f ms best of %d   total %lld bytes, %d hand-overs (%d threads)\n",
                ourTime * 1000, *std::min_element(ours.begin(), ours.end()) * 1000, kRounds, ourTotal, handOvers,
                FS::sizeWorkers(std::thread::hardware_concurrency()));
    std::printf("du -s:     %8.1f ms median, %8.1f ms best of %d   total %lld bytes (folders' own blocks included)\n",
                duTime * 1000, *std::min_element(theirs.begin(), theirs.end()) * 1000, kRounds, duTotal);
    std::printf("ratio:     %.2fx du's time (medians)\n", ourTime / duTime);
    return 0;
}
