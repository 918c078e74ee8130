#include "engines/junk/ContainerStore.h"

#include <algorithm>
#include <set>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace Containers {

namespace {

std::optional<QJsonArray> arrayOf(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    return document.array();
}

QStringList texts(const QJsonValue& value)
{
    QStringList list;
    for (const QJsonValue& each : value.toArray())
        if (each.isString() && !each.toString().isEmpty())
            list << each.toString();
    return list;
}

// A whole number the JSON gives, 0 for anything else (a text, a fraction
// past the range of a size, not-a-number).
std::int64_t integer(const QJsonValue& value)
{
    if (!value.isDouble())
        return 0;
    const double number = value.toDouble();
    return number > -9.0e18 && number < 9.0e18 ? std::int64_t(number) : 0;
}

// Go writes a time never set as the year 1: -62135596800 seconds.
std::int64_t whenSet(const QJsonValue& value)
{
    const std::int64_t seconds = integer(value);
    return seconds > 0 ? seconds : 0;
}

// A tool's id is plain hexadecimal, so it reaches the tool as itself.
bool isToolId(const QString& id)
{
    if (id.size() < 12 || id.size() > 64)
        return false;
    return std::all_of(id.begin(), id.end(), [](QChar c) {
        return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
    });
}

} // namespace

bool Container::mayGo() const
{
    return state == QLatin1String("created") || state == QLatin1String("exited") || state == QLatin1String("stopped")
           || state == QLatin1String("configured");
}

std::optional<std::vector<Image>> parseImages(const QByteArray& json)
{
    const std::optional<QJsonArray> rows = arrayOf(json);
    if (!rows)
        return std::nullopt;
    std::vector<Image> images;
    for (const QJsonValue& row : *rows) {
        const QJsonObject object = row.toObject();
        Image image;
        image.id = object.value(QLatin1String("Id")).toString();
        if (!isToolId(image.id))
            continue;
        // A dangling image lists "<none>:<none>" or nothing at all.
        for (const QString& name : texts(object.value(QLatin1String("Names"))))
            if (!name.contains(QLatin1String("<none>")))
                image.names << name;
        image.bytes = std::max<std::int64_t>(0, integer(object.value(QLatin1String("Size"))));
        image.created = whenSet(object.value(QLatin1String("Created")));
        image.containers = int(std::clamp<std::int64_t>(integer(object.value(QLatin1String("Containers"))), 0, 1 << 30));
        images.push_back(std::move(image));
    }
    return images;
}

std::optional<std::vector<Container>> parseContainers(const QByteArray& json)
{
    const std::optional<QJsonArray> rows = arrayOf(json);
    if (!rows)
        return std::nullopt;
    std::vector<Container> containers;
    for (const QJsonValue& row : *rows) {
        const QJsonObject object = row.toObject();
        Container container;
        container.id = object.value(QLatin1String("Id")).toString();
        if (!isToolId(container.id))
            continue;
        const QStringList names = texts(object.value(QLatin1String("Names")));
        container.name = names.isEmpty() ? container.id.left(12) : names.front();
        container.imageId = object.value(QLatin1String("ImageID")).toString();
        container.imageName = object.value(QLatin1String("Image")).toString();
        container.state = object.value(QLatin1String("State")).toString();
        container.rwBytes = std::max<std::int64_t>(
            0, integer(object.value(QLatin1String("Size")).toObject().value(QLatin1String("rwSize"))));
        container.created = whenSet(object.value(QLatin1String("Created")));
        container.lastRan = std::max(whenSet(object.value(QLatin1String("ExitedAt"))),
                                     whenSet(object.value(QLatin1String("StartedAt"))));
        containers.push_back(std::move(container));
    }
    return containers;
}

std::optional<std::vector<Volume>> parseVolumes(const QByteArray& json)
{
    const std::optional<QJsonArray> rows = arrayOf(json);
    if (!rows)
        return std::nullopt;
    std::vector<Volume> volumes;
    for (const QJsonValue& row : *rows) {
        const QJsonObject object = row.toObject();
        Volume volume;
        volume.name = object.value(QLatin1String("Name")).toString();
        // A name the tool made itself is hexadecimal; one the user gave keeps
        // to letters, digits, "_", "." and "-", never starting with a dash.
        if (volume.name.isEmpty() || volume.name.startsWith(QLatin1Char('-')) || volume.name.size() > 255
            || volume.name.contains(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]"))))
            continue;
        const QString mountpoint = object.value(QLatin1String("Mountpoint")).toString();
        if (mountpoint.startsWith(QLatin1Char('/')))
            volume.mountpoint = std::filesystem::path(mountpoint.toStdString());
        volumes.push_back(std::move(volume));
    }
    return volumes;
}

void addImageLayers(std::vector<Image>& images, const QByteArray& inspectJson)
{
    const std::optional<QJsonArray> rows = arrayOf(inspectJson);
    if (!rows)
        return;
    for (const QJsonValue& row : *rows) {
        const QJsonObject object = row.toObject();
        const QString id = object.value(QLatin1String("Id")).toString();
        const auto image = std::find_if(images.begin(), images.end(), [&](const Image& each) { return each.id == id; });
        if (image == images.end())
            continue;
        image->layers.clear();
        for (const QString& layer : texts(object.value(QLatin1String("RootFS")).toObject().value(QLatin1String("Layers"))))
            image->layers.push_back(layer.toStdString());
    }
}

void addContainerVolumes(std::vector<Container>& containers, const QByteArray& inspectJson)
{
    const std::optional<QJsonArray> rows = arrayOf(inspectJson);
    if (!rows)
        return;
    for (const QJsonValue& row : *rows) {
        const QJsonObject object = row.toObject();
        const QString id = object.value(QLatin1String("Id")).toString();
        const auto container =
            std::find_if(containers.begin(), containers.end(), [&](const Container& each) { return each.id == id; });
        if (container == containers.end())
            continue;
        container->volumes.clear();
        for (const QJsonValue& mount : object.value(QLatin1String("Mounts")).toArray()) {
            const QJsonObject each = mount.toObject();
            if (each.value(QLatin1String("Type")).toString() == QLatin1String("volume")
                && !each.value(QLatin1String("Name")).toString().isEmpty())
                container->volumes << each.value(QLatin1String("Name")).toString();
        }
    }
}

std::optional<LayerSizes> layerSizes(const Image& image, const QByteArray& historyJson)
{
    const std::optional<QJsonArray> rows = arrayOf(historyJson);
    if (!rows || image.layers.empty())
        return std::nullopt;
    std::vector<std::int64_t> made;  // top down
    for (const QJsonValue& row : *rows) {
        const std::int64_t size = integer(row.toObject().value(QLatin1String("size")));
        if (size > 0)
            made.push_back(size);
    }
    if (made.size() != image.layers.size())
        return std::nullopt;
    LayerSizes sizes;
    for (std::size_t i = 0; i < made.size(); ++i)
        sizes[image.layers[image.layers.size() - 1 - i]] = made[i];
    return sizes;
}

std::vector<std::int64_t> freedBy(const std::vector<Image>& images, const std::vector<std::size_t>& going,
                                  const LayerSizes& sizes)
{
    const std::set<std::size_t> goes(going.begin(), going.end());
    std::set<std::string> kept;
    for (std::size_t i = 0; i < images.size(); ++i)
        if (!goes.contains(i))
            kept.insert(images[i].layers.begin(), images[i].layers.end());

    std::set<std::string> counted;
    std::vector<std::int64_t> freed;
    for (std::size_t index : going) {
        const Image& image = images[index];
        const bool known = !image.layers.empty()
                           && std::all_of(image.layers.begin(), image.layers.end(),
                                          [&](const std::string& layer) { return sizes.contains(layer); });
        if (!known) {
            freed.push_back(image.bytes);
            continue;
        }
        std::int64_t inLayers = 0, own = 0;
        for (const std::string& layer : image.layers) {
            const std::int64_t bytes = sizes.at(layer);
            inLayers += bytes;
            if (!kept.contains(layer) && counted.insert(layer).second)
                own += bytes;
        }
        freed.push_back(own + std::max<std::int64_t>(0, image.bytes - inLayers));
    }
    return freed;
}

} // namespace Containers
