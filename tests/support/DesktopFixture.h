#pragma once
// A fixture system for the linux profile's applications: data folders with
// desktop entries of every owner kind under ~/fixtures, and a command runner
// that answers the package tools with the outputs recorded on this machine
// (their /usr paths moved onto the fixture folders).
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include <QString>

#include "engines/apps/LinuxDesktopApps.h"
#include "engines/RecordedOutputs.h"
#include "support/Fixtures.h"

// The item of a file list at that path, or nullptr.
inline const JunkItem* itemAt(const std::vector<JunkItem>& items, const std::filesystem::path& path)
{
    for (const JunkItem& item : items)
        if (item.url == path)
            return &item;
    return nullptr;
}

// Every fixture gets a home of its own (HOME and XDG_* point there while it
// lives) and puts its fake programs first on PATH.
class ScopedHome {
public:
    const std::filesystem::path& path() const { return home_; }

private:
    static std::filesystem::path fresh()
    {
        static int count = 0;
        const auto home = std::filesystem::path(std::getenv("HOME")) / ("desktop-home-" + std::to_string(++count));
        std::filesystem::remove_all(home);
        std::filesystem::create_directories(home);
        return home;
    }
    std::filesystem::path home_ = fresh();
    ScopedEnv path_{"PATH", (home_ / "fixtures/desktop/usr/bin").string() + ":" + std::getenv("PATH")};
    ScopedEnv data_{"XDG_DATA_HOME", (home_ / ".local/share").string()};
    ScopedEnv config_{"XDG_CONFIG_HOME", (home_ / ".config").string()};
    ScopedEnv state_{"XDG_STATE_HOME", (home_ / ".local/state").string()};
    ScopedEnv cache_{"XDG_CACHE_HOME", (home_ / ".cache").string()};
    ScopedEnv homeVariable_{"HOME", home_.string()};
};

struct DesktopFixture {
    ScopedHome scoped;
    std::filesystem::path home = scoped.path();
    std::filesystem::path root = freshFolder("desktop");
    std::filesystem::path user = home / ".local/share/applications";
    std::filesystem::path system = root / "usr/share/applications";
    std::filesystem::path local = root / "usr/local/share/applications";
    std::filesystem::path flatpakSystem = root / "var/lib/flatpak";
    std::filesystem::path snapDesktop = root / "var/lib/snapd/desktop/applications";
    std::filesystem::path bin = root / "usr/bin";
    std::vector<std::string> commands;   // what the runner was asked, in order
    std::mutex commandsLock;             // the window's pool and the command line may ask at once
    bool toolsMissing = false;           // the runner answers like a shell without the tools

    // Writes a desktop entry; `body` follows the [Desktop Entry] line.
    static std::filesystem::path entry(const std::filesystem::path& folder, const std::string& file,
                                       const std::string& body)
    {
        writeFile(folder / file, "[Desktop Entry]\nType=Application\n" + body);
        return folder / file;
    }

    // An executable program (desktop entries whose program is missing are not shown).
    static void program(const std::filesystem::path& path)
    {
        writeFile(path, "#!/bin/sh\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    }

    // The entries of this machine's /usr/share/applications, as installed,
    // and one of each other owner kind.
    void populate()
    {
        entry(system, "debian-xterm.desktop",
              "Name=XTerm\nExec=xterm\nIcon=mini.xterm\nStartupWMClass=XTerm\n");
        entry(system, "debian-uxterm.desktop",
              "Name=UXTerm\nExec=uxterm\nIcon=mini.xterm\nStartupWMClass=UXTerm\n");
        entry(system, "display-im6.q16.desktop",
              "Name=ImageMagick (color depth=q16)\nExec=display-im6.q16 -nostdin %F\nIcon=display-im6.q16\n");
        entry(system, "python3.11.desktop", "Name=Python (v3.11)\nExec=python3.11\nNoDisplay=true\n");
        // vim.desktop belongs to vim-common (Priority important); the program it runs to vim
        for (const char* name : {"xterm", "uxterm", "display-im6.q16", "python3.11", "vim.basic", "flatpak", "vlc"})
            program(bin / name);
        program(root / "opt/tool/run");
        std::filesystem::create_symlink("vim.basic", bin / "vim");
        entry(system, "vim.desktop", "Name=Vim\nExec=" + (bin / "vim").string() + " %F\nIcon=gvim\n");
        entry(local, "tool.desktop", "Name=Shop Tool\nExec=" + (root / "opt/tool/run").string() + "\n");
        entry(flatpakSystem / "exports/share/applications", "org.gnome.Calculator.desktop",
              "Name=Calculator\nExec=flatpak run --branch=stable --arch=x86_64 --command=gnome-calculator "
              "org.gnome.Calculator\nX-Flatpak=org.gnome.Calculator\nIcon=org.gnome.Calculator\n");
        entry(snapDesktop, "vlc_vlc.desktop", "Name=VLC media player\nExec=vlc %U\nX-SnapInstanceName=vlc\n");
        writeFile(root / "var/lib/snapd/snaps/vlc_3777.snap", std::string(8192, 's'));
        program(home / "Apps/Notes-2.1.AppImage");
        writeFile(home / "Apps/Notes-2.1.AppImage", std::string(16384, 'a'));
        entry(user, "appimagekit-notes.desktop",
              "Name=Notes\nExec=" + (home / "Apps/Notes-2.1.AppImage").string() + " %U\nIcon=notes\n");
        entry(user, "mytool.desktop", "Name=My Tool\nExec=env GDK_BACKEND=x11 python3 " + (home / "bin/mytool.py").string() + "\n");
    }

    LinuxApps::Sources sources() const
    {
        LinuxApps::Sources s;
        s.folders = {user, local, system, flatpakSystem / "exports/share/applications", snapDesktop};
        s.userFolder = user;
        s.flatpakUser = home / ".local/share/flatpak";
        s.flatpakSystem = flatpakSystem;
        s.snapDesktop = snapDesktop;
        s.snapFiles = root / "var/lib/snapd/snaps";
        s.packageStatus = root / "var/lib/dpkg/status";
        s.home = home;
        s.leftoverFolders = {home / ".config", home / ".local/share", home / ".local/state", home / ".cache"};
        s.flatpakData = home / ".var/app";
        s.snapData = home / "snap";
        s.autostart = home / ".config/autostart";
        s.programFolders = {home / ".local/bin", home / "bin"};
        return s;
    }

    // The recorded output with its /usr/share/applications and /usr/bin paths
    // moved onto the fixture's.
    QString moved(const char* recorded) const
    {
        QString out = QString::fromUtf8(recorded);
        out.replace(QStringLiteral("/usr/share/applications/"), QString::fromStdString(system.string() + "/"));
        out.replace(QStringLiteral("/usr/bin/"), QString::fromStdString(bin.string() + "/"));
        return out;
    }

    Shell::Result answer(const std::string& command)
    {
        {
            const std::lock_guard<std::mutex> hold(commandsLock);
            commands.push_back(command);
        }
        if (toolsMissing)
            return {false, {}};
        const auto has = [&](const char* text) { return command.find(text) != std::string::npos; };
        if (has("dpkg-query -S") && has(".desktop"))
            return {true, moved(kDpkgSearchEntries)};
        if (has("dpkg-query -S"))
            return {true, moved(kDpkgSearchPrograms)};
        if (has("dpkg-query -W") && has("systemd"))
            return {true, kDpkgShowLibkmod2};
        if (has("dpkg-query -W"))
            return {true, kDpkgShow};
        if (has("apt-get -s remove -- 'xterm'"))
            return {true, kAptRemoveXterm};
        if (has("apt-get -s remove -- 'vim'"))
            return {true, kAptRemoveVim};
        if (has("apt-get -s remove -- 'vim-common'"))
            return {true, kAptRemoveVimCommon};
        if (has("apt-get -s remove -- 'libkmod2'"))
            return {true, kAptRemoveLibkmod2};
        if (has("apt-get -s remove"))
            return {false, kAptRemoveMissing};
        if (has("flatpak list"))
            return {true, kFlatpakList};
        if (has("snap list"))
            return {true, kSnapList};
        return {false, {}};
    }

    LinuxApps::CommandRunner runner()
    {
        return [this](const std::string& command) { return answer(command); };
    }
};
