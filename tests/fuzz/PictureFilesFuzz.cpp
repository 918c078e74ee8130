// What the likeness search reads of bytes it does not control: a file's first
// bytes (which kind of picture, if any) and the hash cache file, which must
// refuse anything but a whole sound cache and read back exactly what it wrote.
#include "FuzzCheck.h"
#include "engines/dupes/PictureCache.h"
#include "engines/dupes/PictureHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const std::string text = Fuzz::text(bytes, size);
    const Dupes::PictureKind kind = Dupes::sniffPicture(text);
    REQUIRE((kind == Dupes::PictureKind::None) == (*Dupes::kindName(kind) == '\0'));
    REQUIRE(Dupes::sniffPicture(text.substr(0, Dupes::kSniffBytes)) == kind || text.size() > Dupes::kSniffBytes);
    if (const std::optional<Dupes::DeclaredSize> size = Dupes::declaredSize(kind, text.substr(0, Dupes::kSniffBytes))) {
        REQUIRE(size->width >= 0 && size->height >= 0 && size->width <= (1LL << 32) && size->height <= (1LL << 32));
        REQUIRE(Dupes::declaresMoreThan(*size, 1000) == (size->width * __int128(size->height) > 1000));
    }

    const std::optional<std::vector<Dupes::CachedPicture>> read = Dupes::parsePictureCache(text);
    if (read)
        REQUIRE(Dupes::pictureCacheBytes(*read) == text);  // a cache that reads writes back to the same bytes
    // The entries the fuzzer's bytes make, written and read back.
    FuzzedDataProvider data(bytes, size);
    std::vector<Dupes::CachedPicture> pictures(data.ConsumeIntegralInRange<std::size_t>(0, 8));
    for (Dupes::CachedPicture& picture : pictures) {
        picture.device = data.ConsumeIntegral<std::uint64_t>();
        picture.inode = data.ConsumeIntegral<std::uint64_t>();
        picture.size = data.ConsumeIntegralInRange<std::int64_t>(0, INT64_MAX);
        picture.mtimeNs = data.ConsumeIntegral<std::int64_t>();
        picture.info.state = Dupes::PictureState(data.ConsumeIntegralInRange<int>(0, 3));
        picture.info.kind = Dupes::PictureKind(data.ConsumeIntegralInRange<int>(0, 8));
        picture.info.width = data.ConsumeIntegralInRange<int>(0, 1 << 20);
        picture.info.height = data.ConsumeIntegralInRange<int>(0, 1 << 20);
        picture.info.key.mean = data.ConsumeIntegralInRange<int>(0, 255);
        for (std::uint64_t& hash : picture.info.key.hashes)
            hash = data.ConsumeIntegral<std::uint64_t>();
    }
    const std::string written = Dupes::pictureCacheBytes(pictures);
    const std::optional<std::vector<Dupes::CachedPicture>> back = Dupes::parsePictureCache(written);
    REQUIRE(back && back->size() == pictures.size());
    REQUIRE(Dupes::pictureCacheBytes(*back) == written);
    return 0;
}
