#include "engines/junk/ContainerGroups.h"

#include <algorithm>
#include <set>

#include <QDateTime>

#include "engines/apps/LinuxPackageTools.h"
#include "engines/junk/ContainerStore.h"
#include "engines/junk/LinuxSystemJunk.h"
#include "engines/junk/SystemJunkGroups.h"
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


bool isDocker(const ContainerTool& tool)
{
    return &tool == &kDocker;
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

// The images built on images[i] (by their ancestors), as indexes.
std::vector<std::size_t> builtOn(const std::vector<Image>& images, std::size_t i)
{
    std::vector<std::size_t> children;
    for (std::size_t j = 0; j < images.size(); ++j)
        if (j != i && images[j].ancestors.contains(images[i].id))
            children.push_back(j);
    return children;
}

// Docker's build cache as one item; nothing when it holds nothing to free.
std::optional<JunkItem> buildCacheItem(const ContainerOutputs& outputs)
{
    const std::optional<std::int64_t> bytes = Containers::dockerBuildCacheBytes(outputs.buildCache);
    if (!bytes || *bytes <= 0)
        return std::nullopt;
    JunkItem item = toolItem(QString::fromUtf8(kBuildCacheItem), L("Cache de build do Docker"), *bytes, true,
                             kDockerPruneBuildCache);
    item.note = L("Etapas guardadas de builds anteriores, refeitas quando preciso");
    return item;
}

} // namespace

const ContainerTool kPodman{
    "podman", "podman", "podmanvolumes",
    "images --format json", "ps --all --size --format json", "image inspect --format json",
    "container inspect --format json", "history --format json", false, "volume ls --format json", nullptr,
    kRemoveContainer, kRemoveImage, kRemoveVolume,
    Containers::parseImages, Containers::parseContainers, Containers::parseVolumes, Containers::parseHistory,
    Containers::addContainerVolumes,
};

const ContainerTool kDocker{
    "docker", "docker", "dockervolumes",
    "image ls --no-trunc --format '{{json .}}'", "ps --all --size --no-trunc --format '{{json .}}'", "image inspect",
    "container inspect --size", "history --no-trunc --human=false --format '{{json .}}'", true,
    "volume ls --format '{{json .}}'", "system df -v --format '{{json .}}'",
    kDockerRemoveContainer, kDockerRemoveImage, kDockerRemoveVolume,
    Containers::parseDockerImages, Containers::parseDockerContainers, Containers::parseDockerVolumes,
    Containers::parseDockerHistory, Containers::addDockerContainerDetails,
};

std::optional<ContainerOutputs> readContainerTool(const ContainerTool& tool,
                                                  const std::function<Shell::Result(const std::string&)>& run)
{
    const auto output = [&](const std::string& command) -> std::optional<QByteArray> {
        const Shell::Result result =
            run(LinuxApps::toolCommand("nice -n 19 " + std::string(tool.program) + ' ' + command + " 2>/dev/null"));
        return result.ok ? std::optional(result.out.toUtf8()) : std::nullopt;
    };
    ContainerOutputs outputs;
    const std::optional<QByteArray> images = output(tool.listImages);
    if (!images)
        return std::nullopt;
    const std::optional<QByteArray> containers = output(tool.listContainers);
    if (!containers)
        return std::nullopt;
    outputs.images = *images;
    outputs.containers = *containers;
    // Ids are checked hexadecimal by the parsers, so they reach the shell as themselves.
    std::string imageIds, containerIds;
    const std::vector<Image> listed = tool.parseImages(outputs.images).value_or(std::vector<Image>{});
    for (const Image& image : listed)
        imageIds += ' ' + image.id.toStdString();
    for (const Container& container : tool.parseContainers(outputs.containers).value_or(std::vector<Container>{}))
        containerIds += ' ' + container.id.toStdString();
    if (!imageIds.empty()) {
        outputs.imageInspect = output(std::string(tool.inspectImages) + " --" + imageIds).value_or(QByteArray());
        // One history tells the sizes of every layer of its image: the images
        // with the most layers first, and none whose layers are all known,
        // unless the tool's histories also tell which image was built on which.
        std::vector<Image> images = listed;
        Containers::addImageLayers(images, outputs.imageInspect);
        std::stable_sort(images.begin(), images.end(),
                         [](const Image& a, const Image& b) { return a.layers.size() > b.layers.size(); });
        std::set<std::string> known;
        for (const Image& image : images) {
            if (!tool.everyHistory && !image.layers.empty()
                && std::all_of(image.layers.begin(), image.layers.end(),
                               [&](const std::string& layer) { return known.contains(layer); }))
                continue;
            if (std::optional<QByteArray> history = output(std::string(tool.history) + " -- " + image.id.toStdString())) {
                outputs.histories[image.id] = *history;
                if (const auto read = tool.parseHistory(*history); read && Containers::layerSizes(image, *read))
                    known.insert(image.layers.begin(), image.layers.end());
            }
        }
    }
    if (!containerIds.empty())
        outputs.containerInspect = output(std::string(tool.inspectContainers) + " --" + containerIds).value_or(QByteArray());
    outputs.volumes = output(tool.listVolumes).value_or(QByteArray());
    if (tool.diskUsage)
        outputs.buildCache = output(tool.diskUsage).value_or(QByteArray());
    return outputs;
}

std::optional<JunkGroup> containerGroup(const ContainerTool& tool, const ContainerOutputs& outputs)
{
    std::optional<std::vector<Image>> images = tool.parseImages(outputs.images);
    std::optional<std::vector<Container>> containers = tool.parseContainers(outputs.containers);
    if (!images || !containers)
        return std::nullopt;
    Containers::addImageLayers(*images, outputs.imageInspect);
    tool.addContainerDetails(*containers, outputs.containerInspect);
    Containers::LayerSizes sizes;
    for (Image& image : *images) {
        const auto found = outputs.histories.find(image.id);
        const std::optional<Containers::History> history =
            found == outputs.histories.end() ? std::nullopt : tool.parseHistory(found->second);
        if (!history)
            continue;
        image.ancestors = history->images;
        if (const std::optional<Containers::LayerSizes> layers = Containers::layerSizes(image, *history))
            sizes.insert(layers->begin(), layers->end());
    }

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

    // Which images may go: all their containers may, and so may every image built on them.
    std::vector<bool> offered(images->size());
    for (std::size_t i = 0; i < images->size(); ++i) {
        const std::vector<const Container*> users = usersOf((*images)[i]);
        // A container the list does not show (another tool's) keeps the image.
        offered[i] = (*images)[i].containers <= int(users.size())
                     && std::all_of(users.begin(), users.end(), [](const Container* c) { return c->mayGo(); });
    }
    for (bool changed = true; changed;) {
        changed = false;
        for (std::size_t i = 0; i < images->size(); ++i)
            for (std::size_t child : builtOn(*images, i))
                if (offered[i] && !offered[child]) {
                    offered[i] = false;
                    changed = true;
                }
    }

    std::vector<std::size_t> going;              // image indexes, in the order listed
    std::vector<JunkItem> imageItems;            // the same order
    for (std::size_t i = 0; i < images->size(); ++i) {
        if (!offered[i])
            continue;
        const Image& image = (*images)[i];
        const std::vector<const Container*> users = usersOf(image);
        const std::vector<std::size_t> children = builtOn(*images, i);
        JunkItem item = toolItem(image.id, imageName(image), 0, users.empty(), tool.removeImage);
        QStringList notes;
        if (users.empty() && children.empty() && image.created > 0)
            notes << LF("Criada em %@", dayOf(image.created));
        if (!users.empty()) {
            QStringList names;
            for (const Container* user : users) {
                names << user->name;
                item.goesWith << user->id;
            }
            notes << LF("Sai com o contêiner %@", joinShown(names));
        }
        if (!children.empty()) {
            QStringList names;
            for (std::size_t child : children) {
                names << imageName((*images)[child]);
                item.goesWith << (*images)[child].id;
            }
            notes << LF("Sai com a imagem %@", joinShown(names));
        }
        item.note = notes.join(QStringLiteral(" · "));
        going.push_back(i);
        imageItems.push_back(std::move(item));
    }
    // Dependent images first, then dangling, then tagged, each oldest first;
    // an image others were built on after them (it has more built on it than each).
    std::vector<std::size_t> order(going.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    const auto rank = [&](std::size_t row) {
        const Image& image = (*images)[going[row]];
        const int own = usersOf(image).empty() ? (image.names.isEmpty() ? 1 : 2) : 0;
        return std::pair(builtOn(*images, going[row]).size(), own);
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

    const QString title = isDocker(tool) ? L("Contêineres e imagens do Docker") : L("Contêineres e imagens do Podman");
    JunkGroup group = systemGroup(tool.group, title, L("Contêineres parados e imagens que nenhum contêiner usa"),
                                   "square.stack.3d.up");
    for (const Container* container : stopped) {
        const QString image = container->imageName.isEmpty() ? container->imageId.left(12) : container->imageName;
        JunkItem item = toolItem(container->id, container->name + QStringLiteral(" (") + image + QLatin1Char(')'),
                                 container->rwBytes, false, tool.removeContainer);
        item.note = containerNote(*container);
        group.items.push_back(std::move(item));
    }
    for (std::size_t k = 0; k < order.size(); ++k) {
        JunkItem item = imageItems[order[k]];
        item.size = freed[k];
        // Ticked only with everything it goes with (listed before it).
        for (const QString& id : item.goesWith)
            for (const JunkItem& before : group.items)
                if (before.toolId == id && !before.selected)
                    item.selected = false;
        group.items.push_back(std::move(item));
    }
    if (std::optional<JunkItem> cache = buildCacheItem(outputs))
        group.items.push_back(std::move(*cache));
    if (group.items.empty())
        return std::nullopt;
    return group;
}

std::optional<JunkGroup> volumeGroup(const ContainerTool& tool, const ContainerOutputs& outputs)
{
    const std::optional<std::vector<Containers::Volume>> volumes = tool.parseVolumes(outputs.volumes);
    if (!volumes || volumes->empty())
        return std::nullopt;
    std::vector<Container> containers = tool.parseContainers(outputs.containers).value_or(std::vector<Container>{});
    tool.addContainerDetails(containers, outputs.containerInspect);

    const QString title = isDocker(tool) ? L("Volumes do Docker") : L("Volumes do Podman");
    JunkGroup group = systemGroup(tool.volumeGroup, title, L("Dados que os contêineres guardam: removidos só um a um"),
                                   "archivebox.fill");
    group.oneByOne = true;
    for (const Containers::Volume& volume : *volumes) {
        const std::optional<std::int64_t> bytes =
            volume.mountpoint.empty() ? std::nullopt : folderBytes(volume.mountpoint);
        JunkItem item = toolItem(volume.name, volume.name, bytes.value_or(0), false, tool.removeVolume);
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
    const auto isContainer = [](const JunkItem& item) { return item.tool.endsWith(QLatin1String(" container rm")); };
    std::vector<const JunkItem*> items;
    for (const JunkItem& item : chosen.items)
        if (isContainer(item))
            items.push_back(&item);
    for (const JunkItem& item : chosen.items)
        if (!isContainer(item))
            items.push_back(&item);
    const auto isImage = [&chosen](const QString& id) {
        return std::any_of(chosen.items.begin(), chosen.items.end(), [&](const JunkItem& item) {
            return item.toolId == id && item.tool.endsWith(QLatin1String(" image rm"));
        });
    };

    for (const JunkItem* item : items) {
        Plan::ItemResult& result = removal.results[item->id.toString(QUuid::WithoutBraces)];
        QStringList staying;
        for (const QString& id : item->goesWith)
            if (!removal.went.contains(id))
                staying << id;
        if (!staying.isEmpty()) {
            result = {Plan::Result::held,
                      std::any_of(staying.begin(), staying.end(), isImage) ? L("A imagem feita sobre ela ficou")
                                                                           : L("O contêiner que a usa ficou"),
                      {}};
            continue;
        }
        // Checked by the parsers: hexadecimal ids and plain volume names. The
        // build cache has no id: its prune takes every record nothing uses.
        const std::string command = item->toolId == QLatin1String(kBuildCacheItem)
                                        ? item->tool.toStdString()
                                        : item->tool.toStdString() + " -- " + Shell::q(item->toolId.toStdString());
        const Shell::Result done = run(LinuxApps::toolCommand(command + " 2>&1"));
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
