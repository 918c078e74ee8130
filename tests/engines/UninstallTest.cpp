// Sweeper::uninstall, the one uninstall of the window and the command line,
// over fixture applications of each owner: a package through its tool, an
// entry nobody installed, a local entry, a bundle the user may not remove.
#include <gtest/gtest.h>

#include "engines/apps/Apps.h"
#include "engines/apps/LinuxDesktopApps.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "support/Bundles.h"
#include "support/DesktopFixture.h"

namespace fs = std::filesystem;

namespace {

// One application of a backend with its file list and plan, as a front end has them.
struct Chosen {
    AppInfo app;
    std::vector<JunkItem> files;
    UninstallPlan plan;
};

Chosen choose(const AppBackend& backend, const QString& name)
{
    const std::vector<AppInfo> apps = backend.scan();
    for (const AppInfo& app : apps)
        if (app.name == name)
            return {app, backend.files(app, apps), backend.plan(app, apps)};
    ADD_FAILURE() << "no application " << name.toStdString();
    return {};
}

} // namespace

TEST(Uninstall, APackageGoesThroughItsToolAndAFailureTouchesNothing)
{
    DesktopFixture fx;
    fx.populate();
    writeFile(fx.home / ".config/xterm/settings");
    const AppBackend backend = LinuxApps::backend(fx.sources(), fx.runner());
    const Chosen xterm = choose(backend, "XTerm");
    ASSERT_TRUE(xterm.plan.ok());
    ASSERT_NE(itemAt(xterm.files, fx.home / ".config/xterm"), nullptr);

    // the removal fails: the helper's reason is said, the leftovers stay
    RecordingAdmin admin;
    const QString busy = L("Outro programa está instalando ou removendo pacotes. Tente de novo quando ele terminar.");
    admin.answer = Admin::Reply{false, busy, {busy}, {}};
    UninstallOutcome outcome = Sweeper::uninstall(xterm.app, xterm.plan, xterm.files, backend, admin.runner());
    EXPECT_FALSE(outcome.appRemoved);
    EXPECT_EQ(outcome.appStays, LF("Não removido: %@", busy));
    ASSERT_EQ(admin.requests.size(), 1u);
    EXPECT_EQ(admin.requests[0].actions, xterm.plan.adminActions);
    EXPECT_TRUE(present(fx.home / ".config/xterm/settings"));

    // it succeeds: the ticked leftovers go to the Trash
    admin.answer = Admin::Reply{true, {}, {QString()}, {}};
    outcome = Sweeper::uninstall(xterm.app, xterm.plan, xterm.files, backend, admin.runner());
    EXPECT_TRUE(outcome.appRemoved);
    EXPECT_TRUE(outcome.appStays.isEmpty());
    EXPECT_FALSE(present(fx.home / ".config/xterm"));
    EXPECT_TRUE(present(FS::trashFolder() / "xterm"));
    EXPECT_GT(outcome.removal.trashed, 0);
}

TEST(Uninstall, ARefusedPlanNeverRemovesTheApplicationButMayLeaveItsLeftovers)
{
    DesktopFixture fx;
    fx.populate();
    writeFile(fx.home / ".config/tool/settings");
    const AppBackend backend = LinuxApps::backend(fx.sources(), fx.runner());
    Chosen tool = choose(backend, "Shop Tool");  // nobody installed it
    ASSERT_FALSE(tool.plan.ok());
    ASSERT_FALSE(tool.files.empty());
    ASSERT_NE(itemAt(tool.files, fx.home / ".config/tool"), nullptr);
    RecordingAdmin admin;

    // asked to remove the application itself: nothing is touched
    tool.files.front().selected = true;
    UninstallOutcome outcome = Sweeper::uninstall(tool.app, tool.plan, tool.files, backend, admin.runner());
    EXPECT_TRUE(outcome.refused);
    EXPECT_EQ(outcome.appStays, L("Nada instalou esta entrada: não há o que desinstalar."));
    EXPECT_TRUE(present(fx.local / "tool.desktop"));
    EXPECT_TRUE(present(fx.home / ".config/tool/settings"));

    // its leftovers alone: they go, and the application stays with its reason
    tool.files.front().selected = false;
    outcome = Sweeper::uninstall(tool.app, tool.plan, tool.files, backend, admin.runner());
    EXPECT_FALSE(outcome.refused);
    EXPECT_FALSE(outcome.appRemoved);
    EXPECT_EQ(outcome.appStays, L("Nada instalou esta entrada: não há o que desinstalar."));
    EXPECT_FALSE(present(fx.home / ".config/tool"));
    EXPECT_TRUE(present(fx.local / "tool.desktop"));
    EXPECT_TRUE(admin.requests.empty());
}

TEST(Uninstall, ALocalEntryGoesToTheTrashWithoutThePrompt)
{
    DesktopFixture fx;
    fx.populate();
    const AppBackend backend = LinuxApps::backend(fx.sources(), fx.runner());
    const Chosen mine = choose(backend, "My Tool");
    ASSERT_TRUE(mine.plan.ok());
    EXPECT_EQ(mine.files.front().url, fx.user / "mytool.desktop");
    RecordingAdmin admin;
    const UninstallOutcome outcome = Sweeper::uninstall(mine.app, mine.plan, mine.files, backend, admin.runner());
    EXPECT_TRUE(outcome.appRemoved);
    EXPECT_FALSE(present(fx.user / "mytool.desktop"));
    EXPECT_TRUE(present(FS::trashFolder() / "mytool.desktop"));
    EXPECT_TRUE(admin.requests.empty());
}

TEST(Uninstall, ABundleTheUserMayNotRemoveMovesWithOnePromptAndADismissedOneKeepsIt)
{
    const fs::path apps = freshFolder("uninstall-bundles");
    const fs::path library = FS::home() / "Library";
    const AppBackend backend = bundlesIn(apps);
    const auto notMine = [](const fs::path&) { return false; };
    RecordingAdmin admin;  // runs the move into the Trash for real

    // twice the same application: both stay restorable in the Trash
    for (int round = 0; round < 2; ++round) {
        const fs::path bundle = makeBundle(apps, "Tool", "com.maker.tool", "", 30000);
        writeBytes(library / "Preferences/com.maker.tool.plist", 100);
        const Chosen tool = choose(backend, "Tool");
        ASSERT_EQ(tool.files.size(), 2u);
        const UninstallOutcome outcome = Sweeper::uninstall(tool.app, tool.plan, tool.files, backend, admin.runner(), notMine);
        EXPECT_TRUE(outcome.appRemoved);
        EXPECT_FALSE(present(bundle));
        EXPECT_GE(outcome.removal.trashed, 30000);  // the bundle moved by the administrator counts too
    }
    EXPECT_EQ(admin.requests.size(), 2u);
    EXPECT_TRUE(present(FS::trashFolder() / "Tool.app"));
    EXPECT_TRUE(present(infoFor(FS::trashFolder() / "Tool.2.app")));
    EXPECT_TRUE(present(FS::trashFolder() / "com.maker.tool.2.plist"));

    // the prompt is dismissed: the bundle stays and says why, its ticked leftovers still go
    const fs::path bundle = makeBundle(apps, "Keep", "com.maker.keep", "", 30000);
    writeBytes(library / "Caches/com.maker.keep/data", 5000);
    admin.answer = Admin::Reply{false, L("Cancelado"), {}, {}};
    Chosen keep = choose(backend, "Keep");
    UninstallOutcome outcome = Sweeper::uninstall(keep.app, keep.plan, keep.files, backend, admin.runner(), notMine);
    EXPECT_FALSE(outcome.appRemoved);
    EXPECT_EQ(outcome.appStays, LF("Não removido: %@", L("Cancelado")));
    EXPECT_TRUE(present(bundle));
    EXPECT_FALSE(present(library / "Caches/com.maker.keep"));

    // the bundle unticked: only the leftovers go, no prompt
    writeBytes(library / "Caches/com.maker.keep/data", 5000);
    keep = choose(backend, "Keep");
    keep.files.front().selected = false;
    admin.requests.clear();
    outcome = Sweeper::uninstall(keep.app, keep.plan, keep.files, backend, admin.runner(), notMine);
    EXPECT_TRUE(outcome.appStays.isEmpty());
    EXPECT_TRUE(present(bundle));
    EXPECT_FALSE(present(library / "Caches/com.maker.keep"));
    EXPECT_TRUE(admin.requests.empty());
}
