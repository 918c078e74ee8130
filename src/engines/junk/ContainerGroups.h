#pragma once
// Container storage as junk groups: the images no container uses and the
// containers that are not running ("podman"), and the volumes ("podmanvolumes"),
// each removed through the tool itself by the exact id shown, never by
// deleting its storage.
//
// The groups are made from the tool's recorded output, so they are the same
// over a fixture; readContainerTool is the one part that runs the tool, as
// this user (the user's own storage; root's storage when run as root).
#include <functional>
#include <map>
#include <optional>

#include <QByteArray>
#include <QString>

#include "engines/records/Junk.h"
#include "engines/records/Plan.h"
#include "platform/Shell.h"

namespace SystemJunk {

// What the tool printed for one scan.
struct ContainerOutputs {
    QByteArray images;            // podman images --format json
    QByteArray containers;        // podman ps --all --size --format json
    QByteArray imageInspect;      // podman image inspect --format json (every image)
    QByteArray containerInspect;  // podman container inspect --format json (every container)
    QByteArray volumes;           // podman volume ls --format json
    std::map<QString, QByteArray> histories;  // podman history --format json, by image id
};

// Runs the tool through `run` (each command in the C locale with a time
// limit); nothing when the tool is not there or its image list fails (a
// storage lock held past the limit, another version's output).
std::optional<ContainerOutputs> readContainerTool(const std::function<Shell::Result(const std::string&)>& run);

// The tool that removes each kind of item, as the plan names it.
inline constexpr const char* kRemoveContainer = "podman container rm";
inline constexpr const char* kRemoveImage = "podman image rm";
inline constexpr const char* kRemoveVolume = "podman volume rm";

// "podman": the containers that are not running (unticked: their writable
// layer may hold work), each image only they use (a dependent item, unticked,
// "Sai com o contêiner X": it goes only with them), then the images nothing
// uses, dangling ones first, then tagged ones, oldest first (ticked: they can
// be fetched again). An image's size is what it frees with the items listed
// before it: a layer is counted once, with the first image that has it, and
// never when an image that stays has it. Nothing when it offers nothing.
std::optional<JunkGroup> containerGroup(const ContainerOutputs& outputs);

// "podmanvolumes": every volume with its size (unknown when its folder cannot
// be read) and the containers that use it; never ticked, removed only one by
// one (JunkGroup::oneByOne).
std::optional<JunkGroup> volumeGroup(const ContainerOutputs& outputs);

// What the removal of a group's chosen items did: each item's result by its
// id, and the tool ids that went (or were already gone).
struct ToolRemoval {
    std::map<QString, Plan::ItemResult> results;  // by JunkItem::id without braces
    QStringList went;
    std::int64_t freed = 0;
};

// Removes each item of `chosen` through its tool, one id at a time, as this
// user, containers before images: an item whose `goesWith` did not all go
// (in this run, or in `wentBefore`) is held back; what the tool no longer
// knows is gone, not failed; what it refuses (in use, started since the
// scan) stays with the tool's reason. Nothing is forced.
ToolRemoval removeByTool(const JunkGroup& chosen, const std::function<Shell::Result(const std::string&)>& run,
                         const QStringList& wentBefore = {});

} // namespace SystemJunk
