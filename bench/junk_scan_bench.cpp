// Times Sweeper::scanJunk over a fixture home whose junk folders hold 100,000
// files, beside one `du -s` over the same folders, both on a warm cache. The
// home is made once and reused by later runs; HOME and XDG_DATA_HOME point at
// it while the benchmark runs.
//
//   junk_scan_bench [FOLDER]     (default: /tmp/quillmoor-junk-bench)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>

#include "engines/Sweeper.h"
#include "profiles/Profile.h"

#include "Timing.h"

namespace fs = std::filesystem;

namespace {

// Where the files go: a junk folder, how many subfolders, files in each.
struct Part {
    const char* folder;  // under the home folder
    int subfolders;
    int filesEach;
};

// 50,000 + 20,000 + 10,000 + 10,000 + 10,000 = 100,000 files.
constexpr Part kParts[] = {
    {".cache", 200, 250},
    {"Library/Caches", 100, 200},
    {".npm/_cacache", 20, 500},
    {".gradle/caches", 20, 500},
    {".local/share/Trash/files", 50, 200},
};
constexpr int kRounds = 7;  // alternating, so both see the same cache and load

int totalFiles()
{
    int sum = 0;
    for (const Part& part : kParts)
        sum += part.subfolders * part.filesEach;
    return sum;
}

// Makes the home unless a finished one is already there (marked by ".complete").
void makeHome(const fs::path& home)
{
    if (fs::exists(home / ".complete"))
        return;
    std::printf("making %d files under %s ...\n", totalFiles(), home.c_str());
    fs::remove_all(home);
    const std::string content(3000, 'x');
    for (const Part& part : kParts) {
        for (int sub = 0; sub < part.subfolders; ++sub) {
            const fs::path folder = home / part.folder / ("entry" + std::to_string(sub));
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

// Every folder of the catalogue that exists in the home: what du is given.
QStringList ruleFolders()
{
    QStringList folders;
    for (const JunkRule& rule : Profiles::byName("macos")->junk.rules())
        for (const std::string& text : rule.paths) {
            const fs::path place = Sweeper::resolveRulePath(text);
            if (fs::exists(place))
                folders << QString::fromStdString(place.native());
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

long long scanTotal()
{
    long long sum = 0;
    for (const JunkGroup& group : Sweeper::scanJunk(Profiles::byName("macos")->junk.rules()))
        sum += group.total();
    return sum;
}

} // namespace

int main(int argc, char** argv)
{
    const fs::path root = argc > 1 ? fs::path(argv[1]) : fs::path("/tmp/quillmoor-junk-bench");
    const fs::path home = root / "home";
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
    QCoreApplication app(argc, argv);
    makeHome(home);

    const QStringList folders = ruleFolders();
    // Warm the cache with one untimed pass of each.
    scanTotal();
    runDu(folders);

    std::vector<double> ours;
    std::vector<double> theirs;
    long long ourTotal = 0;
    long long duTotal = 0;
    for (int round = 0; round < kRounds; ++round) {
        auto start = std::chrono::steady_clock::now();
        ourTotal = scanTotal();
        ours.push_back(secondsSince(start));

        start = std::chrono::steady_clock::now();
        duTotal = runDu(folders);
        theirs.push_back(secondsSince(start));
    }

    const double ourTime = median(ours);
    const double duTime = median(theirs);
    std::printf("home:         %s (%d files in %lld rule folders)\n", home.c_str(), totalFiles(),
                static_cast<long long>(folders.size()));
    std::printf("scanJunk:     %8.1f ms median, %8.1f ms best of %d   total %lld bytes\n", ourTime * 1000,
                *std::min_element(ours.begin(), ours.end()) * 1000, kRounds, ourTotal);
    std::printf("du -s -c:     %8.1f ms median, %8.1f ms best of %d   total %lld bytes (folders' own blocks included)\n",
                duTime * 1000, *std::min_element(theirs.begin(), theirs.end()) * 1000, kRounds, duTotal);
    std::printf("ratio:        %.2fx du's time (medians)\n", ourTime / duTime);
    return 0;
}
