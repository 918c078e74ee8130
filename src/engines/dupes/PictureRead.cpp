#include "engines/dupes/PictureRead.h"

#include <algorithm>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <libheif/heif.h>
#include <QFile>
#include <QImageReader>

#include "platform/QuietOpen.h"

namespace Dupes {

namespace {

// A descriptor closed when it goes out of scope.
struct Descriptor {
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// Whether a name says picture: a file that cannot even be opened counts as an
// unreadable picture only then.
bool pictureName(const std::string& path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
        return false;
    QString extension = QString::fromUtf8(path.data() + dot + 1, qsizetype(path.size() - dot - 1)).toLower();
    static const QStringList kNames = {"jpg", "jpeg", "jpe", "png", "gif", "bmp", "tif", "tiff", "webp", "heic", "heif", "avif"};
    return kNames.contains(extension);
}

PictureInfo withState(PictureState state, PictureKind kind)
{
    PictureInfo info;
    info.state = state;
    info.kind = kind;
    return info;
}

// The size to ask a reader for: the short side down to kDecodeSide, the aspect kept.
QSize decodeSize(QSize full)
{
    const int shortSide = std::min(full.width(), full.height());
    if (shortSide <= kDecodeSide)
        return full;
    const double scale = double(kDecodeSide) / shortSide;
    return QSize(std::max(1, int(full.width() * scale + 0.5)), std::max(1, int(full.height() * scale + 0.5)));
}

PictureInfo readWithQt(int fd, PictureKind kind, std::string_view head)
{
    // A size bomb is refused on its own header's word, before any reader sees it.
    if (const std::optional<DeclaredSize> declared = declaredSize(kind, head))
        if (declaresMoreThan(*declared, kMaxPixels))
            return withState(PictureState::TooLarge, kind);
    QFile file;
    if (::lseek(fd, 0, SEEK_SET) != 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return withState(PictureState::Unreadable, kind);
    QImageReader reader(&file, kindName(kind));
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(true);
    reader.setAllocationLimit(kAllocationLimitMb);
    const QSize full = reader.size();  // from the header alone
    if (!full.isValid() || full.isEmpty())
        return withState(PictureState::Unreadable, kind);
    const std::int64_t pixels = std::int64_t(full.width()) * full.height();
    if (pixels > (kind == PictureKind::Jpeg ? 64 * kMaxPixels : kMaxPixels))
        return withState(PictureState::TooLarge, kind);
    reader.setScaledSize(decodeSize(full));
    const QImage image = reader.read();
    if (image.isNull())
        return withState(PictureState::Unreadable, kind);
    PictureInfo info = withState(PictureState::Read, kind);
    // The size as shown: a quarter turn swaps the sides.
    const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
    info.width = turned ? full.height() : full.width();
    info.height = turned ? full.width() : full.height();
    hashInto(image, info);
    return info;
}

// What a libheif error says of the picture: its own size limits, or it could not be read.
PictureState heifFailure(const heif_error& error)
{
    return error.subcode == heif_suberror_Security_limit_exceeded ? PictureState::TooLarge : PictureState::Unreadable;
}

PictureInfo readWithHeif(int fd, PictureKind kind)
{
    struct stat about;
    if (::fstat(fd, &about) != 0)
        return withState(PictureState::Unreadable, kind);
    // The container is small beside its pixels; one this large is no photo.
    if (about.st_size > std::int64_t(kAllocationLimitMb) * 1024 * 1024)
        return withState(PictureState::TooLarge, kind);
    std::vector<char> bytes(std::size_t(about.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::pread(fd, bytes.data() + done, bytes.size() - done, off_t(done));
        if (got <= 0)
            return withState(PictureState::Unreadable, kind);
        done += std::size_t(got);
    }
    const std::unique_ptr<heif_context, void (*)(heif_context*)> context(heif_context_alloc(), heif_context_free);
    if (!context)
        return withState(PictureState::Unreadable, kind);
    heif_context_set_maximum_image_size_limit(context.get(), 1 << 16);
    heif_error error = heif_context_read_from_memory_without_copy(context.get(), bytes.data(), bytes.size(), nullptr);
    if (error.code != heif_error_Ok)
        return withState(heifFailure(error), kind);
    heif_image_handle* rawHandle = nullptr;
    error = heif_context_get_primary_image_handle(context.get(), &rawHandle);
    if (error.code != heif_error_Ok || !rawHandle)
        return withState(heifFailure(error), kind);
    const std::unique_ptr<heif_image_handle, void (*)(const heif_image_handle*)> handle(rawHandle,
                                                                                         heif_image_handle_release);
    // libheif takes no limit from its caller: the declared size is checked before decoding.
    const int width = heif_image_handle_get_width(handle.get()), height = heif_image_handle_get_height(handle.get());
    if (width <= 0 || height <= 0)
        return withState(PictureState::Unreadable, kind);
    if (std::int64_t(width) * height > kMaxPixels)
        return withState(PictureState::TooLarge, kind);
    heif_image* rawImage = nullptr;
    error = heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, nullptr);
    if (error.code != heif_error_Ok || !rawImage)
        return withState(heifFailure(error), kind);
    const std::unique_ptr<heif_image, void (*)(const heif_image*)> decoded(rawImage, heif_image_release);
    int stride = 0;
    const std::uint8_t* plane = heif_image_get_plane_readonly(decoded.get(), heif_channel_interleaved, &stride);
    const int shownWidth = heif_image_get_width(decoded.get(), heif_channel_interleaved);
    const int shownHeight = heif_image_get_height(decoded.get(), heif_channel_interleaved);
    if (!plane || shownWidth <= 0 || shownHeight <= 0)
        return withState(PictureState::Unreadable, kind);
    const QImage image(plane, shownWidth, shownHeight, stride, QImage::Format_RGBA8888);
    PictureInfo info = withState(PictureState::Read, kind);
    info.width = shownWidth;
    info.height = shownHeight;
    hashInto(image.scaled(decodeSize(image.size()), Qt::IgnoreAspectRatio, Qt::SmoothTransformation), info);
    return info;
}

} // namespace

void hashInto(const QImage& image, PictureInfo& info)
{
    // Every kind of pixel (palette, 16 bits, CMYK read as RGB, grey) as 8-bit ARGB, then over white.
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const int width = argb.width(), height = argb.height();
    std::vector<float> grey(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = row[x];
            const float alpha = float(qAlpha(pixel)) / 255.0f;
            const float luma = 0.299f * float(qRed(pixel)) + 0.587f * float(qGreen(pixel)) + 0.114f * float(qBlue(pixel));
            grey[std::size_t(y) * std::size_t(width) + std::size_t(x)] = luma * alpha + 255.0f * (1.0f - alpha);
        }
    }
    const GreyThumb thumb = greyThumbnail(grey.data(), width, height, width);
    info.plain = isPlain(thumb);
    info.key.mean = meanGrey(thumb);
    info.key.hashes = orientedHashes(thumb);
}

PictureInfo readPicture(const std::string& path)
{
    Descriptor file{QuietOpen::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY)};
    if (file.fd < 0)
        return withState(pictureName(path) ? PictureState::Unreadable : PictureState::NotPicture, PictureKind::None);
    char head[kSniffBytes];
    ssize_t got = 0;
    do
        got = ::pread(file.fd, head, sizeof head, 0);
    while (got < 0 && errno == EINTR);
    if (got < 0)
        return withState(PictureState::Unreadable, PictureKind::None);
    const PictureKind kind = sniffPicture(std::string_view(head, std::size_t(got)));
    if (kind == PictureKind::None)
        return withState(PictureState::NotPicture, kind);
    if (kind == PictureKind::Heic || kind == PictureKind::Avif)
        return readWithHeif(file.fd, kind);
    return readWithQt(file.fd, kind, std::string_view(head, std::size_t(got)));
}

} // namespace Dupes
