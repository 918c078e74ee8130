#include "engines/dupes/PictureHeader.h"

#include <array>

namespace Dupes {

namespace {

bool startsWith(std::string_view head, std::string_view magic) { return head.substr(0, magic.size()) == magic; }

// An ISO base media file ("....ftypBRND"): HEIF and AVIF, told apart by the
// major brand, else by the compatible brands that follow it.
PictureKind isoKind(std::string_view head)
{
    if (head.size() < 12 || head.substr(4, 4) != "ftyp")
        return PictureKind::None;
    static constexpr std::array<std::string_view, 6> kHeic = {"heic", "heix", "heim", "heis", "hevc", "hevx"};
    static constexpr std::array<std::string_view, 2> kAvif = {"avif", "avis"};
    const auto kindOf = [](std::string_view brand) {
        for (const std::string_view name : kHeic)
            if (brand == name)
                return PictureKind::Heic;
        for (const std::string_view name : kAvif)
            if (brand == name)
                return PictureKind::Avif;
        return PictureKind::None;
    };
    if (const PictureKind major = kindOf(head.substr(8, 4)); major != PictureKind::None)
        return major;
    // "mif1" and "msf1" say only that it is HEIF: the compatible brands (after the minor version) tell which.
    const std::string_view major = head.substr(8, 4);
    if (major != "mif1" && major != "msf1")
        return PictureKind::None;
    for (std::size_t at = 16; at + 4 <= head.size(); at += 4)
        if (const PictureKind kind = kindOf(head.substr(at, 4)); kind != PictureKind::None)
            return kind;
    return PictureKind::Heic;
}

std::uint32_t bigEndian(std::string_view bytes, std::size_t at, int count)
{
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | std::uint8_t(bytes[at + std::size_t(i)]);
    return value;
}

std::uint32_t littleEndian(std::string_view bytes, std::size_t at, int count)
{
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | std::uint8_t(bytes[at + std::size_t(i)]);
    return value;
}

} // namespace

std::optional<DeclaredSize> declaredSize(PictureKind kind, std::string_view head)
{
    using namespace std::string_view_literals;
    switch (kind) {
    case PictureKind::Png:  // the signature, then the IHDR chunk: its length, its name, width, height
        if (head.size() < 24 || head.substr(12, 4) != "IHDR"sv)
            return std::nullopt;
        return DeclaredSize{bigEndian(head, 16, 4), bigEndian(head, 20, 4)};
    case PictureKind::Gif:  // the logical screen
        if (head.size() < 10)
            return std::nullopt;
        return DeclaredSize{littleEndian(head, 6, 2), littleEndian(head, 8, 2)};
    case PictureKind::Bmp: {  // the info header's width and height (negative: stored top down)
        if (head.size() < 26 || littleEndian(head, 14, 4) < 40)
            return std::nullopt;
        const auto width = std::int32_t(littleEndian(head, 18, 4));
        const auto height = std::int32_t(littleEndian(head, 22, 4));
        if (width < 0)  // no sound file has one: the reader refuses it
            return std::nullopt;
        return DeclaredSize{width, height < 0 ? -std::int64_t(height) : height};
    }
    case PictureKind::WebP:  // the extended header's canvas, or a lossless picture's own size
        if (head.size() >= 30 && head.substr(12, 4) == "VP8X"sv)
            return DeclaredSize{littleEndian(head, 24, 3) + 1, littleEndian(head, 27, 3) + 1};
        if (head.size() >= 25 && head.substr(12, 4) == "VP8L"sv && std::uint8_t(head[20]) == 0x2F) {
            const std::uint32_t bits = littleEndian(head, 21, 4);
            return DeclaredSize{(bits & 0x3FFF) + 1, ((bits >> 14) & 0x3FFF) + 1};
        }
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

bool declaresMoreThan(const DeclaredSize& size, std::int64_t limit)
{
    return size.width != 0 && size.height > limit / size.width;
}

PictureKind sniffPicture(std::string_view head)
{
    using namespace std::string_view_literals;
    if (startsWith(head, "\xFF\xD8\xFF"sv))
        return PictureKind::Jpeg;
    if (startsWith(head, "\x89PNG\r\n\x1A\n"sv))
        return PictureKind::Png;
    if (startsWith(head, "GIF87a"sv) || startsWith(head, "GIF89a"sv))
        return PictureKind::Gif;
    // "BM", then the file's length and two reserved words, then where the pixels start.
    if (startsWith(head, "BM"sv) && head.size() >= 18 && head.substr(6, 4) == "\0\0\0\0"sv)
        return PictureKind::Bmp;
    if (startsWith(head, "II\x2A\0"sv) || startsWith(head, "MM\0\x2A"sv))
        return PictureKind::Tiff;
    if (startsWith(head, "RIFF"sv) && head.size() >= 12 && head.substr(8, 4) == "WEBP"sv)
        return PictureKind::WebP;
    return isoKind(head);
}

const char* kindName(PictureKind kind)
{
    switch (kind) {
    case PictureKind::Jpeg:
        return "JPEG";
    case PictureKind::Png:
        return "PNG";
    case PictureKind::Gif:
        return "GIF";
    case PictureKind::Bmp:
        return "BMP";
    case PictureKind::Tiff:
        return "TIFF";
    case PictureKind::WebP:
        return "WebP";
    case PictureKind::Heic:
        return "HEIC";
    case PictureKind::Avif:
        return "AVIF";
    case PictureKind::None:
        break;
    }
    return "";
}

} // namespace Dupes
