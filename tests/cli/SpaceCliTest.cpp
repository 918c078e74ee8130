// quillmoor-cli's "du" and "maintenance" on fixture folders and injected runners.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QProcess>

#include "cli/MaintenanceCommands.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "profiles/Profile.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;

TEST(DuCli, ChildrenLargestFirstWithTheTotal)
{
    const fs::path folder = freshFolder("du cli");
    writeBytes(folder / "big/a/b/deep.bin", 90000);
    writeBytes(folder / "mid.bin", 30000);
    writeBytes(folder / ".hidden/x", 50000);
    writeFile(folder / "it's $(odd).txt", "x");
    fs::create_directory(folder / "empty");

    const CliOutcome r = runCli({"--json", "du", QString::fromStdString(folder.native())});
    ASSERT_EQ(r.status, 0) << qPrintable(r.err);
    const QJsonObject result = jsonOf(r).object();
    const QJsonArray entries = result["entries"].toArray();
    ASSERT_EQ(entries.size(), 5);
    QStringList names;
    qint64 sum = 0;
    qint64 previous = std::numeric_limits<qint64>::max();
    for (const QJsonValue& value : entries) {
        const QJsonObject entry = value.toObject();
        names << entry["name"].toString();
        const qint64 size = entry["size"].toInteger();
        EXPECT_LE(size, previous);
        EXPECT_EQ(size, FS::size(QFile::encodeName(entry["path"].toString()).toStdString()));
        previous = size;
        sum += size;
    }
    EXPECT_EQ(names.mid(0, 3), (QStringList{"big", ".hidden", "mid.bin"}));
    EXPECT_EQ(result["total"].toInteger(), sum);

    // The files' own blocks are du's figure exactly (du adds the folders' blocks too).
    QProcess du;
    du.start("du", {"-s", "--block-size=1", QString::fromStdString((folder / "mid.bin").native())});
    if (du.waitForFinished() && du.exitCode() == 0) {
        EXPECT_EQ(du.readAllStandardOutput().split('\t').value(0).toLongLong(), entries[2].toObject()["size"].toInteger());
    }

    const CliOutcome text = runCli({"du", QString::fromStdString(folder.native()), "--no-hidden"});
    EXPECT_EQ(text.status, 0);
    EXPECT_TRUE(text.out.contains("big/\n"));
    EXPECT_FALSE(text.out.contains(".hidden"));
    EXPECT_TRUE(text.out.trimmed().split('\n').last().contains(LP(4, "%ld itens", 4)));

    EXPECT_EQ(runCli({"du", QString::fromStdString((folder / "mid.bin").native())}).status, 1);
    EXPECT_EQ(runCli({"du", "/nowhere/at/all"}).status, 1);
    EXPECT_EQ(runCli({"du", "--fast"}).status, 2);
    EXPECT_EQ(runCli({"du", "a", "b"}).status, 2);
}

// How the links' sizes are counted is the space map's own business; here, what
// the tool writes about them and how it measures a link given as the folder.
TEST(DuCli, LinksAreMarkedAndALinkedFolderIsMeasuredByItsRealPath)
{
    const fs::path folder = freshFolder("du links");
    writeBytes(folder / "real/inside.bin", 60000);
    writeBytes(folder / "file.bin", 20000);
    fs::create_directory_symlink(folder / "real", folder / "to-real");
    fs::create_symlink(folder / "file.bin", folder / "to-file");
    fs::create_symlink(folder / "nowhere", folder / "dangling");
    const QString real = QString::fromStdString(fs::canonical(folder / "real").native());

    const CliOutcome r = runCli({"--json", "du", QString::fromStdString(folder.native())});
    ASSERT_EQ(r.status, 0) << qPrintable(r.err);
    QMap<QString, QJsonObject> byName;
    for (const QJsonValue& value : jsonOf(r).object()["entries"].toArray())
        byName[value.toObject()["name"].toString()] = value.toObject();
    ASSERT_EQ(byName.size(), 5);
    for (const QString link : {"to-real", "to-file", "dangling"}) {
        EXPECT_TRUE(byName[link]["isLink"].toBool()) << qPrintable(link);
        EXPECT_FALSE(byName[link]["isDir"].toBool()) << qPrintable(link);
    }
    EXPECT_FALSE(byName["real"]["isLink"].toBool());
    EXPECT_EQ(byName["to-real"]["target"].toString(), real);
    EXPECT_TRUE(byName["to-file"]["target"].isNull());
    const CliOutcome text = runCli({"du", QString::fromStdString(folder.native())});
    EXPECT_TRUE(text.out.contains("to-real -> " + real + "/\n")) << qPrintable(text.out);

    const CliOutcome through = runCli({"--json", "du", QString::fromStdString((folder / "to-real").native())});
    ASSERT_EQ(through.status, 0) << qPrintable(through.err);
    const QJsonObject linked = jsonOf(through).object();
    EXPECT_EQ(linked["path"].toString(), real);
    EXPECT_EQ(linked["total"].toInteger(), FS::size(folder / "real"));
    EXPECT_EQ(runCli({"du", QString::fromStdString((folder / "to-file").native())}).status, 1);
    EXPECT_EQ(runCli({"du", QString::fromStdString((folder / "dangling").native())}).status, 1);
}

TEST(DuCli, ANameWithALineFeedStaysOnItsLineAndExactInJson)
{
    // (how each control character is written is Cli::lineSafe's, in CliTest)
    const fs::path folder = freshFolder("du names");
    writeBytes(folder / "two\nlines.bin", 10000);

    const CliOutcome text = runCli({"du", QString::fromStdString(folder.native())});
    ASSERT_EQ(text.status, 0);
    const QStringList lines = text.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2) << qPrintable(text.out);  // the entry and the total
    EXPECT_TRUE(text.out.contains("two\\nlines.bin")) << qPrintable(text.out);

    const CliOutcome json = runCli({"--json", "du", QString::fromStdString(folder.native())});
    const QJsonArray entries = jsonOf(json).object()["entries"].toArray();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].toObject()["name"].toString(), "two\nlines.bin");
}

TEST(MaintenanceCli, ListsAndRunsTheNamedRoutines)
{
    ASSERT_TRUE(Profiles::choose("macos"));  // the designed routines
    struct Back {
        ~Back() { Profiles::choose("linux"); }
    } back;
    const CliOutcome list = runCli({"--json", "maintenance"});
    ASSERT_EQ(list.status, 0);
    const QJsonArray tasks = jsonOf(list).array();
    ASSERT_EQ(tasks.size(), 7);
    EXPECT_TRUE(tasks[0].toObject()["admin"].toBool());  // "ram"
    EXPECT_EQ(runCli({"maintenance"}).out.count('\n'), 7);

    int prompts = 0;
    Cli::setMaintenanceRunners([](const std::string& cmd) { return Shell::Result{cmd.find("Dock") == std::string::npos, "gone"}; },
                               [&](const Admin::Request&) {
                                   ++prompts;
                                   return Admin::Reply{true, {}, {}, "OK:dns\nFAIL:ram\n"};
                               });
    const CliOutcome run = runCli({"--json", "maintenance", "--run", "ql", "dns", "--run", "ram", "dock", "ql"});
    Cli::setMaintenanceRunners({}, {});
    EXPECT_EQ(run.status, 1);
    ASSERT_EQ(prompts, 1);  // one prompt for both
    const QJsonObject outcome = jsonOf(run).object();
    EXPECT_EQ(outcome["ok"].toArray(), (QJsonArray{"dns", "ql"}));
    EXPECT_EQ(outcome["failures"].toArray().size(), 2);

    EXPECT_EQ(runCli({"maintenance", "--run"}).status, 2);
    EXPECT_EQ(runCli({"maintenance", "--run", "defrag"}).status, 2);
    EXPECT_EQ(runCli({"maintenance", "ram"}).status, 2);
}
