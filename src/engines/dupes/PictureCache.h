#pragma once
// What the likeness search read of each file, kept between searches in the
// program's cache folder so that a second search over the same pictures reads
// none of them. A file is known by its device, inode, size and modification
// time: a file that changed in any of them is read again. The file starts
// with a magic word and a version and ends with a checksum; one that is
// damaged, cut short or of another kind is ignored (and written anew), and it
// is always replaced whole (a temporary file renamed over it).
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <sys/types.h>

#include "engines/dupes/PictureGroups.h"
#include "engines/dupes/PictureHeader.h"

namespace Dupes {

enum class PictureState : std::uint8_t {
    Read,        // read and hashed
    NotPicture,  // its first bytes are no picture's
    TooLarge,    // its declared size would not fit the memory a picture may take
    Unreadable,  // a picture that could not be read (damaged, cut short, a kind no reader knows)
};

// What was read of one picture.
struct PictureInfo {
    PictureState state = PictureState::Unreadable;
    PictureKind kind = PictureKind::None;
    int width = 0;  // as shown
    int height = 0;
    bool plain = false;  // all but one flat colour: never grouped
    PictureKey key;
};

// One file of the cache: who it is, and what was read of it.
struct CachedPicture {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t mtimeNs = 0;
    PictureInfo info;
};

// The cache's bytes, and back; nothing for bytes that are not a whole cache
// file of this version with the right checksum and sane values.
std::string pictureCacheBytes(const std::vector<CachedPicture>& pictures);
std::optional<std::vector<CachedPicture>> parsePictureCache(std::string_view bytes);

// The cache file's entries; none when it is missing or not a sound cache file.
std::vector<CachedPicture> loadPictureCache(const std::filesystem::path& file);
// Replaces the cache file (its folder made if need be) with these entries,
// through a temporary file renamed over it; false when it could not.
bool savePictureCache(const std::filesystem::path& file, const std::vector<CachedPicture>& pictures);

} // namespace Dupes
