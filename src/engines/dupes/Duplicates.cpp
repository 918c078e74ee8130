#include "engines/dupes/Duplicates.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/QuietOpen.h"
#include "platform/Quitting.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace fs = std::filesystem;

namespace Dupes {

namespace {

// The full hash reads this much at a time.
constexpr std::size_t kReadBlock = 1 << 20;

// An open file that is still the regular file of `size` bytes it was. Every
// read of the search goes through it, and leaves the file's access time alone.
class OpenFile {
public:
    OpenFile(const char* path, std::int64_t size)
    {
        fd_ = QuietOpen::open(path, O_RDONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
        struct stat info;
        if (fd_ >= 0 && (fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size != size)) {
            close(fd_);
            fd_ = -1;
        }
    }
    ~OpenFile()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    bool ok() const { return fd_ >= 0; }

    // Reads exactly `length` bytes at `offset`; false on a short read.
    bool readAt(char* into, std::size_t length, std::int64_t offset) const
    {
        std::size_t done = 0;
        while (done < length) {
            const ssize_t got = pread(fd_, into + done, length - done, offset + std::int64_t(done));
            if (got <= 0)
                return false;
            done += std::size_t(got);
        }
        return true;
    }
    void sequential() const { posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL); }

private:
    int fd_ = -1;
};

Digest digestOf(XXH128_hash_t hash)
{
    return {hash.low64, hash.high64};
}

bool sameFile(const FileList::File& a, const FileList::File& b)
{
    return a.device == b.device && a.inode == b.inode;
}

} // namespace

CopySets sameSize(FileList& files)
{
    files.sortForGrouping();
    CopySets sets;
    for (std::size_t first = 0; first < files.size();) {
        // One run of equal sizes, and how many distinct files it holds.
        std::size_t end = first + 1, distinct = 1;
        for (; end < files.size() && files[end].size == files[first].size; ++end)
            distinct += sameFile(files[end], files[end - 1]) ? 0 : 1;
        if (distinct >= 2) {
            for (std::size_t i = first; i < end; ++i)
                if (i == first || !sameFile(files[i], files[i - 1]))  // not another name of the file before
                    sets.copies.push_back(std::uint32_t(i));
            sets.bounds.push_back(std::uint32_t(sets.copies.size()));
        }
        first = end;
    }
    return sets;
}

std::optional<Digest> edgeDigest(const std::string& path, std::int64_t size)
{
    const OpenFile file(path.c_str(), size);
    if (!file.ok())
        return std::nullopt;
    const std::int64_t head = std::min(size, kEdgeBytes);
    const std::int64_t tail = std::min(size - head, kEdgeBytes);
    thread_local std::array<char, 2 * kEdgeBytes> bytes;  // one per reading thread, never cleared
    if (!file.readAt(bytes.data(), std::size_t(head), 0)
        || (tail > 0 && !file.readAt(bytes.data() + head, std::size_t(tail), size - tail)))
        return std::nullopt;
    return digestOf(XXH3_128bits(bytes.data(), std::size_t(head + tail)));
}

std::optional<Digest> fullDigest(const std::string& path, std::int64_t size, const std::atomic<bool>* stop)
{
    const OpenFile file(path.c_str(), size);
    if (!file.ok())
        return std::nullopt;
    file.sequential();
    XXH3_state_t state;
    XXH3_128bits_reset(&state);
    std::vector<char> block(kReadBlock);
    std::int64_t offset = 0;
    while (offset < size) {
        if ((stop && stop->load()) || Quitting::requested())
            return std::nullopt;
        const std::size_t length = std::size_t(std::min<std::int64_t>(size - offset, std::int64_t(block.size())));
        if (!file.readAt(block.data(), length, offset))
            return std::nullopt;
        XXH3_128bits_update(&state, block.data(), length);
        offset += std::int64_t(length);
    }
    // A file that grew while it was read is no longer the file that was sized.
    char extra;
    if (file.readAt(&extra, 1, size))
        return std::nullopt;
    return digestOf(XXH3_128bits_digest(&state));
}

CopySets splitBy(const CopySets& sets, const std::vector<std::optional<Digest>>& digests, int& unreadable)
{
    CopySets split;
    std::vector<std::pair<Digest, std::uint32_t>> keyed;  // a digest and the copy's place in sets.copies
    for (std::size_t s = 0; s < sets.count(); ++s) {
        keyed.clear();
        for (std::uint32_t at = sets.bounds[s]; at < sets.bounds[s + 1]; ++at) {
            if (digests[at])
                keyed.emplace_back(*digests[at], at);
            else
                ++unreadable;
        }
        std::sort(keyed.begin(), keyed.end());
        for (std::size_t first = 0; first < keyed.size();) {
            std::size_t end = first + 1;
            while (end < keyed.size() && keyed[end].first == keyed[first].first)
                ++end;
            if (end - first >= 2) {
                for (std::size_t k = first; k < end; ++k)
                    split.copies.push_back(sets.copies[keyed[k].second]);
                split.bounds.push_back(std::uint32_t(split.copies.size()));
            }
            first = end;
        }
    }
    return split;
}

std::vector<Set> setsOf(const FileList& files, const CopySets& sets)
{
    std::vector<Set> result(sets.count());
    for (std::size_t s = 0; s < sets.count(); ++s) {
        result[s].reserve(sets.bounds[s + 1] - sets.bounds[s]);
        for (std::uint32_t at = sets.bounds[s]; at < sets.bounds[s + 1]; ++at) {
            const std::size_t first = sets.copies[at];
            Copy copy{files.candidate(files[first]), {}};
            // Its other names follow it in the list, at the same size.
            for (std::size_t name = first + 1;
                 name < files.size() && files[name].size == files[first].size && sameFile(files[name], files[first]);
                 ++name)
                copy.otherNames.push_back(files.pathOf(files[name]));
            result[s].push_back(std::move(copy));
        }
    }
    return result;
}

std::optional<bool> sameBytes(const fs::path& a, const fs::path& b, std::int64_t size)
{
    const OpenFile fa(a.c_str(), size), fb(b.c_str(), size);
    if (!fa.ok() || !fb.ok())
        return std::nullopt;
    fa.sequential();
    fb.sequential();
    std::vector<char> ba(kReadBlock), bb(kReadBlock);
    for (std::int64_t offset = 0; offset < size;) {
        const std::size_t length = std::size_t(std::min<std::int64_t>(size - offset, std::int64_t(kReadBlock)));
        if (!fa.readAt(ba.data(), length, offset) || !fb.readAt(bb.data(), length, offset))
            return std::nullopt;
        if (std::memcmp(ba.data(), bb.data(), length) != 0)
            return false;
        offset += std::int64_t(length);
    }
    return true;
}

Hold holdBeforeRemoval(const Candidate& copy, const fs::path& kept, bool compareBytes)
{
    struct stat now, keeper;
    if (lstat(copy.path.c_str(), &now) != 0 || !S_ISREG(now.st_mode) || now.st_size != copy.size
        || mtimeNsOf(now) != copy.mtimeNs)
        return Hold::CopyChanged;
    if (lstat(kept.c_str(), &keeper) != 0 || !S_ISREG(keeper.st_mode))
        return Hold::KeptGone;
    if (keeper.st_dev == now.st_dev && keeper.st_ino == now.st_ino)
        return Hold::SameFile;
    if (keeper.st_size != copy.size)
        return Hold::Differs;
    if (!compareBytes)
        return Hold::None;
    const std::optional<bool> same = sameBytes(copy.path, kept, copy.size);
    if (!same)
        return Hold::Unreadable;
    return *same ? Hold::None : Hold::Differs;
}

Hold holdBeforeSimilarRemoval(const Candidate& copy, const Candidate& kept)
{
    struct stat now, keeper;
    if (lstat(copy.path.c_str(), &now) != 0 || !S_ISREG(now.st_mode) || now.st_dev != copy.device
        || now.st_ino != copy.inode || now.st_size != copy.size || mtimeNsOf(now) != copy.mtimeNs)
        return Hold::CopyChanged;
    if (lstat(kept.path.c_str(), &keeper) != 0 || !S_ISREG(keeper.st_mode))
        return Hold::KeptGone;
    if (keeper.st_dev == now.st_dev && keeper.st_ino == now.st_ino)
        return Hold::SameFile;
    if (keeper.st_dev != kept.device || keeper.st_ino != kept.inode || keeper.st_size != kept.size
        || mtimeNsOf(keeper) != kept.mtimeNs)
        return Hold::KeptChanged;
    return Hold::None;
}

} // namespace Dupes
