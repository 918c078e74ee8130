#pragma once
// The files a duplicate search met, held compactly: a search holds hundreds
// of thousands of them and most never turn out to be copies. Each folder's
// path is kept once, each name in one shared buffer beside a small fixed
// record, and a file's full path is made only when it is asked for.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>

namespace Dupes {

struct Candidate;

// A file's modification time (st_mtim) in nanoseconds since 1970.
inline std::int64_t mtimeNsOf(const struct stat& info)
{
    return std::int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
}

class FileList {
public:
    struct File {
        dev_t device = 0;
        ino_t inode = 0;
        std::int64_t size = 0;       // st_size
        std::int64_t mtimeNs = 0;    // st_mtim, in nanoseconds since 1970
        std::uint64_t nameAt = 0;    // where its name starts in the names buffer
        std::uint32_t folder = 0;    // its folder's number
        std::uint32_t links = 1;     // st_nlink: how many names the file has in all
    };

    // Adds a folder by its path ("" stands for "/") and gives its number.
    std::uint32_t addFolder(std::string path);
    // Adds the file `name` of folder number `folder`, as `info` describes it.
    void add(std::uint32_t folder, std::string_view name, const struct stat& info);

    std::size_t size() const { return files_.size(); }
    const File& operator[](std::size_t i) const { return files_[i]; }

    std::string pathOf(const File& file) const;
    // The file as a search result names it.
    Candidate candidate(const File& file) const;

    // Drops the empty files and orders the rest by size, then device and
    // inode (so the names of one file lie side by side), then path.
    void sortForGrouping();

private:
    std::string_view nameOf(const File& file) const;

    std::vector<std::string> folders_;
    std::string names_;  // every name, each ended by a NUL (no name holds one)
    std::vector<File> files_;
};

} // namespace Dupes
