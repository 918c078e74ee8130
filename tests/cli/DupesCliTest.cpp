// quillmoor-cli's "dupes" on a fixture folder: the JSON of the groups, the
// keep rule, and --trash that acts only with --yes.
#include <gtest/gtest.h>

#include <chrono>

#include <QJsonArray>
#include <QJsonObject>

#include "cli/DupesCommands.h"
#include "platform/FS.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;

namespace {

QString text(const fs::path& path) { return QString::fromStdString(path.native()); }

} // namespace

TEST(DupesCli, ListsGroupsAsJsonAndTrashesOnlyWithYes)
{
    const fs::path root = freshFolder("dupes-cli");
    const std::string song(2'000'000, 's');
    writeFile(root / "Music/song.mp3", song);
    writeFile(root / "Downloads/song.mp3", song);
    writeFile(root / "Downloads/a much longer name/song (1).mp3", song);
    writeFile(root / "small1", "same");
    writeFile(root / "small2", "same");
    // The copies are written within one clock tick on some file systems: say which is oldest.
    fs::last_write_time(root / "Music/song.mp3", fs::file_time_type::clock::now() - std::chrono::hours(48));

    CliOutcome r = runCli({"dupes", text(root), "--json"});
    ASSERT_EQ(r.status, Cli::Success) << qPrintable(r.err);
    QJsonArray groups = jsonOf(r).array();
    ASSERT_EQ(groups.size(), 1);  // the small files are under the default 1 MB
    EXPECT_EQ(groups[0].toObject()["size"].toInteger(), 2'000'000);
    EXPECT_EQ(groups[0].toObject()["reclaimable"].toInteger(), 4'000'000);
    const QJsonArray copies = groups[0].toObject()["copies"].toArray();
    ASSERT_EQ(copies.size(), 3);
    EXPECT_EQ(copies[0]["path"].toString(), text(root / "Music/song.mp3"));  // the oldest is kept
    EXPECT_TRUE(copies[0]["keep"].toBool());
    EXPECT_FALSE(copies[0]["selected"].toBool());
    EXPECT_TRUE(copies[1]["selected"].toBool() && copies[2]["selected"].toBool());
    EXPECT_TRUE(copies[1]["note"].isNull());

    groups = jsonOf(runCli({"dupes", text(root), "--min", "0", "--keep", "shortest", "--json"})).array();
    ASSERT_EQ(groups.size(), 2);
    for (const QJsonValue& copy : groups[0].toObject()["copies"].toArray())
        EXPECT_EQ(copy["keep"].toBool(), copy["path"].toString() == text(root / "Music/song.mp3"));

    EXPECT_EQ(runCli({"dupes", text(root), "--min", "lots"}).status, Cli::BadUsage);
    EXPECT_EQ(runCli({"dupes", text(root), "--keep", "biggest"}).status, Cli::BadUsage);
    EXPECT_EQ(runCli({"dupes", text(root / "small1")}).status, Cli::BadUsage);

    r = runCli({"dupes", text(root), "--trash"});  // without --yes: a plan, nothing moved
    EXPECT_EQ(r.status, Cli::Success);
    EXPECT_TRUE(present(root / "Downloads/song.mp3"));
    r = runCli({"dupes", text(root), "--trash", "--yes", "--json"});
    ASSERT_EQ(r.status, Cli::Success) << qPrintable(r.out + r.err);
    EXPECT_EQ(jsonOf(r).object()["trashed"].toInteger(), 4'000'000);
    EXPECT_TRUE(present(root / "Music/song.mp3"));
    EXPECT_FALSE(present(root / "Downloads/song.mp3"));
    EXPECT_TRUE(present(FS::trashFolder() / "song (1).mp3"));
}
