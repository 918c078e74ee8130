#include "engines/junk/ContainerGroups.h"

#include <algorithm>

#include <QDateTime>

#include "engines/apps/LinuxPackageTools.h"
#include "engines/junk/ContainerStore.h"
#include "engines/junk/LinuxSystemJunk.h"
#include "i18n/L.h"
#include "i18n/ShownText.h"
#include "platform/Fmt.h"

namespace SystemJunk {

namespace {

using Containers::Container;
using Containers::Image;

QString dayOf(std::int64_t seconds)
{
    return Fmt::date(QDateTime::fromSecsSinceEpoch(seconds));
}

JunkGroup podmanGroup(const char* id, const QString& title, const QString& detail, const char* symbol)
{
    JunkGroup group;
    group.id = QString::fromUtf8(id);
    group.title = title;
    group.detail = detail;
    group.symbol = QString::fromUtf8(symbol);
    group.permanent = true;
    group.admin = true;  // the system's: cleaned by its tool, not walked as files
    return group;
}

JunkItem toolItem(const QString& toolId, const QString& name, std::int64_t bytes, bool selected, const char* tool)
{
    JunkItem item;
    item.name = name;
    item.size = bytes;
    item.selected = selected;
    item.toolId = toolId;
    item.tool = QString::fromUtf8(tool);
    return item;
}

QString imageName(const Image& image)
{
    return image.names.isEmpty() ? QStringLiteral("<none> ") + image.id.left(12) : image.names.join(QStringLiteral(", "));
}

QString containerNote(const Container& container)
{
    return container.lastRan > 0 ? LF("Executado pela última vez em %@", dayOf(container.lastRan))
                                 : LF("Criado em %@, nunca executado", dayOf(container.created));
}

} // namespace

std::optional<ContainerOutputs> readContainerTool(const std::function<Shell::Result(const std::string&)>& run)
{
    const auto output = [&run](const std::string& command) -> std::optional<QByteArray> {
        const Shell::Result result = run(LinuxApps::toolCommand("nice -n 19 podman " + command + " 2>/dev/null"));
        return result.ok ? std::optional(result.out.toUtf8()) : std::nullopt;
    };
    ContainerOutputs outputs;
    const std::optional<QByteArray> images = output("images --format json");
    if (!images)
        return std::nullopt;
    const std::optional<QByteArray> containers = output("ps --all --size --format json");
    if (!containers)
        return std::nullopt;
    outputs.images = *images;
    outputs.containers = *containers;
    // Ids are checked hexadecimal by the parsers, so they reach the shell as themselves.
    std::string imageIds, containerIds;
    for (const Image& image : Containers::parseImages(outputs.images).value_or(std::vector<Image>{}))
        imageIds += ' ' + image.id.toStdString();
    for (const Container& container : Containers::parseContainers(outputs.containers).value_or(std::vector<Container>{}))
        containerIds += ' ' + container.id.toStdString();
    if (!imageIds.empty()) {
        outputs.imageInspect = output("image inspect --format json --" + imageIds).value_or(QByteArray());
        // One history tells the sizes of every layer of its image: the images
        // with the most layers first, and none whose layers are all known.
        std::vector<Image> images = Containers::parseImages(outputs.images).value_or(std::vector<Image>{});
        Containers::addImageLayers(images, outputs.imageInspect);
        std::stable_sort(images.begin(), images.end(),
                         [](const Image& a, const Image& b) { return a.layers.size() > b.layers.size(); });
        Containers::LayerSizes known;
        for (const Image& image : images) {
            if (!image.layers.empty() && std::all_of(image.layers.begin(), image.layers.end(),
                                                     [&](const std::string& layer) { return known.contains(layer); }))
                continue;
            if (std::optional<QByteArray> history = output("history --format json -- " + image.id.toStdString())) {
                outputs.histories[image.id] = *history;
                if (const auto sizes = Containers::layerSizes(image, *history))
                    known.insert(sizes->begin(), sizes->end());
            }
        }
    }
    if (!containerIds.empty())
        outputs.containerInspect = output("container inspect --format json --" + containerIds).value_or(QByteArray());
    outputs.volumes = output("volume ls --format json").value_or(QByteArray());
    return outputs;
}

std::optional<JunkGroup> containerGroup(const ContainerOutputs& outputs)
{
    std::optional<std::vector<Image>> images = Containers::parseImages(outputs.images);
    const std::optional<std::vector<Container>> containers = Containers::parseContainers(outputs.containers);
    if (!images || !containers)
        return std::nullopt;
    Containers::addImageLayers(*images, outputs.imageInspect);
    Containers::LayerSizes sizes;
    for (const Image& image : *images)
        if (const auto found = outputs.histories.find(image.id); found != outputs.histories.end())
            if (const std::optional<Containers::LayerSizes> layers = Containers::layerSizes(image, found->second))
                sizes.insert(layers->begin(), layers->end());

    // The containers that may go, oldest first, each followed by the image
    // only containers that may go use.
    std::vector<const Container*> stopped;
    for (const Container& container : *containers)
        if (container.mayGo())
            stopped.push_back(&container);
    std::stable_sort(stopped.begin(), stopped.end(), [](const Container* a, const Container* b) {
        return std::max(a->lastRan, a->created) < std::max(b->lastRan, b->created);
    });
    const auto usersOf = [&](const Image& image) {
        std::vector<const Container*> users;
        for (const Container& container : *containers)
            if (container.imageId == image.id)
                users.push_back(&container);
        return users;
    };

    std::vector<std::size_t> going;              // image indexes, in the order listed
    std::vector<JunkItem> imageItems;            // the same order
    std::vector<std::pair<const Container*, std::size_t>> dependent;  // a container, then its image's row
    for (std::size_t i = 0; i < images->size(); ++i) {
        const Image& image = (*images)[i];
        const std::vector<const Container*> users = usersOf(image);
        // A container the list does not show (another tool's) keeps the image.
        if (image.containers > int(users.size()))
            continue;
        if (!std::all_of(users.begin(), users.end(), [](const Container* c) { return c->mayGo(); }))
            continue;
        JunkItem item = toolItem(image.id, imageName(image), 0, users.empty(), kRemoveImage);
        if (users.empty()) {
            item.note = image.created > 0 ? LF("Criada em %@", dayOf(image.created)) : QString();
        } else {
            QStringList names;
            for (const Container* user : users) {
                names << user->name;
                item.goesWith << user->id;
            }
            item.note = LF("Sai com o contêiner %@", joinShown(names));
        }
        going.push_back(i);
        imageItems.push_back(std::move(item));
    }
    // Dependent images first, then dangling, then tagged, each oldest first.
    std::vector<std::size_t> order(going.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    const auto rank = [&](std::size_t row) {
        const Image& image = (*images)[going[row]];
        return imageItems[row].goesWith.isEmpty() ? (image.names.isEmpty() ? 1 : 2) : 0;
    };
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (rank(a) != rank(b))
            return rank(a) < rank(b);
        return (*images)[going[a]].created < (*images)[going[b]].created;
    });
    std::vector<std::size_t> goingInOrder;
    for (std::size_t row : order)
        goingInOrder.push_back(going[row]);
    const std::vector<std::int64_t> freed = Containers::freedBy(*images, goingInOrder, sizes);

    JunkGroup group = podmanGroup("podman", L("Contêineres e imagens do Podman"),
                                  L("Contêineres parados e imagens que nenhum contêiner usa"), "square.stack.3d.up");
    for (const Container* container : stopped) {
        const QString image = container->imageName.isEmpty() ? container->imageId.left(12) : container->imageName;
        JunkItem item = toolItem(container->id, container->name + QStringLiteral(" (") + image + QLatin1Char(')'),
                                 container->rwBytes, false, kRemoveContainer);
        item.note = containerNote(*container);
        group.items.push_back(std::move(item));
    }
    for (std::size_t k = 0; k < order.size(); ++k) {
        JunkItem item = imageItems[order[k]];
        item.size = freed[k];
        group.items.push_back(std::move(item));
    }
    if (group.items.empty())
        return std::nullopt;
    return group;
}

std::optional<JunkGroup> volumeGroup(const ContainerOutputs& outputs)
{
    const std::optional<std::vector<Containers::Volume>> volumes = Containers::parseVolumes(outputs.volumes);
    if (!volumes || volumes->empty())
        return std::nullopt;
    std::vector<Container> containers =
        Containers::parseContainers(outputs.containers).value_or(std::vector<Container>{});
    Containers::addContainerVolumes(containers, outputs.containerInspect);

    JunkGroup group = podmanGroup("podmanvolumes", L("Volumes do Podman"),
                                  L("Dados que os contêineres guardam: removidos só um a um"), "archivebox.fill");
    group.oneByOne = true;
    for (const Containers::Volume& volume : *volumes) {
        const std::optional<std::int64_t> bytes =
            volume.mountpoint.empty() ? std::nullopt : folderBytes(volume.mountpoint);
        JunkItem item = toolItem(volume.name, volume.name, bytes.value_or(0), false, kRemoveVolume);
        item.sizeKnown = bytes.has_value();
        item.url = volume.mountpoint;
        QStringList users;
        for (const Container& container : containers)
            if (container.volumes.contains(volume.name))
                users << container.name;
        item.note = users.isEmpty() ? L("Guarda dados de contêineres")
                                    : L("Guarda dados de contêineres") + QStringLiteral(" · ")
                                          + LF("Usado por %@", joinShown(users));
        group.items.push_back(std::move(item));
    }
    std::stable_sort(group.items.begin(), group.items.end(),
                     [](const JunkItem& a, const JunkItem& b) { return a.size > b.size; });
    return group;
}

ToolRemoval removeByTool(const JunkGroup& chosen, const std::function<Shell::Result(const std::string&)>& run,
                         const QStringList& wentBefore)
{
    ToolRemoval removal;
    removal.went = wentBefore;
    // Containers first, so the images and volumes they held can follow.
    std::vector<const JunkItem*> items;
    for (const JunkItem& item : chosen.items)
        if (item.tool == QLatin1String(kRemoveContainer))
            items.push_back(&item);
    for (const JunkItem& item : chosen.items)
        if (item.tool != QLatin1String(kRemoveContainer))
            items.push_back(&item);

    for (const JunkItem* item : items) {
        Plan::ItemResult& result = removal.results[item->id.toString(QUuid::WithoutBraces)];
        QStringList staying;
        for (const QString& id : item->goesWith)
            if (!removal.went.contains(id))
                staying << id;
        if (!staying.isEmpty()) {
            result = {Plan::Result::held, L("O contêiner que a usa ficou"), {}};
            continue;
        }
        // Checked by the parsers: hexadecimal ids and plain volume names.
        const Shell::Result done = run(LinuxApps::toolCommand(item->tool.toStdString() + " -- "
                                                              + Shell::q(item->toolId.toStdString()) + " 2>&1"));
        const QString said = done.out.trimmed().section(QLatin1Char('\n'), -1).trimmed();
        if (done.ok) {
            result = {Plan::Result::done, {}, {}};
            removal.went << item->toolId;
            if (item->sizeKnown)
                removal.freed += item->size;
        } else if (said.contains(QLatin1String("no such"), Qt::CaseInsensitive)
                   || said.contains(QLatin1String("not known"), Qt::CaseInsensitive)
                   || said.contains(QLatin1String("no container with"), Qt::CaseInsensitive)
                   || said.contains(QLatin1String("no volume with"), Qt::CaseInsensitive)) {
            result = {Plan::Result::gone, {}, {}};
            removal.went << item->toolId;
        } else {
            result = {Plan::Result::failed, said.isEmpty() ? L("A ferramenta recusou") : said, {}};
        }
    }
    return removal;
}

} // namespace SystemJunk
