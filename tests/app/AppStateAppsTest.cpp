// AppState's uninstaller and startup items on fixture folders, with an
// injected administrator runner and may-delete test.
#include <gtest/gtest.h>

#include <QTest>

#include "app/FeatureStates.h"
#include "i18n/L.h"
#include "platform/Shell.h"
#include "profiles/Profile.h"
#include "support/Bundles.h"
#include "support/DesktopFixture.h"

namespace fs = std::filesystem;

namespace {

struct AppStateApps : ::testing::Test {
    AppStateApps()
    {
        Profiles::choose("macos");  // application bundles
        apps = freshFolder(std::string("apps-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        states.uninstaller.setAppBackend(bundlesIn(apps));
        states.removals.setRemovalAdminRunner([this](const std::string& command) {
            adminCommands.push_back(command);
            return cancelAdmin ? Shell::Result{false, L("Cancelado")} : Shell::run(command);
        });
    }
    ~AppStateApps() override { Profiles::choose("linux"); }
    void loadAndWait()
    {
        states.uninstaller.loadApps();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !states.uninstaller.apps().empty() && states.uninstaller.appSizes().size() >= qsizetype(states.uninstaller.apps().size()); }, 10000));
    }
    void selectAndWait(const fs::path& bundle)
    {
        states.uninstaller.selectApp(QString::fromStdString(bundle.native()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !states.uninstaller.appLoading(); }, 10000));
    }
    FeatureStates states;
    fs::path apps;
    std::vector<std::string> adminCommands;
    bool cancelAdmin = false;
};

fs::path library() { return FS::home() / "Library"; }

} // namespace

TEST_F(AppStateApps, SizesArriveOnceAndAGoneSelectionIsCleared)
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

TEST_F(AppStateApps, OnlyTheLastChoiceIsShown)
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

TEST_F(AppStateApps, UninstallMovesAProtectedBundleWithOnePromptAndTheRestThroughRemoval)
{
    states.uninstaller.setMayDelete([](const fs::path&) { return false; });
    for (int round = 0; round < 2; ++round) {
        const fs::path bundle = makeBundle(apps, "Tool", "com.maker.tool", "", 30000);
        writeBytes(library() / "Preferences/com.maker.tool.plist", 100);
        loadAndWait();
        selectAndWait(bundle);
        ASSERT_EQ(states.uninstaller.appFiles().size(), 2u);
        states.uninstaller.uninstallSelected();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !states.removals.busy() && states.uninstaller.selectedApp().isEmpty()
                                                  && states.uninstaller.appCount() == 0; }, 10000));
        EXPECT_FALSE(present(bundle));
        // the bundle moved by the administrator counts with what went to the Trash
        ASSERT_TRUE(states.removals.celebrate().has_value());
        EXPECT_GE(states.removals.celebrate()->trashed, 30000);
        states.removals.dismissCelebration();
    }
    EXPECT_EQ(adminCommands.size(), 2u);
    // a second uninstall of the same application keeps the first in the Trash
    EXPECT_TRUE(present(FS::trashFolder() / "Tool.app"));
    EXPECT_TRUE(present(FS::trashFolder() / "Tool.2.app"));
    EXPECT_TRUE(present(infoFor(FS::trashFolder() / "Tool.2.app")));
    EXPECT_TRUE(present(FS::trashFolder() / "com.maker.tool.2.plist"));
}

TEST_F(AppStateApps, ACancelledPromptStillRemovesTheTickedLeftovers)
{
    states.uninstaller.setMayDelete([](const fs::path&) { return false; });
    cancelAdmin = true;
    const fs::path bundle = makeBundle(apps, "Keep", "com.maker.keep", "", 30000);
    const fs::path cache = library() / "Caches/com.maker.keep";
    writeBytes(cache / "data", 5000);
    loadAndWait();
    selectAndWait(bundle);
    states.uninstaller.uninstallSelected();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !states.removals.busy() && !states.uninstaller.appLoading() && states.uninstaller.appFiles().size() == 1; }, 10000));
    EXPECT_EQ(states.shell.message(), LF("Não removido: %@", L("Cancelado")));
    EXPECT_TRUE(present(bundle));
    EXPECT_FALSE(present(cache));
    EXPECT_EQ(states.uninstaller.appFiles()[0].url, bundle);  // the list was built again for the same application
}

TEST_F(AppStateApps, AnUntickedBundleStaysAndTheListIsRebuilt)
{
    const fs::path bundle = makeBundle(apps, "Stay", "com.maker.stay");
    const fs::path prefs = library() / "Preferences/com.maker.stay.plist";
    writeBytes(prefs, 100);
    loadAndWait();
    selectAndWait(bundle);
    states.uninstaller.toggleAppFile(states.uninstaller.appFiles()[0].id.toString(QUuid::WithoutBraces));
    EXPECT_EQ(states.uninstaller.appSelectedCount(), 1);
    states.uninstaller.uninstallSelected();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !states.removals.busy() && !states.uninstaller.appLoading() && states.uninstaller.appFiles().size() == 1; }, 10000));
    EXPECT_TRUE(present(bundle));
    EXPECT_FALSE(present(prefs));
    EXPECT_TRUE(adminCommands.empty());
    EXPECT_EQ(states.uninstaller.appCount(), 1);
}

TEST_F(AppStateApps, AgentsAreRemovedByTheirOwnPath)
{
    const fs::path user = freshFolder("launch/user");
    const fs::path others = freshFolder("launch/it's all users");
    states.startup.setStartupBackend(launchItemsIn({{user, "Usuário", true}, {others, "Todos os usuários", false}}));
    writeFile(user / "com.x.mine.plist", xmlPlist({{"Label", "mine"}}));
    writeFile(others / "com.x.shared.plist", xmlPlist({{"Label", "shared"}}));

    states.startup.loadAgents();
    ASSERT_TRUE(QTest::qWaitFor([&] { return states.startup.agentCount() == 2; }, 5000));
    states.startup.removeAgent(states.startup.agents()[0]);
    ASSERT_TRUE(QTest::qWaitFor([&] { return states.shell.hasMessage(); }, 5000));
    EXPECT_EQ(states.shell.message(), LF("“%@” desativado e movido para a Lixeira.", QString("mine")));
    EXPECT_TRUE(present(FS::trashFolder() / "com.x.mine.plist"));
    EXPECT_TRUE(adminCommands.empty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return states.startup.agentCount() == 1; }, 5000));

    // the shared item, listed again and removed with administrator rights
    const auto removeShared = [&] {
        writeFile(others / "com.x.shared.plist", xmlPlist({{"Label", "shared"}}));
        states.startup.loadAgents();
        ASSERT_TRUE(QTest::qWaitFor([&] { return states.startup.agentCount() == 1 && !states.startup.agents()[0].userOwned; }, 5000));
        states.shell.dismissMessage();
        states.startup.removeAgent(states.startup.agents()[0]);
        ASSERT_TRUE(QTest::qWaitFor([&] { return states.shell.hasMessage(); }, 5000));
    };
    // two same-named items both stay in the Trash
    for (int round = 0; round < 2; ++round) {
        removeShared();
        EXPECT_EQ(states.shell.message(), LF("“%@” desativado e movido para a Lixeira.", QString("shared")));
        ASSERT_TRUE(QTest::qWaitFor([&] { return states.startup.agentCount() == 0; }, 5000));
    }
    ASSERT_EQ(adminCommands.size(), 2u);
    EXPECT_NE(adminCommands[0].find("launchctl bootout gui/"), std::string::npos);
    EXPECT_NE(adminCommands[0].find(Shell::q((others / "com.x.shared.plist").native())), std::string::npos);
    EXPECT_TRUE(present(FS::trashFolder() / "com.x.shared.plist"));
    EXPECT_TRUE(present(FS::trashFolder() / "com.x.shared.2.plist"));

    // a dismissed prompt: the message says so and the item is still listed
    cancelAdmin = true;
    removeShared();
    EXPECT_EQ(states.shell.message(), LF("Não removido: %@", L("Cancelado")));
    QTest::qWait(200);
    EXPECT_EQ(states.startup.agentCount(), 1);
}

// ---- the linux profile: desktop entries removed through their owners ----

namespace {

struct LinuxAppState : ::testing::Test {
    LinuxAppState()
    {
        fx.populate();
        states.uninstaller.setAppBackend(LinuxApps::backend(fx.sources(), fx.runner()));
        states.removals.setRemovalAdminRunner([this](const std::string& command) {
            adminCommands.push_back(command);
            return adminAnswer;
        });
        states.uninstaller.loadApps();
        EXPECT_TRUE(QTest::qWaitFor([&] { return states.uninstaller.apps().size() == 9 && states.uninstaller.appSizes().size() == 9; }, 10000));
    }
    QString idOf(const QString& name) const
    {
        for (const AppInfo& app : states.uninstaller.apps())
            if (app.name == name)
                return app.id();
        return {};
    }
    void selectAndWait(const QString& name)
    {
        states.uninstaller.selectApp(idOf(name));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !states.uninstaller.appLoading(); }, 10000));
    }
    DesktopFixture fx;
    FeatureStates states;
    std::vector<std::string> adminCommands;
    Shell::Result adminAnswer{true, {}};
};

} // namespace

TEST_F(LinuxAppState, PackagePlanInTheConfirmationAndAFailedRemovalTouchesNothing)
{
    EXPECT_EQ(states.uninstaller.appSizes().value(idOf("XTerm")), 2456 * 1024);  // dpkg's figure, not measured
    writeFile(fx.home / ".config/xterm/settings");
    selectAndWait("XTerm");
    const QVariantMap info = states.uninstaller.selectedAppInfo();
    EXPECT_EQ(info["owner"].toString(), LF("Pacote %@", "xterm"));
    EXPECT_EQ(info["packages"].toString(), "xterm");
    EXPECT_EQ(info["takesApps"].toString(), "UXTerm, XTerm");
    EXPECT_TRUE(info["removable"].toBool());
    ASSERT_EQ(states.uninstaller.appFiles().size(), 2u);

    // apt-get fails: its own last line is the reason, the leftovers stay
    adminAnswer = {false, "Reading package lists...\nE: Could not get lock /var/lib/dpkg/lock-frontend"};
    states.uninstaller.uninstallSelected();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !states.shell.message().isEmpty() && !states.uninstaller.appLoading(); }, 10000));
    EXPECT_EQ(states.shell.message(), LF("Não removido: %@", "E: Could not get lock /var/lib/dpkg/lock-frontend"));
    ASSERT_EQ(adminCommands.size(), 1u);
    EXPECT_EQ(adminCommands[0], "DEBIAN_FRONTEND=noninteractive apt-get remove -y -- 'xterm'");
    EXPECT_TRUE(fs::exists(fx.home / ".config/xterm/settings"));
    EXPECT_EQ(states.uninstaller.selectedApp(), idOf("XTerm"));

    // it succeeds: the ticked leftovers go to the Trash and the list is read again
    states.shell.setMessage({});
    adminAnswer = {true, {}};
    states.uninstaller.uninstallSelected();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !states.removals.busy() && states.uninstaller.selectedApp().isEmpty(); }, 10000));
    EXPECT_FALSE(fs::exists(fx.home / ".config/xterm"));
    EXPECT_TRUE(fs::exists(FS::trashFolder() / "xterm"));
}

TEST_F(LinuxAppState, AnUnownedEntryCannotBeUninstalledAndAPlanThatTakesTheSystemIsRefused)
{
    selectAndWait("Shop Tool");
    // nobody owns it: its own item starts unticked, and ticked it cannot go
    EXPECT_FALSE(states.uninstaller.appFiles()[0].selected);
    states.uninstaller.toggleAppFile(states.uninstaller.appFiles()[0].id.toString(QUuid::WithoutBraces));
    QVariantMap info = states.uninstaller.selectedAppInfo();
    EXPECT_FALSE(info["removable"].toBool());
    EXPECT_EQ(info["why"].toString(), L("Nada instalou esta entrada: não há o que desinstalar."));
    states.uninstaller.uninstallSelected();
    ASSERT_TRUE(QTest::qWaitFor([&] { return states.shell.hasMessage() && !states.removals.busy(); }, 5000));
    EXPECT_EQ(states.shell.message(), L("Nada instalou esta entrada: não há o que desinstalar."));
    EXPECT_TRUE(fs::exists(fx.local / "tool.desktop"));
    EXPECT_TRUE(adminCommands.empty());
}

TEST_F(LinuxAppState, ALocalEntryGoesToTheTrash)
{
    const fs::path entry = fx.user / "mytool.desktop";
    selectAndWait("My Tool");
    ASSERT_FALSE(states.uninstaller.appFiles().empty());
    EXPECT_EQ(states.uninstaller.appFiles()[0].url, entry);
    states.uninstaller.uninstallSelected();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !states.removals.busy() && states.uninstaller.apps().size() == 8; }, 10000));
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_TRUE(fs::exists(FS::trashFolder() / "mytool.desktop"));
    EXPECT_TRUE(adminCommands.empty());
}
