// What starts with the session on Linux: fixture autostart folders, systemd
// services answered with recorded systemctl output, the never-off list, and
// switching off and on (written files checked by desktop-file-validate).
#include <gtest/gtest.h>

#include <map>

#include <QStandardPaths>

#include "i18n/L.h"
#include "platform/LoginItem.h"
#include "platform/Paths.h"
#include "engines/startup/LinuxStartup.h"
#include "profiles/SystemPlaces.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;

namespace {

// A successful answer with the recorded output of a systemctl call.
Shell::Result recorded(const std::string& name)
{
    return {true, QString::fromStdString(readFile(std::string(RECORDED_DIR) + "/" + name))};
}

AgentItem unit(const char* kind, const char* key, bool locked = false)
{
    AgentItem item;
    item.kind = kind;
    item.key = key;
    item.locked = locked;
    return item;
}

// A runner that answers command lines by their beginning and records them.
struct FakeSystemctl {
    std::vector<std::string> seen;
    std::map<std::string, Shell::Result> answers;  // command prefix → answer
    LinuxStartup::Runner runner()
    {
        return [this](const std::string& command) {
            seen.push_back(command);
            for (const auto& [prefix, answer] : answers)
                if (command.rfind(prefix, 0) == 0)
                    return answer;
            return Shell::Result{false, "Failed to connect to bus: No medium found"};
        };
    }
};

// desktop-file-validate finds nothing to complain about (where it is installed).
void expectValid(const fs::path& file)
{
    if (QStandardPaths::findExecutable("desktop-file-validate").isEmpty())
        return;
    const Shell::Result result = Shell::run("desktop-file-validate " + Shell::q(file.native()) + " 2>&1");
    EXPECT_TRUE(result.ok && result.out.trimmed().isEmpty()) << file << ": " << qPrintable(result.out);
}

bool holds(const fs::path& file, const std::string& text)
{
    return readFile(file).find(text) != std::string::npos;
}

struct AutostartFixture : ::testing::Test {
    fs::path user = Paths::configHome() / "autostart";
    fs::path sys1 = freshFolder("xdg1") / "autostart";
    fs::path sys2 = freshFolder("xdg2") / "autostart";
    LinuxStartup::Sources sources = Profiles::linuxStartupPlaces();

    void SetUp() override
    {
        for (const fs::path& folder : {user, sys1, sys2}) {
            fs::remove_all(folder);
            fs::create_directories(folder);
        }
        sources.userFolder = user;
        sources.systemFolders = {sys1, sys2};
        sources.desktops = {"GNOME"};
        sources.systemdRunning = false;
        sources.user = [](const std::string&) { return Shell::Result{false, "offline"}; };
        sources.admin = [](const Admin::Request&) { return Admin::Reply{false, "no", {}, {}}; };
    }

    std::optional<AgentItem> find(const QString& key) const
    {
        for (const AgentItem& item : LinuxStartup::scanAutostart(sources))
            if (item.key == key)
                return item;
        return std::nullopt;
    }
    bool isOn(const QString& key) const { return find(key).value_or(AgentItem{}).on; }
    // Switches the listed item and tells whether that went without complaint.
    bool turn(const QString& key, bool on) const
    {
        const std::optional<AgentItem> item = find(key);
        return item && LinuxStartup::setOn(*item, on, sources) == std::nullopt;
    }
};

std::string entry(const std::string& name, const std::string& extra = "")
{
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=/usr/bin/" + name + " --start\n" + extra;
}

} // namespace

TEST_F(AutostartFixture, EntriesOfUserAndSystemWithTheirState)
{
    writeFile(sys1 / "alpha.desktop", entry("alpha", "Name[de]=Alpha DE\n"));
    writeFile(sys2 / "alpha.desktop", entry("shadowed"));  // the first system folder wins
    writeFile(sys1 / "hidden.desktop", entry("hidden", "Hidden=true\n"));
    writeFile(sys1 / "gnomeoff.desktop", entry("gnomeoff", "X-GNOME-Autostart-enabled=false\n"));
    writeFile(sys1 / "kdeonly.desktop", entry("kdeonly", "OnlyShowIn=KDE;\n"));
    writeFile(sys2 / "notgnome.desktop", entry("notgnome", "NotShowIn=GNOME;XFCE;\n"));
    writeFile(sys1 / "mine.desktop", entry("system-mine"));
    writeFile(user / "mine.desktop", entry("user-mine"));  // the user's entry overrides the system's
    writeFile(user / "only-user.desktop", entry("only-user"));
    writeFile(sys1 / "gnome-shell-helper.desktop", entry("gnome-shell-helper"));
    writeFile(sys1 / "at-spi-dbus-bus.desktop", entry("at-spi"));
    writeFile(sys1 / "notes.txt", "not an entry");
    writeFile(sys1 / "broken.desktop", "no group here\n");

    struct Row {
        const char* key;
        const char* label;
        bool userOwned, on, otherDesktop, locked;
    };
    const std::vector<Row> rows = {
        {"alpha.desktop", "alpha", false, true, false, false},
        {"at-spi-dbus-bus.desktop", "at-spi", false, true, false, true},
        {"gnome-shell-helper.desktop", "gnome-shell-helper", false, true, false, true},
        {"gnomeoff.desktop", "gnomeoff", false, false, false, false},
        {"hidden.desktop", "hidden", false, false, false, false},
        {"kdeonly.desktop", "kdeonly", false, true, true, false},
        {"mine.desktop", "user-mine", true, true, false, false},
        {"notgnome.desktop", "notgnome", false, true, true, false},
        {"only-user.desktop", "only-user", true, true, false, false},
        {"com.halvick.Quillmoor.desktop", "Quillmoor", false, false, false, false},  // our own, not registered
    };
    const std::vector<AgentItem> items = LinuxStartup::scanAutostart(sources);
    ASSERT_EQ(items.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].key);
        EXPECT_EQ(items[i].key, rows[i].key);
        EXPECT_EQ(items[i].label, rows[i].label);
        EXPECT_EQ(items[i].kind, "autostart");
        EXPECT_EQ(items[i].userOwned, rows[i].userOwned);
        EXPECT_EQ(items[i].on, rows[i].on);
        EXPECT_EQ(items[i].otherDesktop, rows[i].otherDesktop);
        EXPECT_EQ(items[i].locked, rows[i].locked);
        EXPECT_TRUE(items[i].switchable);
    }
    EXPECT_EQ(items[0].program, "/usr/bin/alpha --start");
    EXPECT_EQ(items[0].url, sys1 / "alpha.desktop");
    EXPECT_EQ(items[6].url, user / "mine.desktop");
}

TEST_F(AutostartFixture, SystemEntryOffAndOnAgainLeavesNothingBehind)
{
    // A name and command with characters the key-file format escapes.
    writeFile(sys1 / "xdg-user-dirs.desktop",
              "[Desktop Entry]\nType=Application\nName=User folders update\nName[pt]=Pastas do usuário\n"
              "TryExec=xdg-user-dirs-update\nExec=sh -c \"echo 'a  b'\"\nNoDisplay=true\n"
              "X-GNOME-Autostart-Phase=Initialization\n");
    const std::string before = readFile(sys1 / "xdg-user-dirs.desktop");
    ASSERT_TRUE(isOn("xdg-user-dirs.desktop"));

    ASSERT_TRUE(turn("xdg-user-dirs.desktop", false));
    const fs::path override = user / "xdg-user-dirs.desktop";
    EXPECT_TRUE(holds(override, "Hidden=true"));
    EXPECT_TRUE(holds(override, std::string(LinuxStartup::kOverrideKey) + "=true"));
    expectValid(override);
    const std::optional<AgentItem> item = find("xdg-user-dirs.desktop");
    ASSERT_TRUE(item);
    EXPECT_FALSE(item->on);
    EXPECT_FALSE(item->userOwned);  // still the system's entry, switched off by us
    EXPECT_EQ(item->label, "User folders update");
    EXPECT_EQ(item->program, "sh -c \"echo 'a  b'\"");

    ASSERT_TRUE(turn("xdg-user-dirs.desktop", true));
    EXPECT_TRUE(fs::is_empty(user));
    EXPECT_EQ(readFile(sys1 / "xdg-user-dirs.desktop"), before);  // the system's file is never touched
    EXPECT_TRUE(isOn("xdg-user-dirs.desktop"));
}

TEST_F(AutostartFixture, SystemEntryOffBySystemIsSwitchedOnByAnOverride)
{
    writeFile(sys1 / "sleepy.desktop", entry("sleepy", "X-GNOME-Autostart-enabled=false\n"));
    ASSERT_FALSE(isOn("sleepy.desktop"));
    ASSERT_TRUE(turn("sleepy.desktop", true));
    expectValid(user / "sleepy.desktop");
    EXPECT_TRUE(isOn("sleepy.desktop"));
    // off again: our override goes, and the system's own state holds
    ASSERT_TRUE(turn("sleepy.desktop", false));
    EXPECT_FALSE(present(user / "sleepy.desktop"));
    EXPECT_FALSE(isOn("sleepy.desktop"));
}

TEST_F(AutostartFixture, UsersOwnEntryKeepsEverythingButTheSwitch)
{
    const fs::path tool = user / "tool.desktop";
    writeFile(tool, "# my own note\n" + entry("tool", "Comment=Mine\nX-GNOME-Autostart-enabled=false\n"));
    ASSERT_FALSE(isOn("tool.desktop"));
    EXPECT_TRUE(find("tool.desktop")->userOwned);

    ASSERT_TRUE(turn("tool.desktop", true));
    EXPECT_FALSE(holds(tool, "X-GNOME-Autostart-enabled"));
    EXPECT_TRUE(holds(tool, "# my own note") && holds(tool, "Comment=Mine"));
    EXPECT_TRUE(isOn("tool.desktop"));

    ASSERT_TRUE(turn("tool.desktop", false));
    EXPECT_TRUE(holds(tool, "Hidden=true"));
    EXPECT_FALSE(holds(tool, LinuxStartup::kOverrideKey));  // still the user's, not ours
    expectValid(tool);
    EXPECT_FALSE(isOn("tool.desktop"));

    ASSERT_TRUE(turn("tool.desktop", true));
    EXPECT_TRUE(present(tool));
    EXPECT_FALSE(holds(tool, "Hidden"));
}

TEST_F(AutostartFixture, OwnLoginItemIsSwitchedLikeAnyOtherAndALockedEntryNeverOff)
{
    const QString own = "com.halvick.Quillmoor.desktop";
    EXPECT_FALSE(LoginItem::isRegistered());
    ASSERT_TRUE(turn(own, true));
    EXPECT_TRUE(LoginItem::isRegistered());
    EXPECT_TRUE(isOn(own));
    EXPECT_TRUE(find(own)->userOwned);
    expectValid(LoginItem::entryPath());
    ASSERT_TRUE(turn(own, false));
    EXPECT_FALSE(LoginItem::isRegistered());
    EXPECT_FALSE(isOn(own));

    writeFile(sys1 / "org.gnome.SettingsDaemon.Power.desktop", entry("power"));
    const std::optional<AgentItem> item = find("org.gnome.SettingsDaemon.Power.desktop");
    ASSERT_TRUE(item && item->locked);
    EXPECT_EQ(LinuxStartup::setOn(*item, false, sources), LinuxStartup::lockReason());
    EXPECT_FALSE(present(user / "org.gnome.SettingsDaemon.Power.desktop"));
}

TEST(LinuxStartup, NeverOffNames)
{
    struct Case {
        const char* kind;
        const char* name;
        bool locked;
    };
    const Case cases[] = {
        {"system-unit", "dbus-broker.service", true},    {"user-unit", "xdg-desktop-portal-gtk.service", true},
        {"system-unit", "getty@.service", true},         {"system-unit", "getty@tty1.service", true},
        {"system-unit", "ssh.service", true},            {"system-unit", "postgresql.service", false},
        {"system-unit", "sshguard.service", false},  // "ssh" names the whole unit, not a beginning
        {"autostart", "at-spi-dbus-bus.desktop", true},  {"autostart", "org.kde.plasmashell.desktop", true},
        {"autostart", "xdg-user-dirs.desktop", false},
        {"autostart", "dbus-thing.desktop", false},  // the services' list is not the entries' list
    };
    const LinuxStartup::Sources places = Profiles::linuxStartupPlaces();
    for (const Case& c : cases) {
        const QStringList& needed = std::string(c.kind) == "autostart" ? places.entriesNeeded : places.servicesNeeded;
        EXPECT_EQ(LinuxStartup::neverOff(needed, c.name), c.locked) << c.kind << " " << c.name;
    }
}

TEST(LinuxStartup, ServicesFromRecordedSystemctl)
{
    FakeSystemctl systemctl;
    systemctl.answers["systemctl list-unit-files"] = recorded("system-enabled.txt");
    systemctl.answers["systemctl show"] = recorded("system-show.txt");
    const std::vector<AgentItem> units = LinuxStartup::scanUnits(false, systemctl.runner(), {}, Profiles::linuxStartupPlaces().servicesNeeded);
    ASSERT_EQ(units.size(), 5u);
    EXPECT_EQ(units[0].key, "e2scrub_reap.service");
    EXPECT_EQ(units[0].label, "Remove Stale Online ext4 Metadata Check Snapshots");
    EXPECT_EQ(units[0].program, "/sbin/e2scrub_all -A -r");
    EXPECT_EQ(units[1].key, "getty@.service");
    EXPECT_EQ(units[1].label, "getty@");  // a template has no description to ask for
    EXPECT_TRUE(units[1].locked);
    EXPECT_EQ(units[2].label, "PostgreSQL RDBMS");
    EXPECT_FALSE(units[2].locked);
    for (const AgentItem& unit : units) {
        EXPECT_EQ(unit.kind, "system-unit");
        EXPECT_TRUE(unit.on);
        EXPECT_FALSE(unit.userOwned);
    }
    // the templates are left out of the one show call
    ASSERT_EQ(systemctl.seen.size(), 2u);
    EXPECT_EQ(systemctl.seen[1].find("getty@"), std::string::npos);
    EXPECT_NE(systemctl.seen[1].find("'postgresql.service'"), std::string::npos);
}

TEST(LinuxStartup, UserServicesOnlyWhenTheUserManagerAnswers)
{
    FakeSystemctl offline;
    offline.answers["systemctl --user is-system-running"] = {false, "offline\n"};  // as on this machine
    EXPECT_FALSE(LinuxStartup::userManagerAnswers(offline.runner()));

    FakeSystemctl running;
    running.answers["systemctl --user is-system-running"] = {true, "running\n"};
    running.answers["systemctl --user list-unit-files"] = recorded("user-enabled.txt");
    running.answers["systemctl --user show"] = recorded("user-show.txt");
    EXPECT_TRUE(LinuxStartup::userManagerAnswers(running.runner()));

    LinuxStartup::Sources sources = Profiles::linuxStartupPlaces();
    sources.userFolder = freshFolder("nothing-user");
    sources.systemFolders = {};
    sources.user = running.runner();
    sources.admin = [](const Admin::Request&) { return Admin::Reply{false, "not asked", {}, {}}; };
    sources.systemdRunning = false;  // no system services, though list-unit-files would answer
    std::vector<AgentItem> items = LinuxStartup::scan(sources);
    std::vector<AgentItem> units;
    for (const AgentItem& item : items)
        if (item.kind != "autostart")
            units.push_back(item);
    ASSERT_EQ(units.size(), 4u);
    EXPECT_EQ(units[2].key, "syncthing.service");
    EXPECT_EQ(units[2].program, "/usr/bin/syncthing serve --no-browser --no-restart --logflags=0");
    EXPECT_FALSE(units[2].locked);
    EXPECT_TRUE(units[0].locked);  // pipewire-pulse
    EXPECT_TRUE(units[3].locked);  // wireplumber
    for (const std::string& command : running.seen)
        EXPECT_EQ(command.find("systemctl list-unit-files"), std::string::npos) << command;

    sources.user = offline.runner();
    items = LinuxStartup::scan(sources);
    EXPECT_TRUE(std::all_of(items.begin(), items.end(), [](const AgentItem& i) { return i.kind == "autostart"; }));
}

TEST(LinuxStartup, AUnitStoredTwiceAsOffIsListedOnce)
{
    FakeSystemctl listing;
    listing.answers["systemctl --user list-unit-files"] = {true, "pipewire.service enabled enabled\n"};
    listing.answers["systemctl --user show"] = {true, "Id=syncthing.service\nDescription=Syncthing\n"};
    const QStringList stored{"user-unit:syncthing.service", "user-unit:pipewire.service", "user-unit:syncthing.service"};
    const std::vector<AgentItem> units = LinuxStartup::scanUnits(true, listing.runner(), stored, {});
    ASSERT_EQ(units.size(), 2u);
    EXPECT_EQ(units[0].key, "pipewire.service");
    EXPECT_TRUE(units[0].on);
    EXPECT_EQ(units[1].key, "syncthing.service");
    EXPECT_FALSE(units[1].on);
}

TEST(LinuxStartup, ServicesSwitchedOffAndOnThroughTheirRunners)
{
    FakeSystemctl user;
    RecordingAdmin admin;
    admin.answer = Admin::Reply{false, L("Cancelado"), {}, {}};
    LinuxStartup::Sources sources;
    sources.userFolder = freshFolder("nothing-user2");
    sources.user = user.runner();
    sources.admin = admin.runner();

    const AgentItem postgres = unit("system-unit", "postgresql.service");
    EXPECT_EQ(LinuxStartup::setOn(postgres, false, sources), L("Cancelado"));
    EXPECT_TRUE(LinuxStartup::switchedOffUnits().isEmpty());

    admin.answer.reset();
    EXPECT_EQ(LinuxStartup::setOn(postgres, false, sources), std::nullopt);
    EXPECT_EQ(LinuxStartup::switchedOffUnits(), QStringList{"system-unit:postgresql.service"});
    EXPECT_TRUE(user.seen.empty());  // the machine's services go through the administrator helper
    ASSERT_EQ(admin.requests.size(), 2u);
    EXPECT_EQ(admin.requests[1].actions,
              (std::vector<Admin::Action>{{Admin::kUnitDisable, {"postgresql.service"}}}));

    // Switched off, it is no longer enabled, but still listed (as off) to come back.
    FakeSystemctl listing;
    listing.answers["systemctl list-unit-files"] = {true, "cups.service enabled enabled\n"};
    listing.answers["systemctl show"] = {true, "Id=cups.service\nDescription=CUPS\n"};
    const std::vector<AgentItem> units =
        LinuxStartup::scanUnits(false, listing.runner(), LinuxStartup::switchedOffUnits(), {});
    ASSERT_EQ(units.size(), 2u);
    EXPECT_TRUE(units[0].on);
    EXPECT_EQ(units[1].key, "postgresql.service");
    EXPECT_FALSE(units[1].on);

    EXPECT_EQ(LinuxStartup::setOn(units[1], true, sources), std::nullopt);
    EXPECT_EQ(admin.requests.back().actions, (std::vector<Admin::Action>{{Admin::kUnitEnable, {"postgresql.service"}}}));
    EXPECT_TRUE(LinuxStartup::switchedOffUnits().isEmpty());

    // A user's service goes through the user's own systemctl, no password.
    const AgentItem sync = unit("user-unit", "syncthing.service");
    user.answers["systemctl --user disable --now 'syncthing.service'"] = {true, ""};
    const std::size_t adminCalls = admin.requests.size();
    EXPECT_EQ(LinuxStartup::setOn(sync, false, sources), std::nullopt);
    EXPECT_EQ(admin.requests.size(), adminCalls);
    EXPECT_EQ(user.seen.back(), "systemctl --user disable --now 'syncthing.service'");
    user.answers["systemctl --user enable --now 'syncthing.service'"] = {true, ""};
    EXPECT_EQ(LinuxStartup::setOn(sync, true, sources), std::nullopt);

    // A locked service is refused before anything runs.
    const std::size_t before = admin.requests.size();
    EXPECT_EQ(LinuxStartup::setOn(unit("system-unit", "getty@.service", true), false, sources), LinuxStartup::lockReason());
    EXPECT_EQ(admin.requests.size(), before);
}
