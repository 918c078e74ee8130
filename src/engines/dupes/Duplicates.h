#pragma once
// Duplicate files: which of a list of files hold the same bytes. Files are
// grouped by size, then by a hash of their first and last blocks, then by a
// hash of their whole content (XXH3-128); names of one file (hard links) are
// one file, never copies of each other. Plain functions over paths: the walk
// that finds the files and the page that shows the groups are elsewhere.
#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

#include "engines/dupes/FileList.h"

namespace Dupes {

// One name of a regular file found to have copies. Paths are plain byte
// strings here.
struct Candidate {
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
    std::int64_t size = 0;       // st_size
    std::int64_t mtimeNs = 0;    // st_mtim, in nanoseconds since 1970
    std::int64_t links = 1;      // st_nlink: how many names the file has in all
};

// A copy as the user's choices name it: the same name of the same file.
struct CopyId {
    dev_t device = 0;
    ino_t inode = 0;
    std::string path;
    auto operator<=>(const CopyId&) const = default;
};
inline CopyId idOf(const Candidate& file) { return {file.device, file.inode, file.path}; }

// One file of a set: its first name and any other names (hard links).
struct Copy {
    Candidate file;
    std::vector<std::string> otherNames;
};
using Set = std::vector<Copy>;

// How many bytes of each end the edge hash reads.
inline constexpr std::int64_t kEdgeBytes = 16 * 1024;

// A 128-bit content hash.
using Digest = std::array<std::uint64_t, 2>;

// Sets of copies over a FileList ordered for grouping, held as ranges of one
// array: a copy is named by the place of its first name in the list (its
// other names follow it there), and set s holds the copies at
// copies[bounds[s]] up to, not including, copies[bounds[s + 1]].
struct CopySets {
    std::vector<std::uint32_t> copies;
    std::vector<std::uint32_t> bounds{0};

    std::size_t count() const { return bounds.size() - 1; }
};

// The files that could be copies of each other: one set per size held by at
// least two distinct files (device and inode), each file once with all its
// names. Empty files are never copies. Orders `files` for grouping.
CopySets sameSize(FileList& files);

// The hash of the first and last kEdgeBytes of a file of `size` bytes (the
// whole file when it is no longer than twice that); nothing when it cannot be
// read whole or its size is no longer `size`.
std::optional<Digest> edgeDigest(const std::string& path, std::int64_t size);
// The hash of a file's whole content, read in large sequential blocks;
// nothing when it cannot be read, its length is no longer `size`, or `stop`
// (or the program's quit flag) turns on between two blocks.
std::optional<Digest> fullDigest(const std::string& path, std::int64_t size,
                                 const std::atomic<bool>* stop = nullptr);

// Splits every set by the digest of each of its copies (`digests` holds them
// in the order of sets.copies): copies with equal digests stay together, in
// their order; sets left with one copy are dropped, and a copy without a
// digest (it could not be read, or changed) is counted in `unreadable`.
CopySets splitBy(const CopySets& sets, const std::vector<std::optional<Digest>>& digests, int& unreadable);

// The sets as results: every copy with its path and its other names.
std::vector<Set> setsOf(const FileList& files, const CopySets& sets);

// The sets of files with the same content, and how many files could not be
// read (or changed while they were) and were left out.
struct Found {
    std::vector<Set> sets;
    int unreadable = 0;
};

// Why a copy may not go right now, checked just before it is removed.
enum class Hold {
    None,         // it may go: the kept copy is another file with the same bytes
    KeptGone,     // the kept copy is no longer there (or no longer a regular file)
    SameFile,     // the kept copy is now the same file (a name of it)
    CopyChanged,  // the copy's size or modification time moved since the scan
    Differs,      // the two files' bytes are no longer the same
    Unreadable,   // one of them cannot be read
    NeverTouch,   // one of its names is on the never-touch list (added after the scan)
    KeptChanged,  // pictures that look alike: the kept copy is no longer the file the search read
};
// Compares `copy` (as the scan saw it) with `kept`: both still regular files
// of the scanned size, two different files, the copy's modification time
// unchanged, and every byte the same.
// `compareBytes` false leaves the bytes to a caller that compares them itself
// (the kernel's deduplication request).
Hold holdBeforeRemoval(const Candidate& copy, const std::filesystem::path& kept, bool compareBytes = true);

// The check before a picture that only looks like the kept one goes: the copy
// is still the file the search read (inode, size, modification time: else
// CopyChanged), and so is the kept copy (device, inode, size, modification
// time: KeptChanged, or KeptGone when it is no longer a regular file). The
// bytes are never compared: they differ.
Hold holdBeforeSimilarRemoval(const Candidate& copy, const Candidate& kept);

// Whether two files of `size` bytes hold the same bytes, read side by side in
// large blocks; nothing when one cannot be read whole.
std::optional<bool> sameBytes(const std::filesystem::path& a, const std::filesystem::path& b, std::int64_t size);


} // namespace Dupes
