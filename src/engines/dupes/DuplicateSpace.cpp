#include "engines/dupes/DuplicateSpace.h"

#include <cerrno>
#include <memory>

#include <fcntl.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace Dupes {

namespace {

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// How many extents one FIEMAP call asks for.
constexpr unsigned kExtentsPerCall = 256;
// The most bytes one deduplication request asks for (what the kernel takes at once).
constexpr std::uint64_t kSharePiece = 16ull << 20;

bool regularOfSize(int fd, std::int64_t size)
{
    struct stat info;
    return fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size == size;
}

// File systems whose files can share data.
constexpr long kXfsMagic = 0x58465342;
constexpr long kBtrfsMagic = 0x9123683E;

} // namespace

bool mayShareData(const fs::path& path)
{
    struct statfs info;
    return statfs(path.c_str(), &info) == 0
        && (long(info.f_type) == kXfsMagic || long(info.f_type) == kBtrfsMagic);
}

std::optional<std::vector<Extent>> extentsOf(const fs::path& path)
{
    const Fd fd(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0)
        return std::nullopt;
    const std::size_t bytes = sizeof(fiemap) + kExtentsPerCall * sizeof(fiemap_extent);
    std::unique_ptr<char[]> buffer(new char[bytes]);
    std::vector<Extent> extents;
    std::uint64_t start = 0;
    for (;;) {
        auto* map = reinterpret_cast<fiemap*>(buffer.get());
        *map = {};
        map->fm_start = start;
        map->fm_length = FIEMAP_MAX_OFFSET - start;
        map->fm_flags = FIEMAP_FLAG_SYNC;
        map->fm_extent_count = kExtentsPerCall;
        if (ioctl(fd.get(), FS_IOC_FIEMAP, map) != 0)
            return std::nullopt;
        if (map->fm_mapped_extents == 0)
            break;
        bool last = false;
        for (unsigned i = 0; i < map->fm_mapped_extents; ++i) {
            const fiemap_extent& e = map->fm_extents[i];
            // Data the file system cannot place (inline, unknown, delayed) is no shared place.
            if (e.fe_flags & (FIEMAP_EXTENT_UNKNOWN | FIEMAP_EXTENT_DATA_INLINE | FIEMAP_EXTENT_NOT_ALIGNED))
                return std::nullopt;
            if (!extents.empty() && extents.back().logical + extents.back().length == e.fe_logical
                && extents.back().physical + extents.back().length == e.fe_physical)
                extents.back().length += e.fe_length;
            else
                extents.push_back({e.fe_logical, e.fe_physical, e.fe_length});
            last = e.fe_flags & FIEMAP_EXTENT_LAST;
            start = e.fe_logical + e.fe_length;
        }
        if (last)
            break;
    }
    return extents;
}

bool sameExtents(const std::vector<Extent>& a, const std::vector<Extent>& b)
{
    return !a.empty() && a == b;
}

ShareResult shareWith(const fs::path& kept, const fs::path& copy, std::int64_t size)
{
    const Fd source(open(kept.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    // The kernel lets the owner share into a file opened for reading; others need it writable.
    Fd target(open(copy.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (source.get() < 0 || target.get() < 0 || !regularOfSize(source.get(), size)
        || !regularOfSize(target.get(), size))
        return ShareResult::Failed;
    struct stat a, b;
    if (fstat(source.get(), &a) != 0 || fstat(target.get(), &b) != 0)
        return ShareResult::Failed;
    if (a.st_dev != b.st_dev)
        return ShareResult::Unsupported;
    if (a.st_ino == b.st_ino)
        return ShareResult::Failed;  // one file: nothing to share

    const std::size_t bytes = sizeof(file_dedupe_range) + sizeof(file_dedupe_range_info);
    std::unique_ptr<char[]> buffer(new char[bytes]);
    std::uint64_t offset = 0;
    while (offset < std::uint64_t(size)) {
        auto* range = reinterpret_cast<file_dedupe_range*>(buffer.get());
        *range = {};
        range->src_offset = offset;
        range->src_length = std::min<std::uint64_t>(kSharePiece, std::uint64_t(size) - offset);
        range->dest_count = 1;
        range->info[0] = {};
        range->info[0].dest_fd = target.get();
        range->info[0].dest_offset = offset;
        if (ioctl(source.get(), FIDEDUPERANGE, range) != 0)
            return errno == EOPNOTSUPP || errno == EINVAL || errno == EXDEV || errno == ENOTTY
                ? ShareResult::Unsupported
                : ShareResult::Failed;
        const file_dedupe_range_info& info = range->info[0];
        if (info.status == FILE_DEDUPE_RANGE_DIFFERS)
            return ShareResult::Differs;
        if (info.status < 0)
            return info.status == -EOPNOTSUPP || info.status == -EINVAL ? ShareResult::Unsupported
                                                                         : ShareResult::Failed;
        if (info.bytes_deduped == 0)
            return ShareResult::Failed;
        offset += info.bytes_deduped;
    }
    return ShareResult::Done;
}

} // namespace Dupes
