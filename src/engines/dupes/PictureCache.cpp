#include "engines/dupes/PictureCache.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace fs = std::filesystem;

namespace Dupes {

namespace {

constexpr std::string_view kMagic{"QMPICTS\n", 8};
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kHeaderBytes = 8 + 4 + 8;            // magic, version, count
constexpr std::size_t kEntryBytes = 8 * 4 + 4 + 4 * 3 + 8 * 8;  // who, four small fields, sizes and mean, hashes
constexpr std::size_t kSumBytes = 8;
constexpr int kLargestSide = 1 << 20;  // no picture reader gives more

// Little-endian numbers, whatever the processor.
void put(std::string& out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(char((value >> (8 * i)) & 0xFF));
}

std::uint64_t take(std::string_view bytes, std::size_t& at, int count)
{
    std::uint64_t value = 0;
    for (int i = 0; i < count; ++i)
        value |= std::uint64_t(std::uint8_t(bytes[at + std::size_t(i)])) << (8 * i);
    at += std::size_t(count);
    return value;
}

} // namespace

std::string pictureCacheBytes(const std::vector<CachedPicture>& pictures)
{
    std::string out;
    out.reserve(kHeaderBytes + pictures.size() * kEntryBytes + kSumBytes);
    out.append(kMagic);
    put(out, kVersion, 4);
    put(out, pictures.size(), 8);
    for (const CachedPicture& picture : pictures) {
        const PictureInfo& info = picture.info;
        put(out, picture.device, 8);
        put(out, picture.inode, 8);
        put(out, std::uint64_t(picture.size), 8);
        put(out, std::uint64_t(picture.mtimeNs), 8);
        put(out, std::uint8_t(info.state), 1);
        put(out, std::uint8_t(info.kind), 1);
        put(out, info.plain ? 1 : 0, 1);
        put(out, 0, 1);
        put(out, std::uint32_t(info.width), 4);
        put(out, std::uint32_t(info.height), 4);
        put(out, std::uint32_t(info.key.mean), 4);
        for (const std::uint64_t hash : info.key.hashes)
            put(out, hash, 8);
    }
    put(out, XXH3_64bits(out.data(), out.size()), 8);
    return out;
}

std::optional<std::vector<CachedPicture>> parsePictureCache(std::string_view bytes)
{
    if (bytes.size() < kHeaderBytes + kSumBytes || bytes.substr(0, kMagic.size()) != kMagic)
        return std::nullopt;
    std::size_t at = kMagic.size();
    if (take(bytes, at, 4) != kVersion)
        return std::nullopt;
    const std::uint64_t count = take(bytes, at, 8);
    if (count > (bytes.size() - kHeaderBytes - kSumBytes) / kEntryBytes
        || kHeaderBytes + count * kEntryBytes + kSumBytes != bytes.size())
        return std::nullopt;
    std::size_t sumAt = bytes.size() - kSumBytes;
    if (take(bytes, sumAt, 8) != XXH3_64bits(bytes.data(), bytes.size() - kSumBytes))
        return std::nullopt;
    std::vector<CachedPicture> pictures(count);
    for (CachedPicture& picture : pictures) {
        PictureInfo& info = picture.info;
        picture.device = take(bytes, at, 8);
        picture.inode = take(bytes, at, 8);
        picture.size = std::int64_t(take(bytes, at, 8));
        picture.mtimeNs = std::int64_t(take(bytes, at, 8));
        const auto state = take(bytes, at, 1), kind = take(bytes, at, 1), plain = take(bytes, at, 1);
        take(bytes, at, 1);
        const auto width = take(bytes, at, 4), height = take(bytes, at, 4), mean = take(bytes, at, 4);
        if (state > std::uint64_t(PictureState::Unreadable) || kind > std::uint64_t(PictureKind::Avif) || plain > 1
            || width > kLargestSide || height > kLargestSide || mean > 255 || picture.size < 0)
            return std::nullopt;
        info.state = PictureState(state);
        info.kind = PictureKind(kind);
        info.plain = plain == 1;
        info.width = int(width);
        info.height = int(height);
        info.key.mean = int(mean);
        for (std::uint64_t& hash : info.key.hashes)
            hash = take(bytes, at, 8);
    }
    return pictures;
}

std::vector<CachedPicture> loadPictureCache(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return {};
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return parsePictureCache(bytes).value_or(std::vector<CachedPicture>{});
}

bool savePictureCache(const fs::path& file, const std::vector<CachedPicture>& pictures)
{
    std::error_code error;
    fs::create_directories(file.parent_path(), error);
    std::string temporary = file.native() + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    const std::string bytes = pictureCacheBytes(pictures);
    bool written = true;
    for (std::size_t done = 0; done < bytes.size() && written;) {
        const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        written = wrote > 0;
        done += written ? std::size_t(wrote) : 0;
    }
    written = ::fsync(fd) == 0 && written;
    written = ::close(fd) == 0 && written;
    if (!written || ::rename(temporary.c_str(), file.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace Dupes
