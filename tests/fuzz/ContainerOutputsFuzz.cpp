// The readers of what the container tools print (images, containers,
// volumes, inspections, histories), fed the same bytes: ids that reach a
// command line are hexadecimal, volume names are plain words, and no size
// or share of one is ever negative.

#include "FuzzCheck.h"
#include "engines/junk/ContainerGroups.h"
#include "engines/junk/ContainerStore.h"
#include "platform/AdminActions.h"

bool isHexId(const QString& id)
{
    return Admin::isContainerToolId(id.toStdString());
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const QByteArray out = Fuzz::bytes(bytes, size);
    for (const SystemJunk::ContainerTool* tool : {&SystemJunk::kPodman, &SystemJunk::kDocker}) {
        std::vector<Containers::Image> images = tool->parseImages(out).value_or(std::vector<Containers::Image>{});
        std::vector<Containers::Container> containers =
            tool->parseContainers(out).value_or(std::vector<Containers::Container>{});
        Containers::addImageLayers(images, out);
        tool->addContainerDetails(containers, out);
        for (const auto& image : images)
            REQUIRE(isHexId(image.id) && image.bytes >= 0);
        for (const auto& container : containers)
            REQUIRE(isHexId(container.id) && container.rwBytes >= 0 && container.lastRan >= 0);
        for (const auto& volume : tool->parseVolumes(out).value_or(std::vector<Containers::Volume>{}))
            REQUIRE(!volume.name.isEmpty() && !volume.name.startsWith('-') && !volume.name.contains('/')
                    && !volume.name.contains(' ') && (volume.mountpoint.empty() || volume.mountpoint.is_absolute()));

        Containers::LayerSizes sizes;
        if (const auto history = tool->parseHistory(out))
            for (const auto& image : images)
                if (const auto layers = Containers::layerSizes(image, *history))
                    sizes.insert(layers->begin(), layers->end());
        std::vector<std::size_t> going;
        for (std::size_t i = 0; i < images.size(); i += 2)
            going.push_back(i);
        for (std::int64_t freed : Containers::freedBy(images, going, sizes))
            REQUIRE(freed >= 0);

        const SystemJunk::ContainerOutputs outputs{out, out, out, out, out, {}, out};
        for (const auto& group : {SystemJunk::containerGroup(*tool, outputs), SystemJunk::volumeGroup(*tool, outputs)})
            if (group)
                for (const JunkItem& item : group->items)
                    REQUIRE(!item.toolId.isEmpty() && !item.toolId.startsWith('-') && item.size >= 0);
    }
    return 0;
}
