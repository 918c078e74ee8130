#pragma once
// Container storage as junk groups, for Podman and for Docker alike: the
// images no container uses and the containers that are not running
// ("podman", "docker"), and the volumes ("podmanvolumes", "dockervolumes"),
// each removed through the tool itself by the exact id shown, never by
// deleting its storage.
//
// The groups are made from the tool's recorded output, so they are the same
// over a fixture; readContainerTool is the one part that runs the tool, as
// this user (the user's own storage; root's storage when run as root). A
// Docker daemon that is down or refuses this user gives no group.
#include <functional>
#include <map>
#include <optional>

#include <QByteArray>
#include <QString>

#include "engines/junk/ContainerStore.h"
#include "engines/records/Junk.h"
#include "engines/records/Plan.h"
#include "platform/Shell.h"

namespace SystemJunk {

// What the tool printed for one scan (the commands are its ContainerTool's).
struct ContainerOutputs {
    QByteArray images;            // the image list
    QByteArray containers;        // every container, with its size
    QByteArray imageInspect;      // the inspection of every image
    QByteArray containerInspect;  // the inspection of every container
    QByteArray volumes;           // the volume list
    std::map<QString, QByteArray> histories;  // each image's history, by image id
    QByteArray buildCache;        // Docker's system df -v, for its build cache
};

// The tool that removes each kind of item, as the plan names it.
inline constexpr const char* kRemoveContainer = "podman container rm";
inline constexpr const char* kRemoveImage = "podman image rm";
inline constexpr const char* kRemoveVolume = "podman volume rm";
inline constexpr const char* kDockerRemoveContainer = "docker container rm";
inline constexpr const char* kDockerRemoveImage = "docker image rm";
inline constexpr const char* kDockerRemoveVolume = "docker volume rm";
// Docker's build cache is one item, pruned whole: it has no id of its own.
inline constexpr const char* kDockerPruneBuildCache = "docker builder prune -f";
inline constexpr const char* kBuildCacheItem = "build-cache";  // what --item takes

// What differs between the tools: how each is read and removed, and its groups.
struct ContainerTool {
    const char* program;      // run by name, from the user's search path
    const char* group;        // the group ids
    const char* volumeGroup;
    // The reading commands, after the program.
    const char* listImages;
    const char* listContainers;
    const char* inspectImages;
    const char* inspectContainers;
    const char* history;
    bool everyHistory;  // each image's history is read: it also tells which image was built on which
    const char* listVolumes;
    const char* diskUsage;  // for the build cache; nullptr: none
    // The removal commands, as the plan names them.
    const char* removeContainer;
    const char* removeImage;
    const char* removeVolume;
    // Its parsers.
    std::optional<std::vector<Containers::Image>> (*parseImages)(const QByteArray&);
    std::optional<std::vector<Containers::Container>> (*parseContainers)(const QByteArray&);
    std::optional<std::vector<Containers::Volume>> (*parseVolumes)(const QByteArray&);
    std::optional<Containers::History> (*parseHistory)(const QByteArray&);
    void (*addContainerDetails)(std::vector<Containers::Container>&, const QByteArray&);
};
extern const ContainerTool kPodman;
extern const ContainerTool kDocker;

// Runs the tool through `run` (each command in the C locale with a time
// limit); nothing when the tool is not there or its image list fails (a
// storage lock held past the limit, another version's output, a Docker
// daemon that is down or whose socket refuses this user).
std::optional<ContainerOutputs> readContainerTool(const ContainerTool& tool,
                                                  const std::function<Shell::Result(const std::string&)>& run);

// "podman" / "docker": the containers that are not running (unticked: their
// writable layer may hold work), each image only they use (a dependent item,
// unticked, "Sai com o contêiner X": it goes only with them), then the images
// nothing uses, dangling ones first, then tagged ones, oldest first (ticked:
// they can be fetched again). An image other listed images were built on
// (Docker's) goes only with them and after them ("Sai com a imagem X"),
// ticked only when they all are; it is not offered when one of them is not.
// An image's size is what it frees with the items listed before it: a layer
// is counted once, with the first image that has it, and never when an image
// that stays has it. Docker's build cache last, ticked. Nothing when it
// offers nothing.
std::optional<JunkGroup> containerGroup(const ContainerTool& tool, const ContainerOutputs& outputs);

// "podmanvolumes" / "dockervolumes": every volume with its size (unknown when
// its folder cannot be read) and the containers that use it; never ticked,
// removed only one by one (JunkGroup::oneByOne).
std::optional<JunkGroup> volumeGroup(const ContainerTool& tool, const ContainerOutputs& outputs);

// What the removal of a group's chosen items did: each item's result by its
// id, and the tool ids that went (or were already gone).
struct ToolRemoval {
    std::map<QString, Plan::ItemResult> results;  // by JunkItem::id without braces
    QStringList went;
    std::int64_t freed = 0;
};

// Removes each item of `chosen` through the tool it names (JunkItem::tool),
// one id at a time, as this user, containers before images (and the build
// cache with one prune): an item whose `goesWith` did not all go
// (in this run, or in `wentBefore`) is held back; what the tool no longer
// knows is gone, not failed; what it refuses (in use, started since the
// scan) stays with the tool's reason. Nothing is forced.
ToolRemoval removeByTool(const JunkGroup& chosen, const std::function<Shell::Result(const std::string&)>& run,
                         const QStringList& wentBefore = {});

} // namespace SystemJunk
