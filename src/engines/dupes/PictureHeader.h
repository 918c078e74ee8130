#pragma once
// Which kind of picture a file holds, told by its first bytes (never by its
// name): a photo saved as ".dat" is still read, and a text file named ".jpg"
// is passed over without a word.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace Dupes {

enum class PictureKind { None, Jpeg, Png, Gif, Bmp, Tiff, WebP, Heic, Avif };

// Bytes sniffPicture wants to see (fewer are fine: a short file is no picture).
inline constexpr std::size_t kSniffBytes = 32;

// The kind the first bytes of a file announce, or None.
PictureKind sniffPicture(std::string_view head);

// The size in pixels a PNG, GIF, BMP or WebP declares in its first bytes
// (width, then height), so that a picture claiming a size no memory holds is
// refused before any reader sees it; nothing for the other kinds or when the
// bytes say nothing sound.
struct DeclaredSize {
    std::int64_t width = 0;
    std::int64_t height = 0;
};
std::optional<DeclaredSize> declaredSize(PictureKind kind, std::string_view head);
// Whether a declared size holds more than `limit` pixels; both sides may be
// as large as 2^32, whose product no 64-bit integer holds.
bool declaresMoreThan(const DeclaredSize& size, std::int64_t limit);

// The name the likeness search shows for a kind: "JPEG", "PNG", "WebP", "HEIC"…
// (empty for None); also what Qt's image readers are asked for.
const char* kindName(PictureKind kind);

} // namespace Dupes
