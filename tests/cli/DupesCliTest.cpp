// quillmoor-cli's "dupes" on a fixture folder: the groups in the window's
// order (kept copy first) as text and JSON, what can come back beside what is
// ticked, the keep rule, and --trash that acts only with --yes.
#include <gtest/gtest.h>

#include <chrono>

#include <QImage>
#include <QJsonArray>
#include <QJsonObject>

#include "cli/DupesCommands.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "platform/Fmt.h"
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
    const std::string lib(1'500'000, 'l');  // a copy inside a project: nothing of it starts ticked
    writeFile(root / "lib.bin", lib);
    writeFile(root / "app/node_modules/x/lib.bin", lib);
    // The copies are written within one clock tick on some file systems: say which is oldest.
    fs::last_write_time(root / "Music/song.mp3", fs::file_time_type::clock::now() - std::chrono::hours(48));

    CliOutcome r = runCli({"dupes", text(root), "--json"});
    ASSERT_EQ(r.status, Cli::Success) << qPrintable(r.err);
    QJsonArray groups = jsonOf(r).array();
    ASSERT_EQ(groups.size(), 2);  // the small files are under the default 1 MB
    EXPECT_EQ(groups[0].toObject()["size"].toInteger(), 2'000'000);
    EXPECT_EQ(groups[0].toObject()["reclaimable"].toInteger(), 4'000'000);
    EXPECT_EQ(groups[0].toObject()["selectedBytes"].toInteger(), 4'000'000);
    EXPECT_EQ(groups[1].toObject()["reclaimable"].toInteger(), 1'500'000);
    EXPECT_EQ(groups[1].toObject()["selectedBytes"].toInteger(), 0);
    const QJsonArray copies = groups[0].toObject()["copies"].toArray();
    ASSERT_EQ(copies.size(), 3);
    EXPECT_EQ(copies[0]["path"].toString(), text(root / "Music/song.mp3"));  // the oldest is kept
    EXPECT_TRUE(copies[0]["keep"].toBool());
    EXPECT_FALSE(copies[0]["selected"].toBool());
    EXPECT_TRUE(copies[1]["selected"].toBool() && copies[2]["selected"].toBool());
    EXPECT_TRUE(copies[1]["note"].isNull());
    EXPECT_LT(copies[1]["path"].toString(), copies[2]["path"].toString());  // then the others by path

    // The text says, per group and in all, what can come back and what is ticked.
    r = runCli({"dupes", text(root)});
    ASSERT_EQ(r.status, Cli::Success) << qPrintable(r.err);
    const QString dot = "  ·  ";
    const QStringList lines = r.out.split('\n');
    ASSERT_GE(lines.size(), 9) << qPrintable(r.out);
    EXPECT_EQ(lines[0], LF("%@ × %ld", Fmt::bytes(2'000'000), 3L) + dot + LF("%@ a liberar", Fmt::bytes(4'000'000))
                            + dot + LF("%@ selecionados", Fmt::bytes(4'000'000)));
    EXPECT_TRUE(lines[1].startsWith("  " + L("[mantida]")) && lines[1].endsWith(text(root / "Music/song.mp3")));
    EXPECT_TRUE(lines[4].endsWith(dot + LF("%@ selecionados", Fmt::bytes(0)))) << qPrintable(lines[4]);
    EXPECT_EQ(lines[7], LP(2, "%ld grupos de cópias", 2L) + dot + LF("%@ a liberar", Fmt::bytes(5'500'000)) + dot
                            + LF("%@ selecionados", Fmt::bytes(4'000'000)));

    groups = jsonOf(runCli({"dupes", text(root), "--min", "0", "--keep", "shortest", "--json"})).array();
    ASSERT_EQ(groups.size(), 3);
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
    // The history says the command line started it.
    r = runCli({"history", "--json"});
    ASSERT_EQ(jsonOf(r).array().size(), 1);
    EXPECT_EQ(jsonOf(r).array()[0].toObject()["origin"].toString(), "cli");
}

TEST(DupesCli, TrashedCopiesComeBackByTheirHistoryId)
{
    const fs::path root = freshFolder("dupes-cli-restore");
    writeFile(root / "kept.txt", "same bytes");
    writeFile(root / "copy.txt", "same bytes");
    fs::last_write_time(root / "kept.txt", fs::file_time_type::clock::now() - std::chrono::hours(48));
    ASSERT_EQ(runCli({"dupes", text(root), "--min", "0", "--trash", "--yes"}).status, Cli::Success);
    ASSERT_FALSE(present(root / "copy.txt"));
    const QString id = jsonOf(runCli({"history", "--json"})).array()[0].toObject()["id"].toString();
    ASSERT_EQ(id.size(), 8);
    const CliOutcome history = runCli({"history"});
    EXPECT_TRUE(history.out.startsWith(id + "  ")) << qPrintable(history.out);
    EXPECT_TRUE(history.out.contains("    .1 ")) << qPrintable(history.out);

    // Without --yes: what would come back, nothing moved.
    CliOutcome r = runCli({"restore", id});
    EXPECT_EQ(r.status, Cli::Success) << qPrintable(r.err);
    EXPECT_TRUE(r.out.contains(id + ".1")) << qPrintable(r.out);
    EXPECT_FALSE(present(root / "copy.txt"));

    // Its place taken: refused (exit 1) and left alone; --as puts it beside.
    writeFile(root / "copy.txt", "newer");
    r = runCli({"restore", id, "--yes"});
    EXPECT_EQ(r.status, Cli::Failure);
    EXPECT_EQ(readFile(root / "copy.txt"), "newer");
    r = runCli({"--json", "restore", id + ".1", "--as", "copy (restored).txt", "--yes"});
    ASSERT_EQ(r.status, Cli::Success) << qPrintable(r.out + r.err);
    const QJsonObject item = jsonOf(r).object()["items"].toArray()[0].toObject();
    EXPECT_TRUE(item["restored"].toBool());
    EXPECT_EQ(item["restoredAt"].toString(), text(root / "copy (restored).txt"));
    EXPECT_EQ(readFile(root / "copy (restored).txt"), "same bytes");

    // Once back, it is no longer in the Trash; unknown and malformed ids.
    EXPECT_EQ(runCli({"restore", id, "--yes"}).status, Cli::Failure);
    EXPECT_EQ(runCli({"restore", id == "00000000" ? "00000001" : "00000000"}).status, Cli::Failure);
    EXPECT_EQ(runCli({"restore", id + ".9"}).status, Cli::Failure);
    for (const QStringList& args : {QStringList{"restore"}, QStringList{"restore", "not-an-id"},
                                    QStringList{"restore", id, "--as", "a/b"}, QStringList{"restore", id, "--force"}})
        EXPECT_EQ(runCli(args).status, Cli::BadUsage) << qPrintable(args.join(' '));
}

TEST(DupesCli, SimilarPicturesListWithTheirSizesAndRefuseWhatOnlyIdenticalCopiesAllow)
{
    const fs::path root = freshFolder("dupes-cli-similar");
    QImage photo(600, 400, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb((x * 255) / 600, (y * 255) / 400, ((x + y) % 97) * 2));
    ASSERT_TRUE(photo.save(text(root / "photo.png"), "PNG"));
    ASSERT_TRUE(photo.scaled(300, 200).save(text(root / "photo small.jpg"), "JPEG", 80));

    CliOutcome r = runCli({"dupes", text(root), "--similar", "--min", "0", "--json"});
    ASSERT_EQ(r.status, Cli::Success) << qPrintable(r.err);
    const QJsonArray groups = jsonOf(r).array();
    ASSERT_EQ(groups.size(), 1);
    const QJsonArray copies = groups[0].toObject()["copies"].toArray();
    ASSERT_EQ(copies.size(), 2);
    EXPECT_EQ(copies[0]["path"].toString(), text(root / "photo.png"));  // the most pixels
    EXPECT_TRUE(copies[0]["keep"].toBool());
    EXPECT_FALSE(copies[1]["selected"].toBool());  // nothing starts ticked
    EXPECT_EQ(copies[1]["width"].toInt(), 300);
    EXPECT_EQ(copies[1]["height"].toInt(), 200);
    EXPECT_EQ(copies[1]["format"].toString(), "JPEG");
    EXPECT_GE(copies[1]["distance"].toInt(), 0);

    r = runCli({"dupes", text(root), "--similar", "--level", "3", "--min", "0"});
    ASSERT_EQ(r.status, Cli::Success) << qPrintable(r.err);
    EXPECT_TRUE(r.out.contains("600 × 400")) << qPrintable(r.out);
    EXPECT_TRUE(r.out.contains(LP(1, "%ld grupos de imagens parecidas", 1))) << qPrintable(r.out);

    for (const QStringList& args : {QStringList{"dupes", "--similar", "--reflink"}, QStringList{"dupes", "--similar", "--keep", "newest"},
                                    QStringList{"dupes", "--level", "2"}, QStringList{"dupes", "--similar", "--level", "4"}})
        EXPECT_EQ(runCli(args).status, Cli::BadUsage) << qPrintable(args.join(' '));
}
