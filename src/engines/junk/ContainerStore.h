#pragma once
// What a container tool (Podman 4.3 or Docker 20.10, as Debian 12 ships them) keeps: its images,
// its containers and its volumes, read from the tool's own JSON, and what
// removing some of them frees, counted as the tool frees it: a layer goes
// only with the last image that has it, so each layer counts once.
//
// Only reading here: the parsers take the tools' output and never run them.
// Output that is not the expected JSON (another version, an error text) gives
// nothing rather than a guess.
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace Containers {

struct Image {
    QString id;              // the full id, as the tool takes it
    QStringList names;       // repository:tag; none for a dangling image
    std::int64_t bytes = 0;  // every layer and the image's own metadata
    std::int64_t created = 0;  // seconds since 1970
    int containers = 0;      // how many containers use it, running or not
    // Its layers, base first, each by the digest of its content; filled in
    // from the image's inspection.
    std::vector<std::string> layers;
    // The images it was built on that the tool keeps, from its history:
    // Docker refuses to remove an image while one built on it stays.
    QStringList ancestors;
};

struct Container {
    QString id;
    QString name;
    QString imageId;
    QString imageName;
    QString state;             // created, exited, stopped, running, paused…
    std::int64_t rwBytes = 0;  // its own writable layer: what removing it frees
    std::int64_t created = 0;  // seconds since 1970
    std::int64_t lastRan = 0;  // when it last stopped or started; 0: never ran
    QStringList volumes;       // the named volumes it mounts
    // Whether the tool would refuse to remove it (it runs, or is paused, or
    // is on its way in or out): only created, exited and stopped ones are offered.
    bool mayGo() const;
};

struct Volume {
    QString name;
    std::filesystem::path mountpoint;
};

// "podman images --format json".
std::optional<std::vector<Image>> parseImages(const QByteArray& json);
// "podman ps --all --size --format json".
std::optional<std::vector<Container>> parseContainers(const QByteArray& json);
// "podman volume ls --format json".
std::optional<std::vector<Volume>> parseVolumes(const QByteArray& json);

// Docker writes its lists one JSON object a line (--format '{{json .}}'),
// its sizes there as rounded text ("6.22MB"), and its ids as "sha256:HEX"
// (read here as HEX, which docker takes back).
// "docker image ls --no-trunc": an image with several tags is one image.
std::optional<std::vector<Image>> parseDockerImages(const QByteArray& lines);
// "docker ps --all --size --no-trunc": the image id, the exact size of the
// writable layer and when it ran come from its inspection.
std::optional<std::vector<Container>> parseDockerContainers(const QByteArray& lines);
// "docker volume ls".
std::optional<std::vector<Volume>> parseDockerVolumes(const QByteArray& lines);
// From "docker container inspect --size": each container's image id,
// writable layer (SizeRw), when it last ran and its named volumes.
void addDockerContainerDetails(std::vector<Container>& containers, const QByteArray& inspectJson);
// What "docker builder prune -f" frees, from "docker system df -v --format
// '{{json .}}'": the build cache records neither in use nor shared with an
// image. Nothing when the output has no build cache list.
std::optional<std::int64_t> dockerBuildCacheBytes(const QByteArray& systemDfJson);
// Docker's rounded sizes ("0B", "300kB", "6.22MB", "1.5GB"), in bytes;
// nothing for any other text.
std::optional<std::int64_t> dockerBytes(const QString& text);
// The layers of each image from "podman image inspect --format json", and
// the named volumes of each container from "podman container inspect
// --format json" (an image's exact size and layers from "docker image
// inspect" too); what the output does not name is left as it was.
void addImageLayers(std::vector<Image>& images, const QByteArray& inspectJson);
void addContainerVolumes(std::vector<Container>& containers, const QByteArray& inspectJson);

// One image's history, newest first.
struct History {
    std::vector<std::int64_t> made;  // the size of each step that made a layer
    QStringList images;              // the ids of the images its steps left, its own aside (Docker's)
};
// "podman history --format json" of one image.
std::optional<History> parseHistory(const QByteArray& json);
// "docker history --no-trunc --human=false" of one image.
std::optional<History> parseDockerHistory(const QByteArray& lines);

// Layer sizes by digest, for every image whose history could be read.
using LayerSizes = std::map<std::string, std::int64_t>;

// The size of each layer of one image, by digest: the steps that made a
// layer, matched to the image's layers top down (an empty layer made by a
// step that changed nothing counts 0). Nothing when the counts differ (the
// image is then counted as one piece).
std::optional<LayerSizes> layerSizes(const Image& image, const History& history);

// What removing `going` (indexes into `images`, in this order) frees, for
// each of them: its own metadata, and every layer no image outside `going`
// has, counted with the first of `going` that has it. An image whose layers
// are not all in `sizes` counts its whole size as its own.
std::vector<std::int64_t> freedBy(const std::vector<Image>& images, const std::vector<std::size_t>& going,
                                  const LayerSizes& sizes);

} // namespace Containers
