// Container storage as junk, over Podman 4.3's recorded output (Debian 12):
// three images built on one imported base, an unused imported image, a
// dangling one, a created container with a volume and a volume nobody uses.
// Then over Docker 20.10's (Debian 12): five images built on one imported
// base a running container uses, one with two tags, one dangling, a created
// and an exited container, two volumes and a build cache.
// The sizes are checked against each tool's "system df -v" of the same
// storage; the removal runs against a stand-in tool that records every command.
#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>

#include "engines/junk/ContainerGroups.h"
#include "engines/junk/ContainerStore.h"
#include "engines/junk/JunkPlan.h"
#include "engines/junk/JunkScan.h"
#include "engines/junk/ToolStores.h"
#include "i18n/L.h"
#include "support/Fixtures.h"

using namespace SystemJunk;

namespace {

const std::string kRecorded = std::string(RECORDED_DIR) + "/podman/";

QByteArray recorded(const std::string& name)
{
    return QByteArray::fromStdString(readFile(kRecorded + name));
}

ContainerOutputs recordedOutputs()
{
    ContainerOutputs outputs{recorded("images.json"), recorded("ps.json"), recorded("image-inspect.json"),
                             recorded("container-inspect.json"), recorded("volumes.json"), {}, {}};
    for (const QString& name : QDir(QString::fromStdString(kRecorded)).entryList({"history-*.json"}))
        outputs.histories[name.mid(8, 64)] = recorded(name.toStdString());
    return outputs;
}

// What "podman system df -v" says the images hold, counting their one
// shared layer (the base's, "SHARED SIZE") once: every image's unique size
// plus that layer. Podman writes sizes in decimal units with four digits.
double dfImagesBytes()
{
    const QString text = QString::fromStdString(readFile(kRecorded + "system-df-v.txt"));
    const QRegularExpression row(R"(^\S+\s+\S+\s+[0-9a-f]{12}\s+.*?\s([\d.]+)(k?M?B)\s+([\d.]+)(k?M?B)\s+([\d.]+)(k?M?B)\s+\d+$)",
                                 QRegularExpression::MultilineOption);
    const auto bytes = [](const QString& number, const QString& unit) {
        return number.toDouble() * (unit == "MB" ? 1e6 : unit == "kB" ? 1e3 : 1);
    };
    double unique = 0, shared = 0;
    for (auto match = row.globalMatch(text); match.hasNext();) {
        const auto m = match.next();
        unique += bytes(m.captured(5), m.captured(6));
        shared = std::max(shared, bytes(m.captured(3), m.captured(4)));
    }
    return unique + shared;
}

const JunkItem* itemNamed(const JunkGroup& group, const QString& start)
{
    for (const JunkItem& item : group.items)
        if (item.name.startsWith(start))
            return &item;
    return nullptr;
}

} // namespace

TEST(ContainerGroups, RecordedPodmanStorageIsOfferedAsTheToolFreesIt)
{
    const std::optional<JunkGroup> group = containerGroup(kPodman, recordedOutputs());
    ASSERT_TRUE(group);
    QStringList names;
    for (const JunkItem& item : group->items)
        names << item.name;
    // The container, then the image only it uses, then dangling, then tagged images, oldest first.
    EXPECT_EQ(names, QStringList({"c1 (localhost/derived:1)", "localhost/derived:1", "<none> 1526a8ce2a97",
                                  "localhost/base:1", "localhost/other:1", "localhost/tmp:1"}));
    const JunkItem* container = itemNamed(*group, "c1");
    const JunkItem* dependent = itemNamed(*group, "localhost/derived");
    EXPECT_FALSE(container->selected);  // its writable layer may hold work
    EXPECT_FALSE(dependent->selected);
    EXPECT_EQ(dependent->goesWith, QStringList{container->toolId});
    EXPECT_TRUE(itemNamed(*group, "localhost/other")->selected);
    EXPECT_EQ(container->tool, kRemoveContainer);
    EXPECT_EQ(dependent->tool, kRemoveImage);

    // The base layer is shared by four images: counted once, with the first listed.
    EXPECT_GT(dependent->size, 5'000'000);
    EXPECT_LT(itemNamed(*group, "localhost/base")->size, 5'000);
    const double df = dfImagesBytes();
    EXPECT_NEAR(double(group->total()), df, df * 0.01);
}

TEST(ContainerGroups, VolumesAreNeverTickedAndNameTheirContainers)
{
    const std::optional<JunkGroup> group = volumeGroup(kPodman, recordedOutputs());
    ASSERT_TRUE(group);
    EXPECT_TRUE(group->oneByOne);
    ASSERT_EQ(group->items.size(), 2u);
    for (const JunkItem& item : group->items)
        EXPECT_FALSE(item.selected);
    EXPECT_TRUE(itemNamed(*group, "vol1")->note.contains("c1"));
    EXPECT_FALSE(itemNamed(*group, "vol2")->note.contains("c1"));
}

TEST(ContainerGroups, TheLargestToolStoreIsTheOneTheNoticeNames)
{
    std::vector<JunkGroup> groups{*containerGroup(kPodman, recordedOutputs()), *volumeGroup(kPodman, recordedOutputs())};
    JunkGroup caches;  // a home folder's group is never a tool's store, however large
    caches.items.push_back(JunkItem{.size = 1'000'000'000});
    groups.push_back(caches);
    const std::optional<StoreTotal> largest = largestToolStore(groups);
    ASSERT_TRUE(largest);
    EXPECT_EQ(largest->title, groups[0].title);
    EXPECT_FALSE(largestToolStore({caches}));
}

TEST(ContainerStore, LayersGoWithTheLastImageThatHasThem)
{
    using Containers::Image;
    std::vector<Image> images(3);
    images[0] = {"a", {}, 110, 0, 0, {"base", "top-a"}, {}};
    images[1] = {"b", {}, 130, 0, 0, {"base", "top-b"}, {}};
    images[2] = {"c", {}, 60, 0, 0, {"other"}, {}};
    const Containers::LayerSizes sizes{{"base", 100}, {"top-a", 10}, {"top-b", 20}, {"other", 50}};
    // Both users of the base going: the base counts once, with the first; metadata stays each image's own.
    EXPECT_EQ(Containers::freedBy(images, {1, 0}, sizes), (std::vector<std::int64_t>{130, 10}));
    // An image that stays keeps the base.
    EXPECT_EQ(Containers::freedBy(images, {0}, sizes), (std::vector<std::int64_t>{10}));
    // Layers whose sizes are unknown: the whole image, nothing guessed smaller.
    EXPECT_EQ(Containers::freedBy(images, {2}, {}), (std::vector<std::int64_t>{60}));
}

TEST(ContainerStore, ForeignOutputAndHostileIdsGiveNothing)
{
    EXPECT_FALSE(Containers::parseImages("Error: cannot re-exec process"));
    EXPECT_FALSE(Containers::parseImages(R"({"Id": "abc"})"));  // another version's object, not a list
    EXPECT_FALSE(Containers::parseContainers(""));
    const auto images = Containers::parseImages(
        R"([{"Id": "--force"}, {"Id": "0123456789ab; rm -rf ~"}, {"Id": 7}, {"Id": "0123456789abcdef", "Names": ["<none>:<none>"]}])");
    ASSERT_TRUE(images);
    ASSERT_EQ(images->size(), 1u);
    EXPECT_TRUE(images->front().names.isEmpty());
    const auto volumes = Containers::parseVolumes(
        R"([{"Name": "-rf"}, {"Name": "../x"}, {"Name": "a b"}, {"Name": "data_1.v-2", "Mountpoint": "relative"}])");
    ASSERT_TRUE(volumes);
    ASSERT_EQ(volumes->size(), 1u);
    EXPECT_TRUE(volumes->front().mountpoint.empty());
    // A history whose layers do not match the image's: no sizes rather than wrong ones.
    Containers::Image image{"a", {}, 10, 0, 0, {"one", "two"}, {}};
    EXPECT_FALSE(Containers::layerSizes(image, *Containers::parseHistory(R"([{"size": 5}])")));
}

TEST(ContainerGroups, PlanTakesAnImageOnlyWithItsContainerAndVolumesOneByOne)
{
    std::vector<JunkGroup> groups{*containerGroup(kPodman, recordedOutputs()), *volumeGroup(kPodman, recordedOutputs())};
    const QString dependent = itemNamed(groups[0], "localhost/derived")->toolId;

    // The dependent image alone: left out, saying which container stays.
    Plan::Record plan = Sweeper::planClean(groups, {}, {dependent.left(12)});
    EXPECT_TRUE(plan.items.empty());
    ASSERT_EQ(plan.leftOut.size(), 1);
    EXPECT_TRUE(plan.leftOut.front().contains("c1"));

    // The whole groups: every image and container, never a volume; a volume by its name.
    plan = Sweeper::planClean(groups, {"podman", "podmanvolumes"}, {"vol2"});
    ASSERT_EQ(plan.items.size(), groups[0].items.size() + 1);
    EXPECT_EQ(plan.items.back().label, "vol2");
    EXPECT_EQ(plan.items.back().tool, kRemoveVolume);
    EXPECT_FALSE(plan.items.back().admin);
    EXPECT_EQ(plan.items.front().fate, Plan::Fate::byTool);
    EXPECT_TRUE(plan.items[1].label.contains("c1"));  // the plan says what it goes with
}

TEST(ContainerGroups, RemovalGoesByIdContainersFirstAndReportsWhatTheToolSaid)
{
    JunkGroup group = *containerGroup(kPodman, recordedOutputs());
    std::vector<std::string> commands;
    const auto tool = [&](const std::string& command) {
        commands.push_back(command);
        if (command.find("container rm") != std::string::npos)
            return Shell::Result{false, "Error: cannot remove container 0dfbd0791495 as it is running"};
        if (command.find("cf13b9b85a40") != std::string::npos)
            return Shell::Result{false, "Error: cf13b9b85a40: image not known"};
        return Shell::Result{true, ""};
    };
    const ToolRemoval removal = removeByTool(group, tool);
    ASSERT_EQ(commands.size(), group.items.size() - 1);  // the dependent image was not tried
    EXPECT_NE(commands.front().find("podman container rm -- '0dfbd0791495"), std::string::npos);
    const auto resultOf = [&](const char* name) {
        return removal.results.at(itemNamed(group, name)->id.toString(QUuid::WithoutBraces)).result;
    };
    EXPECT_EQ(resultOf("c1"), Plan::Result::failed);  // started since the scan: the tool refuses, it stays
    EXPECT_EQ(resultOf("localhost/derived"), Plan::Result::held);
    EXPECT_EQ(resultOf("localhost/other"), Plan::Result::gone);
    EXPECT_EQ(resultOf("localhost/tmp"), Plan::Result::done);
    EXPECT_EQ(removal.freed, itemNamed(group, "localhost/tmp")->size + itemNamed(group, "localhost/base")->size
                                 + itemNamed(group, "<none>")->size);
}

// ---- Docker ---------------------------------------------------------------------

namespace {

const std::string kDockerRecorded = std::string(RECORDED_DIR) + "/docker/";

QByteArray dockerRecorded(const std::string& name)
{
    return QByteArray::fromStdString(readFile(kDockerRecorded + name));
}

// `dropping`: the lines of the container list to leave out.
ContainerOutputs dockerOutputs(const QString& dropping = {})
{
    QByteArray ps;
    for (const QByteArray& line : dockerRecorded("ps.jsonl").split('\n'))
        if (dropping.isEmpty() || !line.contains(dropping.toUtf8()))
            ps += line + '\n';
    ContainerOutputs outputs{dockerRecorded("images.jsonl"),         ps, dockerRecorded("image-inspect.json"),
                             dockerRecorded("container-inspect.json"), dockerRecorded("volumes.jsonl"), {},
                             dockerRecorded("system-df-v.json")};
    for (const QString& name : QDir(QString::fromStdString(kDockerRecorded)).entryList({"history-*.jsonl"}))
        outputs.histories[name.mid(8, 64)] = dockerRecorded(name.toStdString());
    return outputs;
}

// What "docker system df -v" says removing the offered items frees: every
// image's unique size (the base layer stays with the running container's
// image), the stopped containers' sizes and the build cache.
double dockerDfBytes()
{
    const QString text = QString::fromStdString(readFile(kDockerRecorded + "system-df-v.txt"));
    const auto bytes = [](const QString& size) { return double(Containers::dockerBytes(size).value()); };
    double sum = 0;
    const QRegularExpression image(R"(^\S+\s+\S+\s+[0-9a-f]{12}\s.*\s(\S+B)\s+\d+$)", QRegularExpression::MultilineOption);
    for (auto match = image.globalMatch(text); match.hasNext();)
        sum += bytes(match.next().captured(1));
    const QRegularExpression stopped(R"(^[0-9a-f]{12}\s.*\s(\S+B)\s+\S.*\s{2,}(Exited|Created))", QRegularExpression::MultilineOption);
    for (auto match = stopped.globalMatch(text); match.hasNext();)
        sum += bytes(match.next().captured(1));
    return sum + bytes(QRegularExpression(R"(Build cache usage: (\S+))").match(text).captured(1));
}

const JunkItem* dockerItem(const JunkGroup& group, const QString& start)
{
    const JunkItem* item = itemNamed(group, start);
    EXPECT_TRUE(item) << start.toStdString();
    return item;
}

} // namespace

TEST(DockerGroups, RecordedDockerStorageIsOfferedAsTheToolFreesIt)
{
    const std::optional<JunkGroup> group = containerGroup(kDocker, dockerOutputs());
    ASSERT_TRUE(group);
    EXPECT_EQ(group->id, "docker");
    QStringList names;
    for (const JunkItem& item : group->items)
        names << item.name;
    // The running container and the base it runs from are not offered; two tags are one image.
    EXPECT_EQ(names, QStringList({"c1 (derived:1)", "c2 (ran:1)", "derived:1", "ran:1", "<none> 7c325869e43a",
                                  "other:1, other:latest", "tmp:1", L("Cache de build do Docker")}));
    EXPECT_EQ(dockerItem(*group, "derived")->goesWith, QStringList{dockerItem(*group, "c1")->toolId});
    EXPECT_FALSE(dockerItem(*group, "ran")->selected);
    EXPECT_TRUE(dockerItem(*group, "other")->selected);
    EXPECT_TRUE(dockerItem(*group, L("Cache de build do Docker"))->selected);
    EXPECT_EQ(dockerItem(*group, "c2")->size, 300'000);  // exact, from the inspection
    EXPECT_EQ(dockerItem(*group, "c2")->tool, kDockerRemoveContainer);
    // The base layer stays with the running container: no image counts it.
    EXPECT_EQ(dockerItem(*group, "derived")->size, 2'000'000);
    const double df = dockerDfBytes();
    EXPECT_NEAR(double(group->total()), df, df * 0.01);

    const std::optional<JunkGroup> volumes = volumeGroup(kDocker, dockerOutputs());
    ASSERT_TRUE(volumes);
    EXPECT_EQ(volumes->id, "dockervolumes");
    EXPECT_TRUE(dockerItem(*volumes, "vol1")->note.contains("c1"));
}

TEST(DockerGroups, AnImageOthersWereBuiltOnGoesOnlyWithThemAndAfterThem)
{
    // Without the running container, the base may go: last, with the four images built on it.
    const JunkGroup group = *containerGroup(kDocker, dockerOutputs("\"c3\""));
    const JunkItem* base = dockerItem(group, "base:1");
    EXPECT_EQ(group.items[group.items.size() - 2].name, "base:1");
    EXPECT_EQ(base->goesWith.size(), 4);
    EXPECT_FALSE(base->selected);  // two of them go only with their containers
    // The shared layer counted once, with the first image listed.
    EXPECT_EQ(dockerItem(group, "derived")->size, 7'220'784);
    EXPECT_EQ(base->size, 0);

    // Chosen without one of them, it stays, saying which image keeps it.
    const Plan::Record plan = Sweeper::planClean({group}, {}, {base->toolId, dockerItem(group, "tmp")->toolId});
    ASSERT_EQ(plan.leftOut.size(), 1);
    EXPECT_TRUE(plan.leftOut.front().contains("derived:1"));

    // An image built on it that the tool refuses to remove holds it back.
    const auto tool = [](const std::string& command) {
        if (command.find("ec10cf041f05") != std::string::npos)
            return Shell::Result{false, "Error response from daemon: conflict: unable to delete ec10cf041f05"};
        return Shell::Result{true, ""};
    };
    const ToolRemoval removal = removeByTool(group, tool);
    const Plan::ItemResult& held = removal.results.at(base->id.toString(QUuid::WithoutBraces));
    EXPECT_EQ(held.result, Plan::Result::held);
    EXPECT_EQ(held.reason, L("A imagem feita sobre ela ficou"));
}

TEST(DockerGroups, ASocketThatRefusesOrADaemonThatIsDownGivesNoGroup)
{
    for (const char* said : {"permission-denied.txt", "daemon-down.txt"}) {
        std::vector<std::string> commands;
        const auto docker = [&](const std::string& command) {
            commands.push_back(command);
            return Shell::Result{false, QString::fromUtf8(dockerRecorded(said))};
        };
        EXPECT_FALSE(readContainerTool(kDocker, docker)) << said;
        ASSERT_EQ(commands.size(), 1u);
        EXPECT_NE(commands[0].find("docker image ls --no-trunc --format '{{json .}}'"), std::string::npos);
    }
}

TEST(DockerGroups, RemovalGoesByTheFullIdAndTheBuildCacheByOnePrune)
{
    const JunkGroup group = *containerGroup(kDocker, dockerOutputs());
    std::vector<std::string> commands;
    removeByTool(group, [&](const std::string& command) {
        commands.push_back(command);
        return Shell::Result{true, ""};
    });
    ASSERT_EQ(commands.size(), group.items.size());
    EXPECT_NE(commands[0].find("docker container rm -- 'b1e3557dd59153defb4ff3919908f53917d629bdbe4899cc68c2b71b10ca5bc2' 2>&1"),
              std::string::npos);
    EXPECT_NE(commands[2].find("docker image rm -- '72726a4a82060ed814b5bb1067ecec4e7fa1891d3e350a49eaa99de81659c35f'"),
              std::string::npos);
    EXPECT_NE(commands.back().find("docker builder prune -f 2>&1"), std::string::npos);
    EXPECT_EQ(commands.back().find(" -- "), std::string::npos);
}

TEST(DockerStore, RoundedSizesAndForeignOutputGiveNothingRatherThanAGuess)
{
    EXPECT_EQ(Containers::dockerBytes("6.22MB"), 6'220'000);
    EXPECT_EQ(Containers::dockerBytes("0B"), 0);
    EXPECT_EQ(Containers::dockerBytes("1.5GB"), 1'500'000'000);
    for (const char* foreign : {"N/A", "-1kB", "1.5 GB", "5MiB", ""})
        EXPECT_FALSE(Containers::dockerBytes(foreign)) << foreign;
    EXPECT_FALSE(Containers::parseDockerImages("permission denied while trying to connect"));
    EXPECT_FALSE(Containers::parseDockerImages(R"([{"ID": "sha256:0123456789ab"}])"));  // a list, not lines
    EXPECT_FALSE(Containers::parseDockerHistory(R"({"ID": "<missing>", "Size": "5.2MB"})"));  // sizes not in bytes
    const auto images = Containers::parseDockerImages(
        "{\"ID\": \"--force\"}\n{\"ID\": \"sha256:0123456789ab; rm -rf ~\"}\n"
        "{\"ID\": \"sha256:0123456789abcdef\", \"Repository\": \"<none>\", \"Tag\": \"<none>\", \"Size\": \"N/A\"}\n");
    ASSERT_TRUE(images);
    ASSERT_EQ(images->size(), 1u);
    EXPECT_EQ(images->front().id, "0123456789abcdef");
    EXPECT_TRUE(images->front().names.isEmpty());
    EXPECT_FALSE(Containers::dockerBuildCacheBytes("{}"));
}
