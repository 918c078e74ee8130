// The uninstaller as the window drives it: sizes published once, only the
// last choice shown, the refusal the command line gives too, and a window that
// keeps turning while the administrator is asked.
#include <gtest/gtest.h>

#include <atomic>

#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

#include "app/FeatureStates.h"
#include "cli/AppCommands.h"
#include "engines/apps/LinuxDesktopApps.h"
#include "engines/startup/LinuxStartup.h"
#include "i18n/L.h"
#include "platform/Shell.h"
#include "profiles/Profile.h"
#include "profiles/SystemPlaces.h"
#include "support/Bundles.h"
#include "support/DesktopFixture.h"

namespace fs = std::filesystem;

namespace {

// The window's uninstaller over fixture bundles.
struct Uninstaller : ::testing::Test {
    Uninstaller()
    {
        apps = freshFolder(std::string("apps-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        states.uninstaller.setAppBackend(bundlesIn(apps));
    }
    void loadAndWait()
    {
        states.uninstaller.loadApps();
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return !states.uninstaller.apps().empty()
                   && states.uninstaller.appSizes().size() >= qsizetype(states.uninstaller.apps().size());
        }, 10000));
    }
    void selectAndWait(const fs::path& bundle)
    {
        states.uninstaller.selectApp(QString::fromStdString(bundle.native()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !states.uninstaller.appLoading(); }, 10000));
    }
    FeatureStates states;
    fs::path apps;
};

fs::path library() { return FS::home() / "Library"; }

} // namespace

TEST_F(Uninstaller, SizesArriveOnceAndAGoneSelectionIsCleared)
{
    const fs::path tool = makeBundle(apps, "Tool", "com.maker.tool", "1", 20000);
    makeBundle(apps, "Other", "com.maker.other");
    loadAndWait();
    ASSERT_EQ(states.uninstaller.appCount(), 2);
    const QString id = QString::fromStdString(tool.native());
    const std::int64_t measured = states.uninstaller.appSizes().value(id);
    EXPECT_GE(measured, 20000);
    EXPECT_EQ(states.uninstaller.appModel()->rows().at(1).value("size").toLongLong(), measured);

    // a measured application is not measured again, even when it grew
    writeBytes(tool / "Contents/more", 500000);
    selectAndWait(tool);
    EXPECT_EQ(states.uninstaller.appFiles().size(), 1u);
    states.uninstaller.loadApps();
    QTest::qWait(300);
    EXPECT_EQ(states.uninstaller.appSizes().value(id), measured);
    EXPECT_EQ(states.uninstaller.selectedApp(), id);

    fs::remove_all(tool);
    states.uninstaller.loadApps();
    ASSERT_TRUE(QTest::qWaitFor([&] { return states.uninstaller.appCount() == 1; }, 10000));
    EXPECT_EQ(states.uninstaller.selectedApp(), "");
    EXPECT_TRUE(states.uninstaller.appFiles().empty());
}

TEST_F(Uninstaller, OnlyTheLastChoiceIsShown)
{
    const fs::path first = makeBundle(apps, "First", "com.maker.first", "", 400000);
    const fs::path second = makeBundle(apps, "Second", "com.maker.second");
    writeBytes(library() / "Caches/com.maker.second/data", 3000);
    loadAndWait();
    states.uninstaller.selectApp(QString::fromStdString(first.native()));
    selectAndWait(second);
    QTest::qWait(200);  // the first list, if it came late, must not replace this one
    ASSERT_EQ(states.uninstaller.appFiles().size(), 2u);
    EXPECT_EQ(states.uninstaller.appFiles()[0].url, second);
    EXPECT_EQ(states.uninstaller.appFiles()[1].url, library() / "Caches/com.maker.second");

    states.uninstaller.selectApp("");
    EXPECT_TRUE(states.uninstaller.appFiles().empty());
    EXPECT_FALSE(states.uninstaller.appLoading());
}

TEST_F(Uninstaller, TheWindowKeepsTurningWhileTheAdministratorIsAsked)
{
    // A bundle the user may not remove: its move waits for a slow password prompt.
    const fs::path bundle = makeBundle(apps, "Slow", "com.maker.slow", "", 10000);
    std::atomic<bool> asked{false};
    states.uninstaller.setMayDelete([](const fs::path&) { return false; });
    RecordingAdmin admin;  // moves the bundle, as the macos profile's script does
    admin.before = [&] {
        asked = true;
        QThread::msleep(1500);
    };
    states.removals.setRemovalAdminRunner(admin.runner());
    loadAndWait();
    selectAndWait(bundle);

    int turns = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++turns; });
    ticker.start(10);
    states.uninstaller.uninstallSelected();
    ASSERT_TRUE(QTest::qWaitFor([&] { return asked && !states.removals.busy(); }, 10000));
    EXPECT_GT(turns, 50);  // about 150 while the prompt was open
    EXPECT_FALSE(present(bundle));
    EXPECT_EQ(states.removals.celebrateRemoved(), "Slow");  // the celebration names what was uninstalled
}

TEST(UninstallRefusal, TheWindowAndTheCommandLineSayTheSame)
{
    DesktopFixture fx;
    fx.populate();
    writeFile(fx.home / ".config/xterm/settings");
    // apt-get cannot plan the removal: the plan is refused, the package ticked
    const auto tools = [&fx](const std::string& command) {
        if (command.find("apt-get -s remove -- 'xterm'") != std::string::npos)
            return Shell::Result{false, "E: dpkg was interrupted, you must manually run 'dpkg --configure -a'"};
        return fx.answer(command);
    };
    const AppBackend backend = LinuxApps::backend(fx.sources(), tools);
    RecordingAdmin admin;
    FeatureStates states;
    states.uninstaller.setAppBackend(backend);
    states.removals.setRemovalAdminRunner(admin.runner());
    Cli::setAppBackend(backend);

    states.uninstaller.loadApps();
    ASSERT_TRUE(QTest::qWaitFor([&] { return states.uninstaller.appCount() == 9; }, 10000));
    QString xterm;
    for (const AppInfo& app : states.uninstaller.apps())
        if (app.name == "XTerm")
            xterm = app.id();
    states.uninstaller.selectApp(xterm);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !states.uninstaller.appLoading(); }, 10000));
    EXPECT_FALSE(states.uninstaller.selectedAppInfo()["removable"].toBool());
    const QString refusal = LF("Não removido: %@", "E: dpkg was interrupted, you must manually run 'dpkg --configure -a'");
    EXPECT_EQ(states.uninstaller.selectedAppInfo()["why"].toString(), refusal);

    // the application asked for: refused alike, nothing touched
    states.uninstaller.uninstallSelected();
    ASSERT_TRUE(QTest::qWaitFor([&] { return states.shell.hasMessage() && !states.removals.busy(); }, 5000));
    EXPECT_EQ(states.shell.message(), refusal);
    const CliOutcome refused = runCli({"uninstall", "debian-xterm", "--yes"});
    EXPECT_EQ(refused.status, Cli::Failure);
    EXPECT_EQ(refused.err.trimmed(), refusal);
    EXPECT_TRUE(present(fx.home / ".config/xterm/settings"));

    // the leftovers alone: they go, and both say why the application stays
    states.shell.dismissMessage();
    states.uninstaller.toggleAppFile(states.uninstaller.appFiles()[0].id.toString(QUuid::WithoutBraces));
    EXPECT_TRUE(states.uninstaller.selectedAppInfo()["removable"].toBool());
    states.uninstaller.uninstallSelected();
    ASSERT_TRUE(QTest::qWaitFor([&] { return states.shell.hasMessage() && !states.removals.busy(); }, 5000));
    EXPECT_EQ(states.shell.message(), refusal);
    EXPECT_FALSE(present(fx.home / ".config/xterm"));
    writeFile(fx.home / ".config/xterm/settings");
    const CliOutcome leftovers = runCli({"uninstall", "debian-xterm", "--leftovers-only", "--yes"});
    EXPECT_EQ(leftovers.status, Cli::Success) << qPrintable(leftovers.err);
    EXPECT_EQ(leftovers.err.trimmed(), refusal);
    EXPECT_FALSE(present(fx.home / ".config/xterm"));
    EXPECT_TRUE(admin.requests.empty());
    Cli::setAppBackend(std::nullopt);
    // The list read again after the uninstall asks the fixture's tools: done before the fixture goes.
    QThreadPool::globalInstance()->waitForDone();
}

// The list follows what was installed and removed meanwhile: read again when
// the page opens after the package database or an entry folder changed, and
// after an uninstall, whose autostart entry leaves the startup list too.
TEST(UninstallerListing, FollowsTheSystemWithoutLosingSizesOrTheChoice)
{
    DesktopFixture fx;
    fx.populate();
    const fs::path status = fx.root / "var/lib/dpkg/status";
    writeFile(status, "Package: xterm\nStatus: install ok installed\n");
    writeFile(fx.home / ".config/autostart/mytool.desktop",
              "[Desktop Entry]\nType=Application\nName=My Tool\nExec=env GDK_BACKEND=x11 python3 "
                  + (fx.home / "bin/mytool.py").string() + "\n");
    FeatureStates states;
    states.uninstaller.setAppBackend(LinuxApps::backend(fx.sources(), [&fx](const std::string& c) { return fx.answer(c); }));
    LinuxStartup::Sources startup = Profiles::linuxStartupPlaces();
    startup.systemdRunning = false;
    startup.userFolder = fx.home / ".config/autostart";
    startup.systemFolders = {};
    startup.user = [](const std::string&) { return Shell::Result{false, "offline"}; };
    states.startup.setStartupBackend(LinuxStartup::backend(startup));
    const auto idOf = [&](const QString& name) {
        for (const AppInfo& app : states.uninstaller.apps())
            if (app.name == name)
                return app.id();
        return QString();
    };
    const auto allMeasured = [&] {
        return states.uninstaller.appSizes().size() == qsizetype(states.uninstaller.apps().size());
    };

    states.uninstaller.pageShown();
    ASSERT_TRUE(QTest::qWaitFor([&] { return states.uninstaller.appCount() == 9 && allMeasured(); }, 10000));
    const QString vim = idOf("Vim");
    states.uninstaller.selectApp(vim);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !states.uninstaller.appLoading(); }, 10000));
    QSignalSpy listed(&states.uninstaller, &UninstallerState::appsChanged);

    // nothing changed: nothing is read
    states.uninstaller.pageShown();
    QTest::qWait(300);
    EXPECT_EQ(listed.count(), 0);

    // apt-get remove xterm: its entry goes; the others keep their sizes, shown at once, and the choice
    const auto sizes = states.uninstaller.appSizes();
    fs::remove(fx.system / "debian-xterm.desktop");
    states.uninstaller.pageShown();
    ASSERT_TRUE(QTest::qWaitFor([&] { return states.uninstaller.appCount() == 8; }, 10000));
    EXPECT_TRUE(idOf("XTerm").isEmpty());
    for (const QVariantMap& row : states.uninstaller.appModel()->rows())
        EXPECT_EQ(row.value("size").toLongLong(), sizes.value(row.value("appId").toString())) << qPrintable(row.value("name").toString());
    EXPECT_EQ(states.uninstaller.selectedApp(), vim);
    EXPECT_FALSE(states.uninstaller.appFiles().empty());

    // the package database alone changed (a package upgraded in place): read again
    listed.clear();
    fs::last_write_time(status, fs::last_write_time(status) + std::chrono::seconds(5));
    states.uninstaller.pageShown();
    ASSERT_TRUE(listed.wait(10000));

    // an uninstall reads both lists again: the autostart entry went with the application
    states.startup.pageShown();
    const auto listsMyTool = [&] {
        const std::vector<AgentItem>& agents = states.startup.agents();
        return std::any_of(agents.begin(), agents.end(), [](const AgentItem& a) { return a.key == "mytool.desktop"; });
    };
    ASSERT_TRUE(QTest::qWaitFor(listsMyTool, 5000));
    states.uninstaller.selectApp(idOf("My Tool"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !states.uninstaller.appLoading(); }, 10000));
    ASSERT_NE(itemAt(states.uninstaller.appFiles(), fx.home / ".config/autostart/mytool.desktop"), nullptr);
    ASSERT_TRUE(itemAt(states.uninstaller.appFiles(), fx.home / ".config/autostart/mytool.desktop")->selected);
    states.uninstaller.uninstallSelected();
    ASSERT_TRUE(QTest::qWaitFor([&] { return states.uninstaller.appCount() == 7 && !listsMyTool(); }, 10000));
}
