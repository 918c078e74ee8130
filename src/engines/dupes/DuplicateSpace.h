#pragma once
// Where a duplicate's bytes lie on the disk: whether two copies already share
// their data (a reflink copy on btrfs or XFS, found by comparing the physical
// extents FIEMAP reports, not by the "shared" flag, which a snapshot sets
// too), and the kernel's deduplication request that makes a copy share the
// kept one's data, keeping every name, the inode, owner, mode and attributes.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace Dupes {

// One piece of a file's data: where it is in the file, where on the device.
struct Extent {
    std::uint64_t logical = 0;
    std::uint64_t physical = 0;
    std::uint64_t length = 0;
    bool operator==(const Extent&) const = default;
};

// A file's extents, neighbours that continue each other merged; nothing
// where the file system does not report them (or the file cannot be opened).
std::optional<std::vector<Extent>> extentsOf(const std::filesystem::path& path);

// Whether two files' data lie at the same physical places, every byte of
// both (a file of holes only shares nothing).
bool sameExtents(const std::vector<Extent>& a, const std::vector<Extent>& b);

// Whether the file system holding `path` can share data between files (btrfs, XFS).
bool mayShareData(const std::filesystem::path& path);

enum class ShareResult {
    Done,         // the copy now shares the kept file's data
    Differs,      // the kernel found different bytes: nothing changed
    Unsupported,  // the file system (or the pair, on two file systems) cannot
    Failed,       // another error: nothing is lost, part may be shared
};

// Makes `copy` share `kept`'s data (FIDEDUPERANGE over the whole length, in
// pieces the kernel takes). Both must still be `size` bytes long.
ShareResult shareWith(const std::filesystem::path& kept, const std::filesystem::path& copy, std::int64_t size);

} // namespace Dupes
