// Times FS::size over a tree of 200,000 files beside `du -s` over the same tree,
// both on a warm cache, and FS::size on one thread for comparison. The tree is
// made once and reused by later runs.
//
//   fs_size_bench [FOLDER]     (default: /tmp/quillmoor-fs-bench)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>

#include "platform/FS.h"

#include "Timing.h"

namespace fs = std::filesystem;

namespace {

constexpr int kTopFolders = 40;
constexpr int kSubFolders = 25;
constexpr int kFilesPerFolder = 200;  // 40 x 25 x 200 = 200,000 files
constexpr int kRounds = 9;  // alternating, so both see the same cache and load

// Makes the tree unless a finished one is already there (marked by ".complete").
void makeTree(const fs::path& root)
{
    if (fs::exists(root / ".complete"))
        return;
    std::printf("making %d files under %s ...\n", kTopFolders * kSubFolders * kFilesPerFolder, root.c_str());
    fs::remove_all(root);
    const std::string content(3000, 'x');
    for (int top = 0; top < kTopFolders; ++top) {
        for (int sub = 0; sub < kSubFolders; ++sub) {
            const fs::path folder = root / ("top" + std::to_string(top)) / ("sub" + std::to_string(sub));
            fs::create_directories(folder);
            const int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
            for (int file = 0; file < kFilesPerFolder; ++file) {
                const std::string name = "file" + std::to_string(file) + ".dat";
                const int fd = openat(folderFd, name.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
                // Sizes from 1 byte to 9 KB, so files take one to three blocks.
                const std::size_t length = 1 + std::size_t(file * 37 + sub * 11 + top) % 9000;
                if (write(fd, content.data(), std::min(length, content.size())) < 0)
                    std::perror("write");
                close(fd);
            }
            close(folderFd);
        }
    }
    close(open((root / ".complete").c_str(), O_CREAT | O_WRONLY, 0644));
}

// Runs `du -s --block-size=1 root` as a child process; returns its total (-1 on failure).
long long runDu(const fs::path& root)
{
    QProcess du;
    du.start("du", {"-s", "--block-size=1", QString::fromStdString(root.native())});
    if (!du.waitForFinished(-1) || du.exitCode() != 0)
        return -1;
    return du.readAllStandardOutput().split('\t').value(0).toLongLong();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const fs::path root = argc > 1 ? fs::path(argv[1]) : fs::path("/tmp/quillmoor-fs-bench");
    makeTree(root);

    // Warm the cache with one untimed pass of each.
    FS::size(root);
    runDu(root);

    std::vector<double> ours;
    std::vector<double> oneThread;
    std::vector<double> theirs;
    long long ourTotal = 0;
    long long oneThreadTotal = 0;
    long long duTotal = 0;
    for (int round = 0; round < kRounds; ++round) {
        auto start = std::chrono::steady_clock::now();
        ourTotal = FS::size(root);
        ours.push_back(secondsSince(start));

        start = std::chrono::steady_clock::now();
        oneThreadTotal = FS::size(root, 1);
        oneThread.push_back(secondsSince(start));

        start = std::chrono::steady_clock::now();
        duTotal = runDu(root);
        theirs.push_back(secondsSince(start));
    }

    const double ourTime = median(ours);
    const double duTime = median(theirs);
    const double ourBest = *std::min_element(ours.begin(), ours.end());
    const double duBest = *std::min_element(theirs.begin(), theirs.end());
    std::printf("tree:      %s (%d files, %d folders)\n", root.c_str(),
                kTopFolders * kSubFolders * kFilesPerFolder, kTopFolders * (kSubFolders + 1) + 1);
    std::printf("FS::size:  %8.1f ms median, %8.1f ms best of %d   total %lld bytes (%d threads)\n",
                ourTime * 1000, ourBest * 1000, kRounds, ourTotal,
                FS::sizeWorkers(std::thread::hardware_concurrency()));
    std::printf("1 thread:  %8.1f ms median, %8.1f ms best of %d   total %lld bytes\n",
                median(oneThread) * 1000, *std::min_element(oneThread.begin(), oneThread.end()) * 1000,
                kRounds, oneThreadTotal);
    std::printf("du -s:     %8.1f ms median, %8.1f ms best of %d   total %lld bytes (folders' own blocks included)\n",
                duTime * 1000, duBest * 1000, kRounds, duTotal);
    std::printf("ratio:     %.2fx du's time (medians), %.2fx (best)\n", ourTime / duTime, ourBest / duBest);
    return 0;
}
