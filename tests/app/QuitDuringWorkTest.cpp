// Quitting in the middle of each kind of background work, the way the window
// ends once its event loop has: the walks stop, the pool empties, results for
// states that are gone are dropped, no removal is left half done, and a
// package tool that started is waited for and never signalled. Each kind is
// quit 50 times in a row at a different moment; the sanitizer run repeats
// this under AddressSanitizer.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <random>

#include <QCoreApplication>
#include <QTest>
#include <QThreadPool>

#include "app/FeatureStates.h"
#include "platform/FS.h"
#include "platform/Quitting.h"
#include "space/SpaceModel.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRounds = 50;

// A tree of `folders` × `files` small files under `root`.
void plant(const fs::path& root, int folders, int files)
{
    for (int f = 0; f < folders; ++f)
        for (int i = 0; i < files; ++i)
            writeFile(root / ("f" + std::to_string(f)) / ("file" + std::to_string(i)), std::string(600, 'x'));
}

int linesOf(const fs::path& file)
{
    std::ifstream in(file);
    int lines = 0;
    for (std::string line; std::getline(in, line);)
        ++lines;
    return lines;
}

struct QuitDuringWork : ::testing::Test {
    std::unique_ptr<FeatureStates> states = std::make_unique<FeatureStates>();
    std::mt19937 random{20261207};

    // Lets the work run for a moment chosen anew each round.
    void letItRun(int maxMs) { QTest::qWait(std::uniform_int_distribution<int>(0, maxMs)(random)); }

    // What the program does once its window's event loop has ended, then a fresh start.
    void quit()
    {
        Quitting::finishBackgroundWork({});
        EXPECT_EQ(QThreadPool::globalInstance()->activeThreadCount(), 0);
        states.reset();
        QCoreApplication::processEvents();  // results handed over for states that are gone
        Quitting::reset();
        states = std::make_unique<FeatureStates>();
    }
    ~QuitDuringWork() override { Quitting::reset(); }
};

} // namespace

TEST_F(QuitDuringWork, WalksStopAndTheirResultsAreDropped)
{
    plant(FS::home() / ".cache/walked", 40, 100);
    for (int round = 0; round < kRounds; ++round) {
        states->junk.scanJunk();
        states->large.scanLarge();
        states->dupes.setDupesMin(0);
        states->dupes.setDupesHidden(true);
        states->dupes.scanDupes();
        SpaceModel map;
        map.open(QString::fromStdString(FS::home().native()), false);
        letItRun(60);
        quit();
    }
    // and after a quit the next run walks whole again
    states->junk.scanJunk();
    ASSERT_TRUE(QTest::qWaitFor([&] { return states->junk.junkScanned(); }, 20000));
    EXPECT_GE(states->junk.junkGroups().size(), 1u);
}

TEST_F(QuitDuringWork, ACleanEndsAfterTheItemItIsRemoving)
{
    // The findings of one scan, cleaned again each round from fresh copies of the same items.
    const fs::path cache = FS::home() / ".cache";
    plant(cache, 12, 20);
    states->junk.scanJunk();
    ASSERT_TRUE(QTest::qWaitFor([&] { return states->junk.junkScanned(); }, 20000));
    const std::vector<JunkGroup> found = states->junk.junkGroups();
    for (int round = 0; round < kRounds; ++round) {
        plant(cache, 12, 20);
        states->junk.setJunkGroups(found);
        states->junk.setJunkScanned(true);
        states->junk.cleanJunk();
        letItRun(30);
        quit();
        // every item is whole or gone, never half removed
        for (int f = 0; f < 12; ++f) {
            const fs::path item = cache / ("f" + std::to_string(f));
            if (!fs::exists(item))
                continue;
            int left = 0;
            for ([[maybe_unused]] const auto& entry : fs::directory_iterator(item))
                ++left;
            ASSERT_EQ(left, 20) << item;
        }
    }
}

TEST_F(QuitDuringWork, APackageToolIsWaitedForAndNeverSignalled)
{
    // A slow package tool that notes a signal if it ever gets one, and its end.
    const fs::path folder = freshFolder("slow-tool");
    const fs::path log = folder / "log";
    const fs::path tool = folder / "apt-get";
    writeFile(tool, "#!/bin/sh\ntrap 'echo signalled >> \"$1\"' INT TERM HUP QUIT\n"
                    "sleep 0.2 & wait\nwait\necho done >> \"$1\"\n");
    fs::permissions(tool, fs::perms::owner_all);
    const fs::path data = FS::home() / ".config/slowapp";

    AppInfo app;
    app.name = QStringLiteral("Slow App");
    app.url = folder / "slowapp.desktop";
    AppBackend backend;
    backend.scan = [app] { return std::vector<AppInfo>{app}; };
    backend.files = [data](const AppInfo& a, const std::vector<AppInfo>&) {
        std::vector<JunkItem> items(2);
        items[0].url = a.url;
        items[1].url = data;
        for (JunkItem& item : items)
            item.selected = true;
        return items;
    };
    backend.plan = [tool, log](const AppInfo&, const std::vector<AppInfo>&) {
        UninstallPlan plan;
        plan.command = tool.string() + " " + log.string();  // run through Shell, as every tool is
        return plan;
    };
    backend.tools = [](const std::string& command) { return Shell::run(command); };

    for (int round = 0; round < kRounds; ++round) {
        writeFile(data / "settings");
        states->uninstaller.setAppBackend(backend);
        states->uninstaller.loadApps();
        ASSERT_TRUE(QTest::qWaitFor([&] { return states->uninstaller.appCount() == 1; }, 10000));
        states->uninstaller.selectApp(QString::fromStdString(app.url.native()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return states->uninstaller.appFiles().size() == 2; }, 10000));
        fs::remove(log);
        states->uninstaller.uninstallSelected();
        letItRun(round % 2 ? 150 : 20);
        quit();
        // the tool either had not started or ran to its end, untouched
        std::ifstream in(log);
        const std::string said((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_TRUE(said.empty() || said == "done\n") << "round " << round << ": " << said;
        // the leftovers go only after the application went
        if (said.empty()) {
            EXPECT_TRUE(fs::exists(data / "settings"));
        }
    }
}

TEST_F(QuitDuringWork, AMaintenanceRunBeginsNoRoutineAfterTheQuit)
{
    const fs::path log = freshFolder("routines") / "log";
    std::vector<MaintTask> tasks;
    QStringList ids;
    for (int i = 0; i < 6; ++i) {
        MaintTask task;
        task.id = QString::number(i);
        task.title = task.id;
        task.cmd = "sleep 0.03; echo " + std::to_string(i) + " >> " + log.string();
        task.available = true;
        tasks.push_back(task);
        ids << task.id;
    }
    for (int round = 0; round < kRounds; ++round) {
        fs::remove(log);
        ASSERT_TRUE(states->maintenance.runMaintenance(tasks, ids));
        letItRun(120);
        const int before = linesOf(log);
        quit();
        // the routine under way finished; none began after the quit
        EXPECT_LE(linesOf(log), before + 1) << "round " << round;
    }
}
