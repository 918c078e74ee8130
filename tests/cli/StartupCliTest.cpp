// quillmoor-cli's "startup" over fixture autostart folders, and "maintenance"
// with routines that cannot run here (a PATH that lacks their programs).
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>

#include "cli/MaintenanceCommands.h"
#include "cli/StartupCommands.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "platform/Paths.h"
#include "engines/startup/LinuxStartup.h"
#include "profiles/SystemPlaces.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;

namespace {

class StartupCli : public ::testing::Test {
protected:
    LinuxStartup::Sources sources = Profiles::linuxStartupPlaces();
    fs::path system = freshFolder("cli-xdg") / "autostart";

    void SetUp() override
    {
        writeFile(system / "xdg-user-dirs.desktop",
                  "[Desktop Entry]\nType=Application\nName=User folders update\nExec=xdg-user-dirs-update\n");
        writeFile(system / "at-spi-dbus-bus.desktop",
                  "[Desktop Entry]\nType=Application\nName=AT-SPI D-Bus Bus\nExec=/usr/libexec/at-spi-bus-launcher\n");
        writeFile(Paths::configHome() / "autostart/notes.desktop",
                  "[Desktop Entry]\nType=Application\nName=Notes\nExec=notes --tray\n");
        sources.userFolder = Paths::configHome() / "autostart";
        sources.systemFolders = {system};
        sources.user = [](const std::string&) { return Shell::Result{false, "offline"}; };
        sources.admin = [](const Admin::Request&) { return Admin::Reply{false, "no", {}, {}}; };
        sources.systemdRunning = false;
        Cli::setStartupBackend(LinuxStartup::backend(sources));
    }
    void TearDown() override { Cli::setStartupBackend(std::nullopt); }
};

} // namespace

TEST_F(StartupCli, ListsSwitchesAndRemoves)
{
    const CliOutcome listed = runCli({"startup", "--json"});
    ASSERT_EQ(listed.status, Cli::Success);
    const QJsonArray items = jsonOf(listed).array();
    ASSERT_EQ(items.size(), 4);  // three entries and the program's own login item
    const QJsonObject first = items[0].toObject();
    EXPECT_EQ(first["id"].toString(), "at-spi-dbus-bus.desktop");
    EXPECT_EQ(first["name"].toString(), "AT-SPI D-Bus Bus");
    EXPECT_EQ(first["scope"].toString(), L("Todos os usuários"));
    EXPECT_TRUE(first["on"].toBool());
    EXPECT_TRUE(first["locked"].toBool());
    EXPECT_EQ(first["program"].toString(), "/usr/libexec/at-spi-bus-launcher");
    EXPECT_EQ(items[3].toObject()["id"].toString(), "com.halvick.Quillmoor.desktop");
    EXPECT_FALSE(items[3].toObject()["on"].toBool());
    EXPECT_EQ(runCli({"agents", "--json"}).out, listed.out);  // the alias

    // off writes an override, on takes it away again
    const fs::path override = sources.userFolder / "xdg-user-dirs.desktop";
    EXPECT_EQ(runCli({"startup", "off", "xdg-user-dirs.desktop"}).status, Cli::Success);
    EXPECT_TRUE(present(override));
    EXPECT_TRUE(runCli({"startup"}).out.contains("xdg-user-dirs.desktop  User folders update  [" + L("Todos os usuários") +
                                                 "]  " + L("Desativado")));
    EXPECT_EQ(runCli({"startup", "on", "xdg-user-dirs.desktop"}).status, Cli::Success);
    EXPECT_FALSE(present(override));

    // never off: refused with the reason
    const CliOutcome locked = runCli({"startup", "off", "at-spi-dbus-bus.desktop"});
    EXPECT_EQ(locked.status, Cli::Failure);
    EXPECT_TRUE(locked.err.contains(LinuxStartup::lockReason()));
    EXPECT_FALSE(present(sources.userFolder / "at-spi-dbus-bus.desktop"));

    // only the user's own entries are removed, to the Trash
    EXPECT_EQ(runCli({"startup", "remove", "xdg-user-dirs.desktop"}).status, Cli::Failure);
    EXPECT_TRUE(present(system / "xdg-user-dirs.desktop"));
    EXPECT_EQ(runCli({"startup", "remove", "notes.desktop"}).status, Cli::Success);
    EXPECT_FALSE(present(sources.userFolder / "notes.desktop"));
    EXPECT_TRUE(present(FS::trashFolder() / "notes.desktop"));

    EXPECT_EQ(runCli({"startup", "off", "nothing.desktop"}).status, Cli::Failure);
    EXPECT_EQ(runCli({"startup", "pause", "notes.desktop"}).status, Cli::BadUsage);
    EXPECT_EQ(runCli({"startup", "off"}).status, Cli::BadUsage);
}

TEST(MaintenanceCliLinux, UnavailableRoutinesSayWhyAndNeverRun)
{
    const fs::path bare = freshFolder("bare-path");
    ScopedEnv path("PATH", bare.native());
    const CliOutcome listed = runCli({"maintenance", "--json"});
    ASSERT_EQ(listed.status, Cli::Success);
    const QJsonArray tasks = jsonOf(listed).array();
    ASSERT_EQ(tasks.size(), 7);
    const QJsonObject fonts = tasks[5].toObject();
    EXPECT_EQ(fonts["id"].toString(), "fonts");
    EXPECT_FALSE(fonts["available"].toBool());
    EXPECT_EQ(fonts["reason"].toString(), LF("Indisponível: falta %@", QString("fc-cache")));
    EXPECT_TRUE(runCli({"maintenance"}).out.contains(LF("Indisponível: falta %@", QString("fc-cache"))));

    int runs = 0;
    Cli::setMaintenanceRunners([&](const std::string&) { ++runs; return Shell::Result{true, {}}; },
                               [&](const Admin::Request&) { ++runs; return Admin::Reply{true, {}, {}, {}}; });
    const CliOutcome run = runCli({"maintenance", "--run", "ram", "fonts"});
    Cli::setMaintenanceRunners({}, {});
    EXPECT_EQ(run.status, Cli::Failure);
    EXPECT_EQ(runs, 0);  // not even the routine that could run
    EXPECT_TRUE(run.err.contains(LF("Indisponível: falta %@", QString("fc-cache"))));
}
