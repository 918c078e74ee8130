// The likeness search: the hash holds still under what a copy of a photo goes
// through (another size, compression, format, EXIF turn, turned and mirrored
// pixels, a slight crop, a light colour change) and tells different pictures
// and a light and a dark version apart; the reader by the first bytes, with
// its refusals (cut short, a size bomb, no picture at all); the grouping
// around centres; the cache; and the check before a picture goes.
#include <gtest/gtest.h>

#include <random>

#include <QBuffer>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>

#include <sys/stat.h>

#include "engines/dupes/DuplicateRemoval.h"
#include "engines/dupes/PictureRead.h"
#include "engines/dupes/SimilarScan.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;
using namespace Dupes;

namespace {

// A picture drawn from a seed: a gradient behind a few dozen shapes.
QImage drawn(unsigned seed, int width = 800, int height = 600)
{
    std::mt19937 random(seed);
    const auto any = [&](int below) { return int(random() % unsigned(below)); };
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, width, height);
    gradient.setColorAt(0, QColor(any(256), any(256), any(256)));
    gradient.setColorAt(1, QColor(any(256), any(256), any(256)));
    painter.fillRect(image.rect(), gradient);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 30; ++i) {
        painter.setBrush(QColor(any(256), any(256), any(256)));
        painter.setPen(Qt::NoPen);
        const QRect box(any(width), any(height), 30 + any(width / 3), 30 + any(height / 3));
        if (i % 2)
            painter.drawEllipse(box);
        else
            painter.drawRect(box);
    }
    return image;
}

void save(const QImage& image, const fs::path& path, const char* format, int quality = 90)
{
    fs::create_directories(path.parent_path());
    QImageWriter writer(QString::fromStdString(path.native()), format);
    writer.setQuality(quality);
    ASSERT_TRUE(writer.write(image)) << path << qPrintable(writer.errorString());
}

std::string contentOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A JPEG with an EXIF orientation (6: turn a quarter clockwise to show it),
// its pixels untouched: an APP1 segment set right after the start marker.
std::string withOrientation(const std::string& jpeg, int orientation)
{
    std::string tiff("MM\0\x2A\0\0\0\x08", 8);        // big-endian, first directory at 8
    tiff += std::string("\0\x01", 2);                  // one entry
    tiff += std::string("\x01\x12\0\x03\0\0\0\x01", 8);  // Orientation, SHORT, one value
    tiff += char(0);
    tiff += char(orientation);
    tiff += std::string("\0\0", 2);
    tiff += std::string("\0\0\0\0", 4);  // no next directory
    const std::string payload = std::string("Exif\0\0", 6) + tiff;
    const std::size_t length = payload.size() + 2;
    std::string segment("\xFF\xE1", 2);
    segment += char(length >> 8);
    segment += char(length & 0xFF);
    return jpeg.substr(0, 2) + segment + payload + jpeg.substr(2);
}

PictureInfo readOk(const fs::path& path)
{
    const PictureInfo info = readPicture(path.native());
    EXPECT_EQ(info.state, PictureState::Read) << path;
    return info;
}

// CRC-32 as PNG chunks carry it.
std::uint32_t crc32(const std::string& bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= std::uint8_t(c);
        for (int k = 0; k < 8; ++k)
            crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

std::string bigEndian(std::uint32_t value)
{
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

SimilarResult searched(const fs::path& folder, const fs::path& cache = {})
{
    SimilarOptions options;
    options.walk.minBytes = 1;
    options.cache = cache;
    options.readers = 2;
    return findSimilar(folder, options, CancelFlag{});
}

std::vector<std::string> namesOf(const Group& group)
{
    std::vector<std::string> names;
    for (const ShownCopy& shown : group.copies)
        names.push_back(fs::path(shown.copy.file.path).filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(PictureHash, ACopyOfAPhotoStaysWithinTheDefaultLevelAndOtherPicturesDoNot)
{
    const fs::path root = freshFolder("similar-hash");
    const int level = maxDistance(Likeness::Similar);
    std::vector<PictureInfo> sources;
    for (unsigned seed = 1; seed <= 3; ++seed) {
        const QImage source = drawn(seed);
        const fs::path at = root / std::to_string(seed);
        save(source, at / "source.png", "png");
        save(source.scaled(400, 300, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), at / "half.jpg", "jpeg");
        save(source, at / "q60.jpg", "jpeg", 60);
        save(source.transformed(QTransform().rotate(90)), at / "turned.png", "png");
        save(source.mirrored(true, false), at / "mirrored.png", "png");
        save(source.copy(0, 0, 800, 582), at / "cropped.png", "png");  // 3 % off the bottom
        QImage lighter = source;
        for (int y = 0; y < lighter.height(); ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(lighter.scanLine(y));
            for (int x = 0; x < lighter.width(); ++x)
                row[x] = qRgb(std::min(255, qRed(row[x]) + 12), qGreen(row[x]), std::max(0, qBlue(row[x]) - 8));
        }
        save(lighter, at / "lighter.png", "png");
        save(source, at / "plain.jpg", "jpeg");
        writeFile(at / "exif.jpg", withOrientation(contentOf(at / "plain.jpg"), 6));

        const PictureInfo original = readOk(at / "source.png");
        EXPECT_EQ(std::make_pair(original.width, original.height), std::make_pair(800, 600));
        sources.push_back(original);
        for (const char* name : {"half.jpg", "q60.jpg", "turned.png", "mirrored.png", "cropped.png", "lighter.png", "exif.jpg"}) {
            const PictureInfo copy = readOk(at / name);
            EXPECT_LE(likenessDistance(original.key.hashes, copy.key.hashes[0]), level) << seed << " " << name;
            EXPECT_LE(std::abs(copy.key.mean - original.key.mean), kMaxMeanGap) << name;
        }
        // The EXIF turn is applied, and the size given as shown.
        const PictureInfo exif = readOk(at / "exif.jpg");
        EXPECT_EQ(std::make_pair(exif.width, exif.height), std::make_pair(600, 800));
        EXPECT_EQ(exif.kind, PictureKind::Jpeg);

        // The same design, dark for light: never alike.
        QImage inverted = source;
        inverted.invertPixels();
        PictureInfo dark;
        hashInto(inverted, dark);
        EXPECT_GT(likenessDistance(original.key.hashes, dark.key.hashes[0]), maxDistance(Likeness::Maybe));
    }
    for (std::size_t a = 0; a < sources.size(); ++a)
        for (std::size_t b = a + 1; b < sources.size(); ++b)
            EXPECT_GT(likenessDistance(sources[a].key.hashes, sources[b].key.hashes[0]), maxDistance(Likeness::Maybe));
}

TEST(PictureRead, EveryKindOfPixelHashesLikeItsRgbAndWhatIsNoPictureIsPassedOver)
{
    const fs::path root = freshFolder("similar-read");
    const QImage source = drawn(7, 640, 480);
    save(source, root / "rgb.png", "png");
    const PictureInfo rgb = readOk(root / "rgb.png");
    const int close = maxDistance(Likeness::VerySimilar);

    // 16 bits a channel, a palette, and alpha over white.
    save(source.convertToFormat(QImage::Format_RGBA64), root / "deep.png", "png");
    save(source.convertToFormat(QImage::Format_Indexed8), root / "palette.png", "png");
    QImage withHole = source.convertToFormat(QImage::Format_ARGB32);
    {
        QPainter painter(&withHole);
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        painter.fillRect(100, 100, 200, 150, Qt::transparent);
    }
    save(withHole, root / "alpha.png", "png");
    QImage flattened = source;
    QPainter(&flattened).fillRect(100, 100, 200, 150, Qt::white);
    PictureInfo white;
    hashInto(flattened, white);
    for (const char* name : {"deep.png", "palette.png"})
        EXPECT_LE(likenessDistance(rgb.key.hashes, readOk(root / name).key.hashes[0]), close) << name;
    EXPECT_LE(likenessDistance(white.key.hashes, readOk(root / "alpha.png").key.hashes[0]), 1);
    for (const auto& [name, format] : {std::pair{"bmp", "bmp"}, {"tif", "tiff"}, {"webp", "webp"}}) {
        save(source, root / (std::string("as.") + name), format);
        const PictureInfo info = readOk(root / (std::string("as.") + name));
        EXPECT_LE(likenessDistance(rgb.key.hashes, info.key.hashes[0]), close) << name;
    }

    // Known by its bytes, not its name; a text named .jpg is no picture, an empty file neither.
    fs::copy_file(root / "rgb.png", root / "holiday.txt");
    EXPECT_EQ(readOk(root / "holiday.txt").kind, PictureKind::Png);
    writeFile(root / "notes.jpg", std::string(5000, 'n'));
    EXPECT_EQ(readPicture((root / "notes.jpg").native()).state, PictureState::NotPicture);
    writeFile(root / "empty.png", "");
    EXPECT_EQ(readPicture((root / "empty.png").native()).state, PictureState::NotPicture);

    // Cut short: never a crash; a PNG without its end cannot be read.
    const std::string png = contentOf(root / "rgb.png");
    writeFile(root / "cut.png", png.substr(0, png.size() / 2));
    EXPECT_EQ(readPicture((root / "cut.png").native()).state, PictureState::Unreadable);
    save(source, root / "whole.jpg", "jpeg");
    const std::string jpeg = contentOf(root / "whole.jpg");
    writeFile(root / "cut.jpg", jpeg.substr(0, 200));
    EXPECT_NE(readPicture((root / "cut.jpg").native()).state, PictureState::Read);

    // A header that claims 100,000 × 100,000, or sides whose product overflows 64 bits: too large, and nothing decoded.
    for (const std::uint32_t side : {100'000u, 0xFFFFFFFFu}) {
        const std::string header = std::string("IHDR", 4) + bigEndian(side) + bigEndian(side) + std::string("\x08\x02\0\0\0", 5);
        const std::string bomb = std::string("\x89PNG\r\n\x1A\n", 8) + bigEndian(13) + header + bigEndian(crc32(header))
                                 + bigEndian(0) + "IEND" + bigEndian(crc32("IEND"));
        writeFile(root / "bomb.png", bomb);
        EXPECT_EQ(readPicture((root / "bomb.png").native()).state, PictureState::TooLarge) << side;
    }
    // A bitmap that says it is -16 pixels wide: not read, and no crash.
    std::string bitmap = "BM" + std::string(12, '\0') + std::string("\x28\0\0\0\xF0\xFF\xFF\xFF\x10\0\0\0", 12) + std::string(100, '\0');
    writeFile(root / "negative.bmp", bitmap);
    EXPECT_EQ(readPicture((root / "negative.bmp").native()).state, PictureState::Unreadable);
    // An ordinary 8000 × 6000 PNG is read, beyond Qt's usual allocation limit.
    QImage big(8000, 6000, QImage::Format_RGB32);
    QPainter(&big).drawImage(big.rect(), source);
    save(big, root / "big.png", "png");
    const PictureInfo bigInfo = readOk(root / "big.png");
    EXPECT_EQ(std::make_pair(bigInfo.width, bigInfo.height), std::make_pair(8000, 6000));

    // A HEIC that declares a huge size, when libheif's encoder is at hand to make one.
    if (fs::exists("/usr/bin/heif-enc")) {
        save(source, root / "photo.png", "png");
        const std::string enc = "/usr/bin/heif-enc -q 50 -o ";
        if (std::system((enc + (root / "photo.heic").native() + " " + (root / "photo.png").native() + " >/dev/null 2>&1").c_str()) == 0) {
            const PictureInfo heic = readOk(root / "photo.heic");
            EXPECT_EQ(heic.kind, PictureKind::Heic);
            EXPECT_LE(likenessDistance(rgb.key.hashes, heic.key.hashes[0]), maxDistance(Likeness::Similar));
            // Its declared sizes (every "ispe" box) raised past the limit: refused before decoding.
            std::string bytes = contentOf(root / "photo.heic");
            std::size_t boxes = 0;
            for (std::size_t ispe = bytes.find("ispe"); ispe != std::string::npos; ispe = bytes.find("ispe", ispe + 4), ++boxes)
                bytes.replace(ispe + 8, 8, bigEndian(60'000) + bigEndian(60'000));
            ASSERT_GT(boxes, 0u);
            writeFile(root / "huge.heic", bytes);
            EXPECT_EQ(readPicture((root / "huge.heic").native()).state, PictureState::TooLarge);
        }
    }
}

TEST(PictureGroups, GroupsFormAroundCentresWithoutChainingAndTheBandsMissNothing)
{
    // A, B 10 bits from A, C 10 more bits from B: A and C lie 20 apart.
    const auto keyOf = [](std::uint64_t hash) {
        PictureKey key;
        key.hashes.fill(hash);
        key.mean = 100;
        return key;
    };
    const std::uint64_t a = 0x0123456789ABCDEFULL, b = a ^ 0x3FFULL, c = b ^ (0x3FFULL << 20);
    std::vector<AlikeGroup> groups = groupAlike({keyOf(a), keyOf(b), keyOf(c)}, 12);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].members, (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(groups[0].distances, (std::vector<int>{0, 10}));
    groups = groupAlike({keyOf(b), keyOf(a), keyOf(c)}, 12);  // B the centre: it gathers both
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].members, (std::vector<std::size_t>{0, 1, 2}));
    // A light and a dark version never group, however close their hashes.
    PictureKey dark = keyOf(a);
    dark.mean = 100 + kMaxMeanGap + 1;
    EXPECT_TRUE(groupAlike({keyOf(a), dark}, 12).empty());

    // Against comparing every pair: the bands find every picture within the distance.
    std::mt19937_64 random(5);
    std::vector<PictureKey> keys;
    for (int i = 0; i < 400; ++i) {
        std::uint64_t hash = i % 4 == 0 || keys.empty() ? random() : keys[std::size_t(i) - 1].hashes[0];
        for (int flips = int(random() % 16); flips > 0; --flips)
            hash ^= std::uint64_t(1) << (random() % 64);
        keys.push_back(keyOf(hash));
    }
    for (const int distance : {maxDistance(Likeness::VerySimilar), maxDistance(Likeness::Similar), maxDistance(Likeness::Maybe)}) {
        std::vector<bool> grouped(keys.size(), false);
        for (const AlikeGroup& group : groupAlike(keys, distance)) {
            for (std::size_t k = 0; k < group.members.size(); ++k) {
                EXPECT_FALSE(grouped[group.members[k]]);
                grouped[group.members[k]] = true;
                EXPECT_EQ(group.distances[k], hashDistance(keys[group.members[0]].hashes[0], keys[group.members[k]].hashes[0]));
                EXPECT_LE(group.distances[k], distance);
            }
        }
        // A picture left alone has no other lone picture near it that came before it.
        for (std::size_t i = 0; i < keys.size(); ++i)
            for (std::size_t j = 0; j < i && !grouped[i]; ++j) {
                if (!grouped[j]) {
                    EXPECT_GT(hashDistance(keys[i].hashes[0], keys[j].hashes[0]), distance) << i << " " << j;
                }
            }
    }
}

TEST(SimilarScan, FindsCopiesOncePerFileKeepsTheLargestTicksNothingAndRemembersWhatItRead)
{
    const fs::path root = freshFolder("similar-scan");
    const fs::path cache = root.parent_path() / "similar-scan.cache";
    fs::remove(cache);
    const QImage one = drawn(11), two = drawn(12);
    save(one, root / "Photos/one.png", "png");
    save(one.scaled(400, 300, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), root / "Photos/one small.jpg", "jpeg");
    fs::create_directories(root / "Other");
    fs::create_hard_link(root / "Photos/one small.jpg", root / "Other/one small link.jpg");  // one file, two names
    save(two, root / "Photos/two.jpg", "jpeg");
    save(two.mirrored(true, false), root / std::string("Photos/two\nmirrored \xff.webp"), "webp");
    save(drawn(13), root / "Photos/alone.png", "png");
    writeFile(root / "Photos/notes.jpg", std::string(3000, 'x'));
    writeFile(root / "Photos/broken.png", contentOf(root / "Photos/one.png").substr(0, 3000));

    SimilarResult result = searched(root, cache);
    ASSERT_FALSE(result.cancelled);
    EXPECT_EQ(result.pictures, 5);  // the link is the same picture
    EXPECT_EQ(result.unreadable, 1);
    EXPECT_EQ(result.tooLarge, 0);
    ASSERT_EQ(result.groups.size(), 2u);
    for (const Group& group : result.groups) {
        EXPECT_TRUE(group.similar);
        EXPECT_EQ(group.size, 0);
        ASSERT_EQ(group.copies.size(), 2u);
        EXPECT_TRUE(group.copies[0].kept);
        for (const ShownCopy& shown : group.copies) {
            EXPECT_FALSE(shown.selected);
            EXPECT_EQ(freedBy(group, shown), shown.copy.file.size);
        }
    }
    const auto groupWith = [&](const std::string& name) -> const Group& {
        for (const Group& group : result.groups)
            for (const std::string& member : namesOf(group))
                if (member == name)
                    return group;
        throw std::runtime_error("no group with " + name);
    };
    const Group& ones = groupWith("one.png");
    EXPECT_EQ(fs::path(ones.copies[0].copy.file.path).filename(), "one.png");  // the most pixels
    EXPECT_EQ(ones.copies[0].picture.format, "PNG");
    EXPECT_EQ(ones.copies[1].picture.format, "JPEG");
    EXPECT_EQ(std::make_pair(ones.copies[1].picture.width, ones.copies[1].picture.height), std::make_pair(400, 300));
    EXPECT_EQ(ones.copies[1].copy.otherNames.size(), 1u);
    EXPECT_EQ(groupWith("two.jpg").copies[1].picture.format, "WebP");

    // A second search reads nothing: a picture whose bytes changed behind the
    // cache's back (same inode, size and time) still counts as what was read.
    const fs::path alone = root / "Photos/alone.png";
    struct stat before;
    ASSERT_EQ(stat(alone.c_str(), &before), 0);
    writeFile(alone, std::string(std::size_t(before.st_size), 'q'));
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, alone.c_str(), times, 0), 0);
    result = searched(root, cache);
    EXPECT_EQ(result.pictures, 5);
    EXPECT_EQ(result.unreadable, 1);
    // Once its time moves it is read again (and is no picture now).
    const timespec later[2] = {before.st_atim, {before.st_mtim.tv_sec + 10, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, alone.c_str(), later, 0), 0);
    result = searched(root, cache);
    EXPECT_EQ(result.pictures, 4);
    EXPECT_EQ(result.groups.size(), 2u);

    // A damaged cache is passed over and written anew; files no longer met leave it.
    std::string bytes = contentOf(cache);
    bytes[bytes.size() / 2] ^= 0x55;
    writeFile(cache, bytes);
    EXPECT_FALSE(parsePictureCache(bytes));
    fs::remove(root / "Photos/notes.jpg");
    result = searched(root, cache);
    EXPECT_EQ(result.groups.size(), 2u);
    const std::optional<std::vector<CachedPicture>> rewritten = parsePictureCache(contentOf(cache));
    ASSERT_TRUE(rewritten);
    EXPECT_EQ(rewritten->size(), 6u);  // one.png, one small (once), two, two mirrored, alone, broken; notes is gone
    writeFile(cache, contentOf(cache).substr(0, 30));
    EXPECT_EQ(searched(root, cache).groups.size(), 2u);

    // A stopped search keeps nothing.
    CancelFlag stop;
    stop.cancelled = true;
    SimilarOptions options;
    options.walk.minBytes = 1;
    const SimilarResult stopped = findSimilar(root, options, stop);
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_TRUE(stopped.groups.empty());
}

TEST(SimilarRemoval, APictureGoesOnlyWhileItAndTheKeptOneAreWhatTheSearchRead)
{
    const fs::path root = freshFolder("similar-remove");
    for (unsigned seed = 21; seed <= 23; ++seed) {
        const QImage picture = drawn(seed);
        const std::string name = seed == 23 ? std::string("line\nbreak \xfe") : std::to_string(seed);
        save(picture, root / (name + ".png"), "png");
        save(picture.scaled(200, 150, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), root / (name + " small.jpg"), "jpeg");
    }
    std::vector<Group> groups = searched(root).groups;
    ASSERT_EQ(groups.size(), 3u);
    for (Group& group : groups)
        group.copies[1].selected = true;  // the small copy
    const std::vector<PlannedCopy> plan = removalPlan(groups);
    ASSERT_EQ(plan.size(), 3u);
    for (const PlannedCopy& planned : plan) {
        EXPECT_TRUE(planned.similar);
        EXPECT_EQ(planned.keeperFile.path, planned.keeper.native());
    }
    const Plan::Record record = planRecord(plan, false);
    EXPECT_TRUE(record.alongside.contains(L("Logo antes, confere-se que cada imagem e a mantida não mudaram desde a análise; uma imagem de cada grupo sempre fica.")));

    const auto planFor = [&](const std::string& prefix) -> const PlannedCopy& {
        for (const PlannedCopy& planned : plan)
            if (fs::path(planned.copy.file.path).filename().string().rfind(prefix, 0) == 0)
                return planned;
        throw std::runtime_error("no plan for " + prefix);
    };
    // 21's copy is replaced by another picture (a new file in its place); 22's kept copy is edited.
    const fs::path copy21 = planFor("21").copy.file.path;
    save(drawn(99, 200, 150), copy21.parent_path() / "other.jpg", "jpeg");
    fs::rename(copy21.parent_path() / "other.jpg", copy21);
    save(drawn(98), planFor("22").keeper, "png");
    std::vector<HeldCopy> held;
    const RemovalOutcome outcome = trashCopies(plan, Admin::run, &held);
    ASSERT_EQ(held.size(), 2u);
    std::map<std::string, Hold> holds;
    for (const HeldCopy& one : held)
        holds[fs::path(one.id.path).filename().string().substr(0, 2)] = one.hold;
    EXPECT_EQ(holds["21"], Hold::CopyChanged);
    EXPECT_EQ(holds["22"], Hold::KeptChanged);
    EXPECT_TRUE(outcome.held.join('\n').contains(L("a cópia mantida mudou depois da análise")));
    // The odd name went to the Trash; its kept copy stayed.
    EXPECT_FALSE(present(planFor("line").copy.file.path));
    EXPECT_TRUE(present(planFor("line").keeper));
    EXPECT_TRUE(present(copy21));
    // Sharing data never applies to pictures that only look alike.
    EXPECT_FALSE(shareOffered(groups));
}
