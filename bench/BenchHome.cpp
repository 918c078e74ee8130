#include "BenchHome.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace BenchHome {

namespace {

constexpr int kBigFiles = 400;  // sparse, 50 MB to 3 GB, spread over the visible folders

void sparse(int folderFd, const std::string& name, std::int64_t size)
{
    const int fd = openat(folderFd, name.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (fd < 0 || ftruncate(fd, size) != 0)
        std::perror("sparse file");
    close(fd);
}

} // namespace

int totalEntries()
{
    int sum = 0;
    for (const Part& part : kParts)
        sum += part.subfolders * (part.filesEach + 1);
    return sum;
}

void makeHome(const fs::path& home)
{
    if (fs::exists(home / ".complete"))
        return;
    std::printf("making %d entries under %s ...\n", totalEntries(), home.c_str());
    fs::remove_all(home);
    const std::string content(200, 'x');
    int bigMade = 0;
    for (const Part& part : kParts) {
        const bool visible = part.folder == std::string("Projects");
        for (int sub = 0; sub < part.subfolders; ++sub) {
            const fs::path folder = home / part.folder / ("p" + std::to_string(sub / 10)) / ("s" + std::to_string(sub % 10));
            fs::create_directories(folder);
            const int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
            for (int file = 0; file < part.filesEach; ++file) {
                const std::string name = "file" + std::to_string(file) + ".dat";
                const int fd = openat(folderFd, name.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
                const std::size_t length = 1 + std::size_t(file * 37 + sub * 11) % content.size();
                if (write(fd, content.data(), length) < 0)
                    std::perror("write");
                close(fd);
            }
            // Big files: most in visible folders, a few where the scan never looks.
            if ((visible && sub % 8 == 0 && bigMade < kBigFiles) || (!visible && sub % 5 == 0)) {
                const std::int64_t size = 50000000 + std::int64_t(sub * 7919 % 2950) * 1000000;
                sparse(folderFd, "big" + std::to_string(sub) + ".iso", size);
                bigMade += visible ? 1 : 0;
            }
            close(folderFd);
        }
    }
    close(open((home / ".complete").c_str(), O_CREAT | O_WRONLY, 0644));
}

} // namespace BenchHome
