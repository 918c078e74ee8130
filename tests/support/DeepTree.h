#pragma once
// A folder chain far deeper than PATH_MAX allows to name, for the walks.
#include <cstdint>
#include <filesystem>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// A chain of `depth` nested folders "d", built and removed with openat since
// its paths are far beyond PATH_MAX; a file every thousand levels and one at
// the bottom.
class DeepTree {
public:
    DeepTree(const std::filesystem::path& root, int depth) : root_(root), depth_(depth)
    {
        int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
        for (int level = 0; level < depth; ++level) {
            if (level % 1000 == 0)
                expected_ += writeAt(fd, "f", 10000);
            mkdirat(fd, "d", 0755);
            fd = step(fd, "d");
        }
        expected_ += writeAt(fd, "bottom", 50000);
        close(fd);
    }
    ~DeepTree()
    {
        int fd = open(root_.c_str(), O_RDONLY | O_DIRECTORY);
        for (int level = 0; level < depth_; ++level)
            fd = step(fd, "d");
        unlinkat(fd, "bottom", 0);
        for (int level = 0; level < depth_; ++level) {
            fd = step(fd, "..");
            unlinkat(fd, "d", AT_REMOVEDIR);
            unlinkat(fd, "f", 0);
        }
        close(fd);
    }
    std::int64_t expected() const { return expected_; }

private:
    // Opens the folder `name` inside `fd` and closes `fd`.
    static int step(int fd, const char* name)
    {
        const int next = openat(fd, name, O_RDONLY | O_DIRECTORY);
        close(fd);
        return next;
    }
    static std::int64_t writeAt(int folder, const char* name, std::size_t bytes)
    {
        const int fd = openat(folder, name, O_CREAT | O_WRONLY, 0644);
        const std::string data(bytes, 'x');
        ::write(fd, data.data(), data.size());
        struct stat info;
        fstat(fd, &info);
        close(fd);
        return std::int64_t(info.st_blocks) * 512;
    }

    std::filesystem::path root_;
    int depth_;
    std::int64_t expected_ = 0;
};
