#pragma once
// Reading a picture small for the likeness search: its kind from its first
// bytes, its declared size checked before anything is decoded, then a
// decoding at the smallest size that still gives 64 values on its short side
// (a JPEG is decoded at 1/2, 1/4 or 1/8 of its size), turned as its EXIF
// asks, flattened to RGB over white, and hashed. JPEG, PNG, WebP, TIFF, BMP
// and GIF (the first frame) through Qt's image readers, HEIC and AVIF through
// libheif. Needs Qt Gui: this lives in quillmoor_pictures, not the core.
#include <cstdint>
#include <string>

#include <QImage>

#include "engines/dupes/PictureCache.h"

namespace Dupes {

// The most pixels a picture that must be decoded whole may declare (a JPEG is
// decoded scaled down, so it may declare 64 times as many).
inline constexpr std::int64_t kMaxPixels = 8192LL * 8192;
// What Qt's readers may allocate for one picture, in MB: room for kMaxPixels at 4 bytes each.
inline constexpr int kAllocationLimitMb = 300;
// The short side a picture is decoded down to.
inline constexpr int kDecodeSide = 64;

// What the picture at `path` is, read without moving its access time
// (QuietOpen). Never throws, never decodes what declares more than the limits.
PictureInfo readPicture(const std::string& path);

// The hash and the rest from an image already decoded (tests, and both readers).
void hashInto(const QImage& image, PictureInfo& info);

} // namespace Dupes
