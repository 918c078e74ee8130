// Times the likeness search (`quillmoor-cli dupes --similar`) over a set of
// 500 pictures and eight copies of each, first with no hash cache and then
// with the cache the first search left, beside `findimagedupes -R` over the
// same set; prints how many copies were grouped with their picture (recall),
// how many groups joined two different pictures, and the peak memory of each.
//
// The pictures: the photographs Debian ships (mate-backgrounds: nature, and
// Elephants, one picture at three sizes, counted as one), the wallpapers of
// ukui-wallpapers and gnome-backgrounds (whose light and dark versions of one
// design must stay apart), then pictures drawn from a seed (a gradient,
// shapes, a line of text) up to 500, each at most 1,600 pixels wide. The
// copies of each: half and quarter size, JPEG at quality 60, PNG, an EXIF
// orientation alone, its pixels turned, 3 % cropped off one edge, a light
// colour change. The set is made once under FOLDER and reused by later runs.
//
//   similar_bench [FOLDER]     (default: /tmp/quillmoor-similar-bench)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLinearGradient>
#include <QPainter>

#include "ChildRun.h"
#include "Timing.h"

namespace fs = std::filesystem;

namespace {

constexpr int kSources = 500;
constexpr int kWidest = 1600;

// A picture drawn from a seed: a gradient, shapes and a line of text.
QImage drawn(unsigned seed)
{
    std::mt19937 random(seed);
    const auto any = [&](int below) { return int(random() % unsigned(below)); };
    const int width = 900 + any(700), height = 600 + any(400);
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(any(width), 0, any(width), height);
    gradient.setColorAt(0, QColor(any(256), any(256), any(256)));
    gradient.setColorAt(1, QColor(any(256), any(256), any(256)));
    painter.fillRect(image.rect(), gradient);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int i = 0, shapes = 8 + any(30); i < shapes; ++i) {
        painter.setBrush(QColor(any(256), any(256), any(256), 128 + any(128)));
        const QRect box(any(width) - 60, any(height) - 60, 40 + any(width / 2), 40 + any(height / 2));
        switch (i % 3) {
        case 0: painter.drawEllipse(box); break;
        case 1: painter.drawRect(box); break;
        default: painter.drawPie(box, any(5760), 720 + any(4000)); break;
        }
    }
    QFont font = painter.font();
    font.setPixelSize(40 + any(80));
    painter.setFont(font);
    painter.setPen(QColor(any(256), any(256), any(256)));
    painter.drawText(QPoint(any(width / 2), 60 + any(height - 60)), QStringLiteral("Quillmoor %1").arg(seed));
    return image;
}

bool save(const QImage& image, const fs::path& path, int quality = 90)
{
    QImageWriter writer(QString::fromStdString(path.native()));
    writer.setQuality(quality);
    return writer.write(image);
}

// A JPEG whose bytes say "turn a quarter to show me" (EXIF orientation 6).
std::string withOrientation(const std::string& jpeg)
{
    std::string tiff("MM\0\x2A\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0\0\0\0\0", 26);
    const std::string payload = std::string("Exif\0\0", 6) + tiff;
    const std::size_t length = payload.size() + 2;
    return jpeg.substr(0, 2) + std::string("\xFF\xE1", 2) + char(length >> 8) + char(length & 0xFF) + payload + jpeg.substr(2);
}

std::string contentOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The source pictures: (file, which picture it is), the Elephants' three sizes one picture.
std::vector<std::pair<fs::path, int>> shippedPictures()
{
    std::vector<std::pair<fs::path, int>> found;
    const auto addFrom = [&](const fs::path& folder, const std::string& prefix) {
        std::error_code error;
        std::vector<fs::path> names;
        for (const auto& entry : fs::directory_iterator(folder, error)) {
            const std::string ext = entry.path().extension().string();
            if ((ext == ".jpg" || ext == ".png" || ext == ".webp") && entry.path().filename().string().rfind(prefix, 0) == 0)
                names.push_back(entry.path());
        }
        std::sort(names.begin(), names.end());
        for (const fs::path& name : names)
            found.emplace_back(name, int(found.size()));
    };
    addFrom("/usr/share/backgrounds/mate/nature", "");
    addFrom("/usr/share/backgrounds/gnome", "");
    addFrom("/usr/share/backgrounds", "");
    const std::size_t elephants = found.size();
    addFrom("/usr/share/backgrounds/mate/abstract", "Elephants");
    for (std::size_t i = elephants; i < found.size(); ++i)
        found[i].second = int(elephants);
    return found;
}

// Makes the set in `folder`/set: pNNN-kind.ext for each picture; the map of picture numbers.
bool makeSet(const fs::path& folder, std::map<std::string, int>& pictureOf)
{
    const fs::path set = folder / "set";
    const fs::path list = folder / "pictures.txt";
    if (fs::exists(list)) {
        std::ifstream in(list);
        std::string name;
        int picture = 0;
        while (in >> name >> picture)
            pictureOf[name] = picture;
        return !pictureOf.empty();
    }
    fs::remove_all(set);
    fs::create_directories(set);
    std::vector<std::pair<fs::path, int>> sources = shippedPictures();
    int next = sources.empty() ? 0 : sources.back().second + 1;
    while (int(sources.size()) < kSources)
        sources.emplace_back(fs::path(), next++);
    std::ofstream out(list);
    for (std::size_t i = 0; i < sources.size(); ++i) {
        QImage image;
        if (sources[i].first.empty()) {
            image = drawn(unsigned(i));
        } else {
            QImageReader reader(QString::fromStdString(sources[i].first.native()));
            reader.setAutoTransform(true);
            reader.setAllocationLimit(1024);
            image = reader.read();
            if (image.isNull()) {
                std::fprintf(stderr, "skipped %s\n", sources[i].first.c_str());
                image = drawn(unsigned(i) + 100000);
            }
        }
        image = image.convertToFormat(QImage::Format_RGB32);
        if (image.width() > kWidest)
            image = image.scaledToWidth(kWidest, Qt::SmoothTransformation);
        char stem[32];
        std::snprintf(stem, sizeof stem, "p%03zu", i);
        const fs::path base = set / stem;
        const auto name = [&](const char* kind) { return base.native() + kind; };
        const int w = image.width(), h = image.height();
        QImage lighter = image;
        for (int y = 0; y < h; ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(lighter.scanLine(y));
            for (int x = 0; x < w; ++x)
                row[x] = qRgb(std::min(255, qRed(row[x]) + 14), std::min(255, qGreen(row[x]) + 6), std::max(0, qBlue(row[x]) - 6));
        }
        bool ok = save(image, name(".jpg"), 92)
                  && save(image.scaled(w / 2, h / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), name("-half.jpg"))
                  && save(image.scaled(w / 4, h / 4, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), name("-quarter.jpg"))
                  && save(image, name("-q60.jpg"), 60) && save(image, name("-png.png"))
                  && save(image.transformed(QTransform().rotate(90)), name("-turned.jpg"))
                  && save(image.copy(0, 0, w - w * 3 / 100, h), name("-cropped.jpg")) && save(lighter, name("-lighter.jpg"));
        std::ofstream(name("-exif.jpg"), std::ios::binary) << withOrientation(contentOf(name(".jpg")));
        if (!ok) {
            std::fprintf(stderr, "could not write the copies of %s\n", stem);
            return false;
        }
        for (const char* kind : {".jpg", "-half.jpg", "-quarter.jpg", "-q60.jpg", "-png.png", "-exif.jpg", "-turned.jpg",
                                 "-cropped.jpg", "-lighter.jpg"}) {
            const std::string file = fs::path(name(kind)).filename();
            pictureOf[file] = sources[i].second;
            out << file << ' ' << sources[i].second << '\n';
        }
    }
    return true;
}

// Groups as lists of file names.
using Groups = std::vector<std::vector<std::string>>;

Groups quillmoorGroups(const std::string& json)
{
    Groups groups;
    for (const QJsonValue& group : QJsonDocument::fromJson(QByteArray::fromStdString(json)).array()) {
        groups.emplace_back();
        for (const QJsonValue& copy : group.toObject()["copies"].toArray())
            groups.back().push_back(fs::path(copy.toObject()["path"].toString().toStdString()).filename());
    }
    return groups;
}

Groups findimagedupesGroups(const std::string& text)
{
    Groups groups;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        groups.emplace_back();
        for (std::string word; words >> word;)
            groups.back().push_back(fs::path(word).filename());
    }
    return groups;
}

// Copies grouped with their own picture, and groups that join two pictures.
struct Score {
    double recall = 0;
    int falseGroups = 0;
};

Score score(const char* who, const Groups& groups, const std::map<std::string, int>& pictureOf)
{
    std::map<std::string, std::size_t> groupOf;
    int joined = 0;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        std::set<int> pictures;
        for (const std::string& name : groups[g]) {
            groupOf[name] = g;
            pictures.insert(pictureOf.count(name) ? pictureOf.at(name) : -1);
        }
        if (pictures.size() > 1) {
            ++joined;
            if (joined <= 8) {
                std::printf("  %s joins:", who);
                for (const std::string& name : groups[g])
                    std::printf(" %s", name.c_str());
                std::printf("\n");
            }
        }
    }
    int copies = 0, found = 0;
    std::map<int, std::vector<std::string>> originals;
    for (const auto& [name, picture] : pictureOf)
        if (name.size() == 8 && name.ends_with(".jpg"))  // pNNN.jpg
            originals[picture].push_back(name);
    for (const auto& [name, picture] : pictureOf) {
        if (name.size() == 8 && name.ends_with(".jpg"))
            continue;
        ++copies;
        const auto at = groupOf.find(name);
        if (at == groupOf.end())
            continue;
        for (const std::string& original : originals[picture])
            if (groupOf.count(original) && groupOf[original] == at->second) {
                ++found;
                break;
            }
    }
    std::printf("  %s: %d of %d copies grouped with their picture, %d of %zu groups join two pictures\n", who, found,
                copies, joined, groups.size());
    return {100.0 * found / std::max(copies, 1), joined};
}

} // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> measured = measureModeOf(argc, argv))
        return *measured;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::path("/tmp/quillmoor-similar-bench");
    if (!fs::exists("/usr/share/backgrounds/mate/nature") || !fs::exists("/usr/bin/findimagedupes")) {
        std::printf("skipped: needs mate-backgrounds and findimagedupes (apt-get install mate-backgrounds findimagedupes)\n");
        return 0;
    }
    std::map<std::string, int> pictureOf;
    const auto making = std::chrono::steady_clock::now();
    if (!makeSet(folder, pictureOf))
        return 1;
    std::printf("set: %zu files in %s (made or found in %.0f s)\n", pictureOf.size(), (folder / "set").c_str(), secondsSince(making));

    const fs::path cacheHome = folder / "cache", configHome = folder / "config";
    fs::remove_all(cacheHome);
    fs::create_directories(configHome);
    setenv("XDG_CACHE_HOME", cacheHome.c_str(), 1);
    setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
    const std::vector<std::string> search = {QUILLMOOR_CLI, "dupes", "--similar", "--min", "0", "--json", (folder / "set").native()};
    const Run first = runMeasured(search, folder / "first.json", "/dev/null");
    const Run second = runMeasured(search, folder / "second.json", "/dev/null");
    if (first.status != 0 || second.status != 0) {
        std::printf("quillmoor-cli failed (%d, %d)\n", first.status, second.status);
        return 1;
    }
    const Run theirs = runMeasured({"findimagedupes", "-R", "-q", (folder / "set").native()}, folder / "findimagedupes.txt", "/dev/null");

    std::printf("pictures: %zu sources, %zu files\n", std::set<int>([&] {
                    std::set<int> all;
                    for (const auto& [name, picture] : pictureOf)
                        all.insert(picture);
                    return all;
                }()).size(), pictureOf.size());
    const Score ours = score("quillmoor", quillmoorGroups(contentOf(folder / "first.json")), pictureOf);
    if (contentOf(folder / "first.json") != contentOf(folder / "second.json"))
        std::printf("note: the search with the cache grouped differently\n");
    const Score other = score("findimagedupes", findimagedupesGroups(contentOf(folder / "findimagedupes.txt")), pictureOf);
    std::printf("recall: %.1f %% (target >= 95 %%; findimagedupes %.1f %%)\n", ours.recall, other.recall);
    std::printf("false groups: %d (target 0; findimagedupes %d)\n", ours.falseGroups, other.falseGroups);
    std::printf("first search: %.2f s, peak %.0f MB\n", first.seconds, first.peakKiB / 1024.0);
    std::printf("second search (cache): %.3f s, peak %.0f MB\n", second.seconds, second.peakKiB / 1024.0);
    std::printf("findimagedupes: %.2f s, peak %.0f MB (status %d)\n", theirs.seconds, theirs.peakKiB / 1024.0, theirs.status);
    std::printf("ratio: %.3f (target <= 0.3)\n", first.seconds / theirs.seconds);
    std::printf("cached ratio: %.4f (target <= 0.02)\n", second.seconds / theirs.seconds);
    return 0;
}
