#include "engines/junk/ContainerStore.h"

#include <algorithm>
#include <cmath>
#include <set>

#include <QJsonArray>
#include <QJsonDocument>
#include <QDateTime>
#include <QJsonObject>
#include <QRegularExpression>

#include "platform/AdminActions.h"

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

// Docker's lists: one object a line; nothing when a line is anything else.
std::optional<QJsonArray> linesOf(const QByteArray& lines)
{
    QJsonArray rows;
    for (const QByteArray& line : lines.split('\n')) {
        if (line.trimmed().isEmpty())
            continue;
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(line, &error);
        if (error.error != QJsonParseError::NoError || !document.isObject())
            return std::nullopt;
        rows.append(document.object());
    }
    return rows;
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

// A size the JSON gives; 0 for anything else or below 0.
std::int64_t sizeOf(const QJsonValue& value)
{
    return std::max<std::int64_t>(0, integer(value));
}

// Go writes a time never set as the year 1: -62135596800 seconds.
std::int64_t whenSet(const QJsonValue& value)
{
    const std::int64_t seconds = integer(value);
    return seconds > 0 ? seconds : 0;
}

// Docker's ids are "sha256:HEX"; the tool takes HEX alone.
QString plainId(const QString& id)
{
    return id.startsWith(QLatin1String("sha256:")) ? id.mid(7) : id;
}

QString text(const QJsonObject& object, const char* key)
{
    return object.value(QLatin1String(key)).toString();
}

// Docker's times: "2026-12-09 18:47:38 +0000 UTC" in its lists,
// "2026-12-09T18:47:42.126589026Z" in its inspections; 0 for the year 1
// (never) or anything else.
std::int64_t dockerTime(const QString& text)
{
    static const QRegularExpression form(
        QStringLiteral(R"(^(\d{4}-\d\d-\d\d)[T ](\d\d:\d\d:\d\d)(?:\.\d+)?\s*(Z|([+-])(\d\d):?(\d\d))?)"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return 0;
    QDateTime when = QDateTime::fromString(match.captured(1) + QLatin1Char('T') + match.captured(2), Qt::ISODate);
    if (!when.isValid())
        return 0;
    when.setTimeSpec(Qt::UTC);
    std::int64_t seconds = when.toSecsSinceEpoch();
    if (!match.captured(4).isEmpty()) {
        const int offset = match.captured(5).toInt() * 3600 + match.captured(6).toInt() * 60;
        seconds -= match.captured(4) == QLatin1String("+") ? offset : -offset;
    }
    return seconds > 0 ? seconds : 0;
}

// The digest of an empty layer (an empty tar), left by a step that changed nothing.
constexpr const char* kEmptyLayer = "sha256:5f70bf18a086007016e948b04aed3b82103a36bea41755b6cddfaf10ace3c6ef";

// A tool's id is plain hexadecimal, so it reaches the tool as itself: the
// helper's own check of the ids it is handed.
bool isToolId(const QString& id)
{
    return Admin::isContainerToolId(id.toStdString());
}

std::optional<std::vector<Volume>> volumesOf(const std::optional<QJsonArray>& rows)
{
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

// The named volumes a container mounts, from its inspection.
QStringList namedVolumes(const QJsonObject& container)
{
    QStringList names;
    for (const QJsonValue& mount : container.value(QLatin1String("Mounts")).toArray()) {
        const QJsonObject each = mount.toObject();
        if (text(each, "Type") == QLatin1String("volume") && !text(each, "Name").isEmpty())
            names << text(each, "Name");
    }
    return names;
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
        image.bytes = sizeOf(object.value(QLatin1String("Size")));
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
        container.rwBytes = sizeOf(object.value(QLatin1String("Size")).toObject().value(QLatin1String("rwSize")));
        container.created = whenSet(object.value(QLatin1String("Created")));
        container.lastRan = std::max(whenSet(object.value(QLatin1String("ExitedAt"))),
                                     whenSet(object.value(QLatin1String("StartedAt"))));
        containers.push_back(std::move(container));
    }
    return containers;
}

std::optional<std::vector<Volume>> parseVolumes(const QByteArray& json)
{
    return volumesOf(arrayOf(json));
}

std::optional<std::vector<Volume>> parseDockerVolumes(const QByteArray& lines)
{
    return volumesOf(linesOf(lines));
}

std::optional<std::vector<Image>> parseDockerImages(const QByteArray& lines)
{
    const std::optional<QJsonArray> rows = linesOf(lines);
    if (!rows)
        return std::nullopt;
    std::vector<Image> images;
    for (const QJsonValue& row : *rows) {
        const QJsonObject object = row.toObject();
        const QString id = plainId(text(object, "ID"));
        if (!isToolId(id))
            continue;
        auto image = std::find_if(images.begin(), images.end(), [&](const Image& each) { return each.id == id; });
        if (image == images.end()) {
            Image first;
            first.id = id;
            first.bytes = dockerBytes(text(object, "Size")).value_or(0);  // rounded; the inspection has it exactly
            first.created = dockerTime(text(object, "CreatedAt"));
            images.push_back(std::move(first));
            image = images.end() - 1;
        }
        const QString repository = text(object, "Repository"), tag = text(object, "Tag");
        if (!repository.isEmpty() && repository != QLatin1String("<none>"))
            image->names << repository + QLatin1Char(':') + tag;
    }
    return images;
}

std::optional<std::vector<Container>> parseDockerContainers(const QByteArray& lines)
{
    const std::optional<QJsonArray> rows = linesOf(lines);
    if (!rows)
        return std::nullopt;
    std::vector<Container> containers;
    for (const QJsonValue& row : *rows) {
        const QJsonObject object = row.toObject();
        Container container;
        container.id = text(object, "ID");
        if (!isToolId(container.id))
            continue;
        const QString names = text(object, "Names").section(QLatin1Char(','), 0, 0);
        container.name = names.isEmpty() ? container.id.left(12) : names;
        container.imageName = text(object, "Image");
        container.state = text(object, "State");
        // "300kB (virtual 6.02MB)": rounded; the inspection has it exactly.
        container.rwBytes = dockerBytes(text(object, "Size").section(QLatin1Char(' '), 0, 0)).value_or(0);
        container.created = dockerTime(text(object, "CreatedAt"));
        containers.push_back(std::move(container));
    }
    return containers;
}

namespace {

// Hands each object of an inspection to `fill` with the record of the same id.
template <typename Record, typename Fill>
void eachInspected(std::vector<Record>& records, const QByteArray& inspectJson, Fill fill)
{
    const std::optional<QJsonArray> rows = arrayOf(inspectJson);
    if (!rows)
        return;
    for (const QJsonValue& row : *rows) {
        const QJsonObject object = row.toObject();
        const QString id = plainId(text(object, "Id"));
        const auto record = std::find_if(records.begin(), records.end(), [&](const Record& each) { return each.id == id; });
        if (record != records.end())
            fill(*record, object);
    }
}

} // namespace

void addImageLayers(std::vector<Image>& images, const QByteArray& inspectJson)
{
    eachInspected(images, inspectJson, [](Image& image, const QJsonObject& object) {
        if (object.value(QLatin1String("Size")).isDouble())
            image.bytes = sizeOf(object.value(QLatin1String("Size")));
        image.layers.clear();
        for (const QString& layer : texts(object.value(QLatin1String("RootFS")).toObject().value(QLatin1String("Layers"))))
            image.layers.push_back(layer.toStdString());
    });
}

void addContainerVolumes(std::vector<Container>& containers, const QByteArray& inspectJson)
{
    eachInspected(containers, inspectJson,
                  [](Container& container, const QJsonObject& object) { container.volumes = namedVolumes(object); });
}

void addDockerContainerDetails(std::vector<Container>& containers, const QByteArray& inspectJson)
{
    eachInspected(containers, inspectJson, [](Container& container, const QJsonObject& object) {
        container.imageId = plainId(text(object, "Image"));
        if (object.value(QLatin1String("SizeRw")).isDouble())
            container.rwBytes = sizeOf(object.value(QLatin1String("SizeRw")));
        const QJsonObject state = object.value(QLatin1String("State")).toObject();
        container.lastRan = std::max(dockerTime(text(state, "StartedAt")), dockerTime(text(state, "FinishedAt")));
        container.volumes = namedVolumes(object);
    });
}

std::optional<History> parseHistory(const QByteArray& json)
{
    const std::optional<QJsonArray> rows = arrayOf(json);
    if (!rows)
        return std::nullopt;
    History history;
    for (const QJsonValue& row : *rows) {
        const std::int64_t size = integer(row.toObject().value(QLatin1String("size")));
        if (size > 0)
            history.made.push_back(size);
    }
    return history;
}

std::optional<History> parseDockerHistory(const QByteArray& lines)
{
    const std::optional<QJsonArray> rows = linesOf(lines);
    if (!rows || rows->isEmpty())
        return std::nullopt;
    History history;
    for (qsizetype i = 0; i < rows->size(); ++i) {
        const QJsonObject object = rows->at(i).toObject();
        bool number = false;
        const std::int64_t size = text(object, "Size").toLongLong(&number);
        if (!number)  // --human=false was not heeded
            return std::nullopt;
        if (size > 0)
            history.made.push_back(size);
        // The first row is the image itself; "<missing>" for a step it was pulled with.
        const QString id = plainId(text(object, "ID"));
        if (i > 0 && isToolId(id))
            history.images << id;
    }
    return history;
}

std::optional<LayerSizes> layerSizes(const Image& image, const History& history)
{
    std::vector<std::string> layers;  // top down, the empty ones aside
    for (auto layer = image.layers.rbegin(); layer != image.layers.rend(); ++layer)
        if (*layer != kEmptyLayer)
            layers.push_back(*layer);
    if (image.layers.empty() || history.made.size() != layers.size())
        return std::nullopt;
    LayerSizes sizes;
    for (std::size_t i = 0; i < layers.size(); ++i)
        sizes[layers[i]] = history.made[i];
    if (layers.size() != image.layers.size())
        sizes[kEmptyLayer] = 0;
    return sizes;
}

std::optional<std::int64_t> dockerBuildCacheBytes(const QByteArray& systemDfJson)
{
    const QJsonDocument document = QJsonDocument::fromJson(systemDfJson);
    const QJsonValue records = document.object().value(QLatin1String("BuildCache"));
    if (!records.isArray())
        return std::nullopt;
    std::int64_t bytes = 0;
    for (const QJsonValue& record : records.toArray()) {
        const QJsonObject object = record.toObject();
        if (text(object, "InUse") != QLatin1String("false") || text(object, "Shared") != QLatin1String("false"))
            continue;
        bytes += dockerBytes(text(object, "Size")).value_or(0);
    }
    return bytes;
}

std::optional<std::int64_t> dockerBytes(const QString& text)
{
    // go-units' HumanSize: four significant digits, decimal units.
    static const QRegularExpression form(QStringLiteral(R"(^(\d+(?:\.\d+)?)([kMGTP]?)B$)"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QString units = QStringLiteral("kMGTP");
    const int power = match.captured(2).isEmpty() ? 0 : int(units.indexOf(match.captured(2))) + 1;
    return std::int64_t(std::llround(match.captured(1).toDouble() * std::pow(1000.0, power)));
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
