// The linux profile's applications on fixture data folders, with the package
// tools answered by outputs recorded on this machine.
#include <gtest/gtest.h>

#include <map>

#include "i18n/L.h"
#include "support/DesktopFixture.h"

namespace fs = std::filesystem;

namespace {

const AppInfo* named(const std::vector<AppInfo>& apps, const QString& name)
{
    for (const AppInfo& app : apps)
        if (app.name == name)
            return &app;
    return nullptr;
}

std::vector<QString> namesOf(const std::vector<AppInfo>& apps) { return listOf(apps, &AppInfo::name); }

} // namespace

TEST(LinuxApps, EveryOwnerKindFromItsEntries)
{
    DesktopFixture fx;
    fx.populate();
    const std::vector<AppInfo> apps = LinuxApps::scanApps(fx.sources(), fx.runner());

    EXPECT_EQ(namesOf(apps), (std::vector<QString>{"Calculator", "ImageMagick (color depth=q16)", "My Tool", "Notes",
                                                   "Shop Tool", "UXTerm", "Vim", "VLC media player", "XTerm"}));

    struct Want {
        const char* name;
        AppOwner kind;
        QString owner;
        QString version;
    };
    const Want wants[] = {
        {"XTerm", AppOwner::package, "xterm", "379-1"},
        {"UXTerm", AppOwner::package, "xterm", "379-1"},
        // vim.desktop is vim-common's (Priority important): the program it runs decides
        {"Vim", AppOwner::package, "vim", "2:9.0.1378-2+deb12u2"},
        {"Calculator", AppOwner::flatpak, "org.gnome.Calculator", "46.1"},
        {"VLC media player", AppOwner::snap, "vlc", "3.0.20-1-g2617de"},
        {"Notes", AppOwner::appimage, QString::fromStdString((fx.home / "Apps/Notes-2.1.AppImage").string()), ""},
        {"My Tool", AppOwner::local, QString::fromStdString((fx.user / "mytool.desktop").string()), ""},
        {"Shop Tool", AppOwner::none, "", ""},
    };
    for (const Want& want : wants) {
        SCOPED_TRACE(want.name);
        const AppInfo* app = named(apps, want.name);
        ASSERT_NE(app, nullptr);
        EXPECT_EQ(app->ownerKind, want.kind);
        EXPECT_EQ(app->ownerName, want.owner);
        EXPECT_EQ(app->version, want.version);
    }
    const AppInfo* xterm = named(apps, "XTerm");
    EXPECT_EQ(xterm->bundleID, "debian-xterm.desktop");
    EXPECT_EQ(xterm->icon, "mini.xterm");  // no such image in the fixture
    writeFile(fx.root / "usr/share/pixmaps/mini.xterm_32x32.xpm");
    writeFile(fx.root / "usr/share/icons/hicolor/48x48/apps/gvim.png");
    const std::vector<fs::path> data{fx.root / "usr/local/share", fx.root / "usr/share"};
    EXPECT_EQ(LinuxApps::iconFile("mini.xterm", data), fx.root / "usr/share/pixmaps/mini.xterm_32x32.xpm");
    EXPECT_EQ(LinuxApps::iconFile("gvim", data), fx.root / "usr/share/icons/hicolor/48x48/apps/gvim.png");
    EXPECT_EQ(LinuxApps::iconFile("/no/such/file.png", data), fs::path());
    EXPECT_EQ(xterm->knownSize, 2456 * 1024);  // Installed-Size in KiB
    EXPECT_EQ(named(apps, "VLC media player")->ownItem, fx.root / "var/lib/snapd/snaps/vlc_3777.snap");
    EXPECT_EQ(named(apps, "Calculator")->ownItem, fx.flatpakSystem / "app/org.gnome.Calculator");

    // one call of dpkg-query -S for all the entries, and none for the user's own
    int searches = 0;
    for (const std::string& command : fx.commands)
        if (command.find("dpkg-query -S") != std::string::npos && command.find(".desktop") != std::string::npos) {
            ++searches;
            EXPECT_EQ(command.find(fx.user.string()), std::string::npos);
        }
    EXPECT_EQ(searches, 1);
}

TEST(LinuxApps, EntriesThatAreNotShown)
{
    DesktopFixture fx;
    DesktopFixture::entry(fx.user, "shown.desktop", "Name=Shown\nExec=true\n");
    DesktopFixture::entry(fx.user, "gone.desktop", "Name=Gone\nExec=/opt/gone/program\n");
    DesktopFixture::entry(fx.user, "nodisplay.desktop", "Name=NoDisplay\nExec=true\nNoDisplay=true\n");
    DesktopFixture::entry(fx.user, "hidden.desktop", "Name=Hidden\nExec=true\nHidden=true\n");
    DesktopFixture::entry(fx.user, "tryexec.desktop", "Name=TryExec\nExec=true\nTryExec=no-such-program-here\n");
    DesktopFixture::entry(fx.user, "kde.desktop", "Name=KdeOnly\nExec=true\nOnlyShowIn=KDE;\n");
    DesktopFixture::entry(fx.user, "notgnome.desktop", "Name=NotGnome\nExec=true\nNotShowIn=GNOME;\n");
    DesktopFixture::entry(fx.user, "link.desktop", "Name=Link\nType=Link\nURL=https://example.org\n");
    DesktopFixture::entry(fx.user, "com.halvick.Quillmoor.desktop", "Name=Quillmoor\nExec=quillmoor\n");
    writeFile(fx.user / "broken.desktop", "this is not a desktop entry\n\xff\xfe");
    writeFile(fx.user / "latin1.desktop", "[Desktop Entry]\nType=Application\nName=Caf\xe9\nExec=true\n");
    writeFile(fx.user / "notes.txt", "[Desktop Entry]\nType=Application\nName=Txt\nExec=true\n");
    // a system entry of the same id as the user's is hidden by it
    DesktopFixture::entry(fx.system, "shown.desktop", "Name=System Shown\nExec=true\n");
    // ids of entries in sub-folders
    DesktopFixture::entry(fx.system / "kde4", "konsole.desktop", "Name=Konsole\nExec=true\n");

    LinuxApps::Sources sources = fx.sources();
    sources.desktops = {"GNOME"};
    const std::vector<AppInfo> apps = LinuxApps::scanApps(sources, fx.runner());
    EXPECT_EQ(namesOf(apps), (std::vector<QString>{"Konsole", "latin1", "Shown"}));
    EXPECT_EQ(named(apps, "Konsole")->bundleID, "kde4-konsole.desktop");
    EXPECT_EQ(named(apps, "Shown")->url, fx.user / "shown.desktop");

    sources.desktops = {"KDE"};
    EXPECT_TRUE(named(LinuxApps::scanApps(sources, fx.runner()), "KdeOnly"));
}

TEST(LinuxApps, MissingSlowOrOddPackageToolsStillListEverything)
{
    DesktopFixture fx;
    fx.populate();
    fx.toolsMissing = true;
    const std::vector<AppInfo> apps = LinuxApps::scanApps(fx.sources(), fx.runner());
    ASSERT_NE(named(apps, "XTerm"), nullptr);
    EXPECT_EQ(named(apps, "XTerm")->ownerKind, AppOwner::none);   // unknown owner: not removable
    EXPECT_EQ(named(apps, "My Tool")->ownerKind, AppOwner::local);
    EXPECT_EQ(named(apps, "Calculator")->version, "");
    for (const std::string& command : fx.commands)
        EXPECT_NE(command.find("timeout "), std::string::npos) << command;

    EXPECT_TRUE(LinuxApps::parseDpkgSearch("garbage\n: /x\ndpkg-query: no path found matching pattern /y\n"
                                           "diversion by foo from: /usr/bin/z\n")
                    .empty());
    const auto multi = LinuxApps::parseDpkgSearch("libfoo:amd64, libfoo-extra: /usr/lib/foo\n");
    EXPECT_EQ(multi.at("/usr/lib/foo"), "libfoo");
    EXPECT_TRUE(LinuxApps::parseDpkgShow("a\tb\n\t1\t2\t3\t4\n").empty());
    EXPECT_TRUE(LinuxApps::parseAptRemovals(kAptRemoveMissing).isEmpty());
    // Another architecture's package keeps its qualifier for the removal itself.
    const QString foreign = "Remv wine [8.0]\nRemv libwine:i386 [8.0]\n";
    EXPECT_EQ(LinuxApps::parseAptRemovals(foreign), QStringList({"wine", "libwine"}));
    EXPECT_EQ(LinuxApps::parseAptRemovals(foreign, true), QStringList({"wine", "libwine:i386"}));
    EXPECT_EQ(LinuxApps::parseSnapList(kSnapList).at("vlc").revision, "3777");
    EXPECT_EQ(LinuxApps::parseFlatpakList(kFlatpakList).at("org.mozilla.firefox"), "128.0.3");
}

TEST(LinuxApps, AnInstalledSizeBeyondAnyDiskIsUnknown)
{
    const auto facts = LinuxApps::parseDpkgShow("huge\t1\t9223372036854775807\toptional\tno\n"
                                                "below\t1\t-5\toptional\tno\n"
                                                "vim\t2:9.0\t3650\toptional\tno\n");
    EXPECT_EQ(facts.at("huge").installedBytes, 0);  // KiB * 1024 would overflow
    EXPECT_EQ(facts.at("below").installedBytes, 0);
    EXPECT_EQ(facts.at("vim").installedBytes, 3650 * 1024);
}

TEST(LinuxApps, NamesThatAreNotUtf8NeverShareAnId)
{
    DesktopFixture fx;
    DesktopFixture::entry(fx.user, "caf\xe9.desktop", "Name=Same\nExec=true\n");
    DesktopFixture::entry(fx.user, "caf\xe8.desktop", "Name=Same\nExec=true\n");
    DesktopFixture::entry(fx.user, "caf\xc3\xa9.desktop", "Name=Same\nExec=true\n");
    const std::vector<AppInfo> apps = LinuxApps::scanApps(fx.sources(), fx.runner());
    ASSERT_EQ(apps.size(), 3u);
    std::set<QString> ids;
    for (const AppInfo& app : apps)
        ids.insert(app.id());
    EXPECT_EQ(ids.size(), 3u);
    EXPECT_TRUE(ids.count(QString::fromStdString((fx.user / "caf\xc3\xa9.desktop").string())));
}

TEST(LinuxApps, LaunchersAndInterpretersAreSkipped)
{
    const std::map<QString, std::pair<QString, QString>> cases{
        {"xterm", {"xterm", ""}},
        {"/usr/bin/display-im6.q16 -nostdin %F", {"/usr/bin/display-im6.q16", ""}},
        {"env GDK_BACKEND=x11 LANG=C /opt/app/bin/app %U", {"/opt/app/bin/app", ""}},
        {"env -u FOO tool", {"tool", ""}},
        {"sh -c \"cd /opt/game && ./game --fullscreen\"", {"./game", ""}},
        {"bash -c 'exec /opt/x/run.sh'", {"/opt/x/run.sh", ""}},
        {"python3 /usr/share/mytool/mytool.py", {"/usr/share/mytool/mytool.py", ""}},
        {"python3 -u -m mytool.main", {"mytool.main", ""}},
        {"java -Xmx1g -jar /opt/ide/ide.jar", {"/opt/ide/ide.jar", ""}},
        {"/usr/bin/flatpak run --branch=stable --command=gnome-calculator org.gnome.Calculator",
         {"", "org.gnome.Calculator"}},
        {"snap run vlc", {"", "vlc"}},
        {"nice -n 5 ionice -c3 backup-tool", {"backup-tool", ""}},
        {"env", {"", ""}},
        {"\"unclosed", {"", ""}},
    };
    for (const auto& [line, want] : cases) {
        SCOPED_TRACE(line.toStdString());
        const LinuxApps::ExecTarget target = LinuxApps::execTarget(line);
        EXPECT_EQ(target.program, want.first);
        EXPECT_EQ(target.appId, want.second);
    }
}

TEST(LinuxApps, MatchingKeys)
{
    EXPECT_EQ(LinuxApps::matchKeys("debian-xterm.desktop", "xterm", "xterm", "XTerm", ""),
              QStringList({"debian-xterm", "xterm"}));
    EXPECT_EQ(LinuxApps::matchKeys("org.gnome.Calculator.desktop", "", "", "", "org.gnome.Calculator"),
              QStringList({"org.gnome.calculator", "calculator"}));
    // a last dotted component of three characters or fewer is no key
    EXPECT_EQ(LinuxApps::matchKeys("com.example.foo.desktop", "", "", "", ""), QStringList({"com.example.foo"}));

    const QStringList keys{"xterm", "org.gnome.calculator"};
    const std::map<QString, bool> names{
        {"xterm", true},       {".xterm", true},        {"XTerm", true},
        {"xterm2", false},     {"uxterm", false},       {"org.gnome.Calculator", true},
        {"org.gnome.Calculator.Devel", true},           {"calculator-data", false},
    };
    for (const auto& [name, want] : names)
        EXPECT_EQ(LinuxApps::nameMatches(name, keys), want) << name.toStdString();
}

TEST(LinuxApps, LeftoversAndTheGuard)
{
    DesktopFixture fx;
    fx.populate();
    const std::vector<AppInfo> apps = LinuxApps::scanApps(fx.sources(), fx.runner());
    const AppInfo xterm = *named(apps, "XTerm");

    writeFile(fx.home / ".config/xterm/settings", std::string(4096, 'c'));
    for (const char* file : {".cache/XTerm/log", ".config/debian-xterm/shared", ".xterm/history",
                             ".local/state/vim/viminfo", ".config/gtk-3.0/settings.ini", ".config/dconf/user",
                             ".local/share/xterm/held"})
        writeFile(fx.home / file);
    // a folder another installed program (a different owner) also answers to
    DesktopFixture::program(fx.root / "opt/helper/helper");
    DesktopFixture::entry(fx.user, "helper.desktop",
                          "Name=Helper\nStartupWMClass=debian-xterm\nExec=" + (fx.root / "opt/helper/helper").string() + "\n");
    std::vector<AppInfo> installed = LinuxApps::scanApps(fx.sources(), fx.runner());
    writeFile(fx.home / ".config/autostart/xterm.desktop", "[Desktop Entry]\nType=Application\nName=X\nExec=xterm\n");

    const LinuxApps::InUseCheck inUse = [&](const fs::path& path) {
        return path == fx.home / ".local/share/xterm" ? QStringLiteral("tail") : QString();
    };
    const std::vector<JunkItem> files = LinuxApps::appFiles(xterm, installed, fx.sources(), inUse);
    ASSERT_FALSE(files.empty());
    EXPECT_EQ(files[0].name, LF("Pacote %@", "xterm"));
    EXPECT_EQ(files[0].size, 2456 * 1024);
    EXPECT_TRUE(files[0].selected);

    // ticked, or unticked with the reason: also another program's, held open
    const std::pair<const char*, QString> listed[] = {{".cache/XTerm", ""},
                                                      {".config/xterm", ""},
                                                      {".config/debian-xterm", LF("Também usado por %@", "Helper")},
                                                      {".local/share/xterm", LF("Em uso por %@", "tail")}};
    for (const auto& [place, note] : listed) {
        const JunkItem* item = itemAt(files, fx.home / place);
        ASSERT_NE(item, nullptr) << place;
        EXPECT_EQ(item->selected, note.isEmpty()) << place;
        EXPECT_EQ(item->note, note) << place;
    }
    // the autostart entry that runs xterm
    EXPECT_NE(itemAt(files, fx.home / ".config/autostart/xterm.desktop"), nullptr);
    // never listed: another program's folder, ~/.NAME, the desktop's shared places
    for (const char* never : {".local/state/vim", ".xterm", ".config/gtk-3.0", ".config/dconf", ".config/autostart"})
        EXPECT_EQ(itemAt(files, fx.home / never), nullptr) << never;

    // UXTerm comes from the same package: its keys never guard XTerm's folders
    const std::vector<JunkItem> again = LinuxApps::appFiles(xterm, apps, fx.sources(), {});
    EXPECT_TRUE(itemAt(again, fx.home / ".config/debian-xterm")->selected);

    // a local launcher's own program in ~/.local/bin or ~/bin: offered unticked,
    // a link as the link; not when named otherwise, run by another entry or elsewhere
    const fs::path target = fx.home / "opt/myapp/myapp-launcher";
    DesktopFixture::program(target);
    fs::create_directories(fx.home / ".local/bin");
    fs::create_symlink(target, fx.home / ".local/bin/myapp");
    fs::create_symlink(target, fx.home / ".local/bin/go");
    for (const char* name : {"bin/shared", "tools/myother"})
        DesktopFixture::program(fx.home / name);
    const std::pair<const char*, std::string> launchers[] = {
        {"myapp.desktop", ".local/bin/myapp"}, {"notes.desktop", ".local/bin/go"}, {"shared.desktop", "bin/shared"},
        {"shared-too.desktop", "bin/shared"}, {"myother.desktop", "tools/myother"}};
    for (const auto& [id, exec] : launchers)
        DesktopFixture::entry(fx.user, id, "Name=" + std::string(id) + "\nExec=" + (fx.home / exec).string() + " %U\n");
    const std::vector<AppInfo> mine = LinuxApps::scanApps(fx.sources(), fx.runner());
    const auto programOf = [&](const char* id) {
        const auto app = std::find_if(mine.begin(), mine.end(), [&](const AppInfo& a) { return a.bundleID == id; });
        std::vector<JunkItem> items = LinuxApps::appFiles(*app, mine, fx.sources(), {});
        std::erase_if(items, [&](const JunkItem& item) { return item.note != L("Programa deste app"); });
        return items;
    };
    const std::vector<JunkItem> myapp = programOf("myapp.desktop");
    ASSERT_EQ(myapp.size(), 1u);
    EXPECT_EQ(myapp[0].url, fx.home / ".local/bin/myapp");
    EXPECT_FALSE(myapp[0].selected);
    for (const char* id : {"notes.desktop", "shared.desktop", "myother.desktop"})
        EXPECT_TRUE(programOf(id).empty()) << id;

    // a Flatpak's whole data folder, whatever its name
    writeFile(fx.home / ".var/app/org.gnome.Calculator/config/x");
    const std::vector<JunkItem> calc = LinuxApps::appFiles(*named(apps, "Calculator"), apps, fx.sources(), {});
    EXPECT_NE(itemAt(calc, fx.home / ".var/app/org.gnome.Calculator"), nullptr);
    // an AppImage's entry goes with its file
    const std::vector<JunkItem> notes = LinuxApps::appFiles(*named(apps, "Notes"), apps, fx.sources(), {});
    EXPECT_EQ(notes[0].url, fx.home / "Apps/Notes-2.1.AppImage");
    EXPECT_EQ(notes[1].url, fx.user / "appimagekit-notes.desktop");

    for (const char* name : {"gtk-4.0", ".gnupg", "GNOME-shell", "xdg-desktop-portal", "mimeapps.list", "Trash"})
        EXPECT_TRUE(LinuxApps::isSharedPlace(name)) << name;
    EXPECT_FALSE(LinuxApps::isSharedPlace("xterm"));
}

TEST(LinuxApps, UninstallPlansAndRefusals)
{
    DesktopFixture fx;
    fx.populate();
    const std::vector<AppInfo> apps = LinuxApps::scanApps(fx.sources(), fx.runner());

    const UninstallPlan xterm = LinuxApps::planUninstall(*named(apps, "XTerm"), apps, fx.runner());
    ASSERT_TRUE(xterm.ok()) << xterm.refusal.toStdString();
    EXPECT_EQ(xterm.packages, QStringList());  // its own package is not one "taken along"
    EXPECT_EQ(xterm.apps, QStringList({"UXTerm"}));  // nor is the application itself
    EXPECT_TRUE(xterm.command.empty());
    EXPECT_EQ(xterm.adminActions, (std::vector<Admin::Action>{{Admin::kRemovePackages, {"xterm"}}}));
    // the administrator is handed the whole set the simulation named, to check it again as root
    const auto takingAlong = [&fx](const std::string& command) {
        if (command.find("apt-get -s remove -- 'xterm'") != std::string::npos)
            return Shell::Result{true, "Remv xterm [379-1]\nRemv x11-apps [7.7+9]\n"};
        return fx.answer(command);
    };
    const UninstallPlan both = LinuxApps::planUninstall(*named(apps, "XTerm"), apps, takingAlong);
    ASSERT_TRUE(both.ok()) << both.refusal.toStdString();
    EXPECT_EQ(both.packages, QStringList{"x11-apps"});
    EXPECT_EQ(both.adminActions, (std::vector<Admin::Action>{{Admin::kRemovePackages, {"xterm", "x11-apps"}}}));
    EXPECT_EQ(Sweeper::ownerCommandText(both), "apt-get remove xterm x11-apps");

    const UninstallPlan vim = LinuxApps::planUninstall(*named(apps, "Vim"), apps, fx.runner());
    EXPECT_TRUE(vim.ok());
    EXPECT_TRUE(vim.packages.isEmpty());

    // taking along a package the system needs is refused
    AppInfo risky = *named(apps, "Vim");
    risky.ownerName = "vim-common";
    const UninstallPlan common = LinuxApps::planUninstall(risky, apps, fx.runner());
    EXPECT_TRUE(common.refusal.contains("vim-common"));
    EXPECT_EQ(common.packages, QStringList({"vim"}));  // the other package it would take along
    risky.ownerName = "libkmod2";
    const UninstallPlan kmod = LinuxApps::planUninstall(risky, apps, fx.runner());
    EXPECT_FALSE(kmod.ok());
    EXPECT_TRUE(kmod.refusal.contains("systemd, systemd-sysv")) << kmod.refusal.toStdString();
    EXPECT_FALSE(kmod.byOwner());
    // apt-get's own reason when it cannot plan
    risky.ownerName = "nosuchpkg";
    EXPECT_EQ(LinuxApps::planUninstall(risky, apps, fx.runner()).refusal,
              LF("Não removido: %@", "E: Unable to locate package nosuchpkg"));
    // nobody owns it
    EXPECT_FALSE(LinuxApps::planUninstall(*named(apps, "Shop Tool"), apps, fx.runner()).ok());

    const UninstallPlan calc = LinuxApps::planUninstall(*named(apps, "Calculator"), apps, fx.runner());
    EXPECT_EQ(calc.command, "flatpak uninstall -y --noninteractive --system 'org.gnome.Calculator'");
    EXPECT_TRUE(calc.adminActions.empty());
    const UninstallPlan vlc = LinuxApps::planUninstall(*named(apps, "VLC media player"), apps, fx.runner());
    EXPECT_TRUE(vlc.command.empty());
    EXPECT_EQ(vlc.adminActions, (std::vector<Admin::Action>{{Admin::kRemoveSnap, {"vlc"}}}));
    EXPECT_EQ(Sweeper::ownerCommandText(vlc), "snap remove vlc");
    // local entries and AppImages go to the Trash with the ticked leftovers
    EXPECT_FALSE(LinuxApps::planUninstall(*named(apps, "Notes"), apps, fx.runner()).byOwner());
    EXPECT_TRUE(LinuxApps::planUninstall(*named(apps, "My Tool"), apps, fx.runner()).ok());

    // a package name that could be read as an option or shell text stays one quoted word
    risky.ownerKind = AppOwner::package;
    risky.ownerName = "-x;$(rm -rf ~)";
    fx.commands.clear();
    LinuxApps::planUninstall(risky, apps, fx.runner());
    ASSERT_FALSE(fx.commands.empty());
    EXPECT_NE(fx.commands[0].find("-- '-x;$(rm -rf ~)'"), std::string::npos) << fx.commands[0];
}
