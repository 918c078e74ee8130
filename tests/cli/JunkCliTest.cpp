// quillmoor-cli's "junk" and "clean" on a fixture home.
#include <gtest/gtest.h>

#include <cstdlib>

#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/Cli.h"
#include "engines/JunkFixture.h"
#include "platform/Prefs.h"

using namespace junkfixture;

namespace {

struct Outcome {
    int status;
    QString out;
    QString err;
};

Outcome runCli(const QStringList& args)
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const int status = Cli::run(args, outStream, errStream);
    outStream.flush();
    errStream.flush();
    return {status, out, err};
}

// Two cache folders (one selected, one not), a tool cache (never selected)
// and an installer (never selected, goes to the Trash).
class JunkCli : public JunkHome {
protected:
    void SetUp() override
    {
        JunkHome::SetUp();
        exampleSize = writeFile(example(), 5 * 4096);
        writeFile(safari() / "data", 12 * 4096);
        writeFile(pip() / "wheel", 3 * 4096);
        installerSize = writeFile(installer(), 2 * 4096);
    }
    fs::path example() const { return home / "Library/Caches/com.example.app"; }
    fs::path safari() const { return home / "Library/Caches/com.apple.Safari"; }
    fs::path pip() const { return home / ".cache/pip"; }
    fs::path installer() const { return home / "Downloads/Setup.DMG"; }

    std::int64_t storedTotal() const { return Prefs::readInt(*Prefs::standard(), "totalFreed"); }

    std::int64_t exampleSize = 0;
    std::int64_t installerSize = 0;
};

} // namespace

TEST_F(JunkCli, JunkJsonMatchesTheFixture)
{
    const Outcome r = runCli({"junk", "--json"});
    ASSERT_EQ(r.status, Cli::Success) << qPrintable(r.err);
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(r.out.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << qPrintable(r.out);
    const QJsonArray groups = document.array();
    ASSERT_EQ(groups.size(), 3);
    EXPECT_EQ(groups[0]["id"].toString(), "caches");
    EXPECT_EQ(groups[1]["id"].toString(), "dotcache");
    EXPECT_EQ(groups[2]["id"].toString(), "installers");

    const QJsonObject caches = groups[0].toObject();
    EXPECT_EQ(caches["selectedTotal"].toInteger(), exampleSize);
    EXPECT_TRUE(caches["permanent"].toBool());
    const QJsonArray items = caches["items"].toArray();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]["name"].toString(), "com.apple.Safari");
    EXPECT_FALSE(items[0]["selected"].toBool());
    EXPECT_EQ(items[1]["name"].toString(), "com.example.app");
    EXPECT_EQ(items[1]["path"].toString(), QString::fromStdString(example().string()));
    EXPECT_EQ(items[1]["size"].toInteger(), exampleSize);
    EXPECT_TRUE(items[1]["selected"].toBool());
    EXPECT_EQ(caches["total"].toInteger(), items[0]["size"].toInteger() + exampleSize);

    EXPECT_FALSE(groups[2]["permanent"].toBool());
}

TEST_F(JunkCli, JunkTextListsGroupsWithMarks)
{
    const Outcome r = runCli({"junk"});
    ASSERT_EQ(r.status, Cli::Success);
    EXPECT_TRUE(r.out.contains("[x]"));
    EXPECT_TRUE(r.out.contains("com.example.app"));
    EXPECT_LT(r.out.indexOf("com.apple.Safari"), r.out.indexOf("com.example.app"));
    EXPECT_EQ(runCli({"junk", "extra"}).status, Cli::BadUsage);
}

TEST_F(JunkCli, CleanWithoutYesOrWithDryRunRemovesNothing)
{
    const std::int64_t before = storedTotal();
    for (const QStringList& args : {QStringList{"clean"}, QStringList{"clean", "--dry-run", "--yes"},
                                    QStringList{"--json", "clean", "--group", "installers"}}) {
        const Outcome r = runCli(args);
        EXPECT_EQ(r.status, Cli::Success) << qPrintable(args.join(' '));
        EXPECT_TRUE(fs::exists(example()));
        EXPECT_TRUE(fs::exists(installer()));
    }
    const Outcome plan = runCli({"clean"});
    EXPECT_TRUE(plan.out.contains(QString::fromStdString(example().string())));
    EXPECT_FALSE(plan.out.contains("Safari"));
    EXPECT_EQ(storedTotal(), before);
}

TEST_F(JunkCli, CleanYesRemovesTheSelectedAndLeavesTheRest)
{
    const std::int64_t before = storedTotal();
    const Outcome r = runCli({"clean", "--yes"});
    EXPECT_EQ(r.status, Cli::Success) << qPrintable(r.err);
    EXPECT_FALSE(fs::exists(example()));
    EXPECT_TRUE(fs::exists(safari()));
    EXPECT_TRUE(fs::exists(pip()));
    EXPECT_TRUE(fs::exists(installer()));
    EXPECT_EQ(storedTotal(), before + exampleSize);
    EXPECT_TRUE(Prefs::standard()->contains("lastClean"));
}

TEST_F(JunkCli, CleanNamedGroupTakesAllItsItemsToTheTrash)
{
    const std::int64_t before = storedTotal();
    const Outcome r = runCli({"--json", "clean", "--group", "installers", "--yes"});
    ASSERT_EQ(r.status, Cli::Success) << qPrintable(r.err);
    const QJsonObject outcome = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(outcome["trashed"].toInteger(), installerSize);
    EXPECT_EQ(outcome["freed"].toInteger(), 0);
    EXPECT_FALSE(fs::exists(installer()));
    EXPECT_TRUE(fs::exists(FS::trashFolder() / "Setup.DMG"));
    EXPECT_TRUE(fs::exists(example()));  // other groups untouched, selected or not
    // Moving to the Trash frees nothing yet.
    EXPECT_EQ(storedTotal(), before);
}

TEST_F(JunkCli, CleanFailureIsExitOneWithTheMessage)
{
    // A selected cache with a file that cannot be deleted: an immutable file
    // (for root, who may delete anything else) or a folder without write access.
    const fs::path locked = home / "Library/Caches/locked";
    writeFile(locked / "inner/x", 4096);
    const std::string lockCommand = "chattr +i '" + (locked / "inner/x").string() + "' 2>/dev/null";
    const std::string unlockCommand = "chattr -i '" + (locked / "inner/x").string() + "' 2>/dev/null";
    if (geteuid() == 0) {
        if (std::system(lockCommand.c_str()) != 0)
            GTEST_SKIP() << "no immutable files here";
    } else {
        fs::permissions(locked / "inner", fs::perms::owner_read | fs::perms::owner_exec);
    }
    const Outcome r = runCli({"clean", "--yes"});
    if (geteuid() == 0)
        std::system(unlockCommand.c_str());
    fs::permissions(locked / "inner", fs::perms::owner_all);

    EXPECT_EQ(r.status, Cli::Failure);
    EXPECT_TRUE(r.err.contains("locked")) << qPrintable(r.err);
    EXPECT_TRUE(fs::exists(locked / "inner/x"));
    EXPECT_FALSE(fs::exists(example()));  // the rest goes all the same
}

TEST_F(JunkCli, BadGroupOrArgumentIsBadUsage)
{
    for (const QStringList& args : {QStringList{"clean", "--group", "nope"}, QStringList{"clean", "--group"},
                                    QStringList{"clean", "--group", "nope", "--yes"}, QStringList{"clean", "--force"}}) {
        const Outcome r = runCli(args);
        EXPECT_EQ(r.status, Cli::BadUsage) << qPrintable(args.join(' '));
        EXPECT_EQ(r.err.count('\n'), 1);
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_TRUE(fs::exists(example()));
}
