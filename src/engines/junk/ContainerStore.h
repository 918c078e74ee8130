#pragma once
// What a container tool (Podman, as Debian 12 ships it) keeps: its images,
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
// The layers of each image from "podman image inspect --format json", and
// the named volumes of each container from "podman container inspect
// --format json"; what the output does not name is left as it was.
void addImageLayers(std::vector<Image>& images, const QByteArray& inspectJson);
void addContainerVolumes(std::vector<Container>& containers, const QByteArray& inspectJson);

// The size of each layer of one image, by digest, from "podman history
// --format json" of that image (newest first): the entries that made a
// layer are those with a size, matched to the image's layers top down.
// Nothing when the counts differ (the image is then counted as one piece).
std::optional<std::map<std::string, std::int64_t>> layerSizes(const Image& image, const QByteArray& historyJson);

// Layer sizes by digest, for every image whose history could be read.
using LayerSizes = std::map<std::string, std::int64_t>;

// What removing `going` (indexes into `images`, in this order) frees, for
// each of them: its own metadata, and every layer no image outside `going`
// has, counted with the first of `going` that has it. An image whose layers
// are not all in `sizes` counts its whole size as its own.
std::vector<std::int64_t> freedBy(const std::vector<Image>& images, const std::vector<std::size_t>& going,
                                  const LayerSizes& sizes);

} // namespace Containers
