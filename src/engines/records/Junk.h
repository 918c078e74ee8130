#pragma once
// The junk scan's records: a rule of a catalogue, and what a scan returns for it.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>
#include <QUuid>

#include "platform/AdminActions.h"

// One rule of a junk catalogue. Path texts are written as follows, and
// resolved once per scan:
//   "~/..."       under the home folder;
//   "~/.Trash"    the Trash folder (FS::trashFolder());
//   "$CACHE/..."  under the user's cache folder ($XDG_CACHE_HOME, else ~/.cache).
// One component of a path may be "*": each folder that matches is one item,
// named after the matched component (whatever `children` says).
struct JunkRule {
    QString id;
    QString title;
    QString detail;
    QString symbol;
    std::vector<std::string> paths;
    bool children = true;             // each direct entry is an item (false: the folder itself)
    bool preselect = true;
    bool permanent = true;            // false: removal moves to the Trash
    std::optional<std::set<std::string>> extensions = std::nullopt;  // lower-case, without the dot
    // Entries of the rule's folders that belong to another rule, written like
    // `paths`: never items of this rule, so no byte is counted in two groups.
    std::vector<std::string> exclude = {};
    // When not empty, only entries whose name matches one of these patterns
    // ("*" standing for any run of characters, e.g. "*.log") become items.
    std::vector<std::string> namePatterns = {};
    // Folders computed at scan time (the download folder, every trash of the
    // mounted file systems), looked at after `paths`.
    std::vector<std::filesystem::path> (*places)() = nullptr;
    // Whether entries whose name begins with a dot count (what was thrown away
    // is junk whatever its name).
    bool hidden = false;
    // The rule's folders are trashes' "files" folders: each is read only when
    // the trash is a real folder of the user, and every entry counts.
    bool trash = false;
    // Entries whose name begins with this text belong to the system itself:
    // listed, never ticked at first. Empty: none.
    std::string systemPrefix = {};
};

// One removable file or folder (junk groups and the uninstaller's file list).
struct JunkItem {
    QUuid id = QUuid::createUuid();
    std::filesystem::path url;
    QString name;
    std::int64_t size = 0;
    bool selected = false;
    QString note;  // a short remark shown muted in the row ("In use by firefox", why a leftover starts unticked), or empty
    // What the administrator helper removes it by (a system item); empty for
    // what this user removes.
    std::vector<Admin::Action> actions = {};
    // Whether `size` was learned; an unknown size counts as 0 in every total.
    bool sizeKnown = true;
    // A running program holds it open (`note` names it): never ticked at first.
    bool inUse = false;
    // What a tool removes by id (a container, an image, a volume): that exact
    // id, the command that removes it ("podman image rm"), and the ids of the
    // items that must go in the same run for it to go (an image goes only
    // with the containers that use it).
    QString toolId = {};
    QString tool = {};
    QStringList goesWith = {};
    // Shown for what it stands for, never removed: a snapshot list this user
    // may not read, until it is measured.
    bool listedOnly = false;
};

// The result of one junk rule; items largest first.
struct JunkGroup {
    QString id;
    QString title;
    QString detail;
    QString symbol;
    bool permanent = false;
    std::vector<JunkItem> items;
    // The group's items are the system's: removed only through the administrator helper.
    bool admin = false;
    // Another program holds what the group's removal needs (the package
    // manager's lock): listed, never cleaned.
    bool held = false;
    // Its items hold data (container volumes): each goes only when picked
    // itself, never with the whole group.
    bool oneByOne = false;
    // What the administrator helper runs, read-only, to learn what this user
    // could not read (snapshot sizes); empty when there is nothing to measure.
    std::vector<Admin::Action> measure = {};
    // Its total is a floor: its items share data none of their own sizes
    // holds (snapshots), so removing them together frees more.
    bool atLeast = false;

    // Whether cleaning it asks for the administrator's password: some item
    // goes through the helper (container storage and the user's own Flatpak
    // runtimes go by their tools, as the user).
    bool asksPassword() const
    {
        for (const auto& item : items)
            if (!item.actions.empty())
                return true;
        return false;
    }
    std::int64_t total() const
    {
        std::int64_t sum = 0;
        for (const auto& item : items)
            if (item.sizeKnown)
                sum += item.size;
        return sum;
    }
    std::int64_t selectedTotal() const
    {
        std::int64_t sum = 0;
        for (const auto& item : items)
            if (item.selected && item.sizeKnown)
                sum += item.size;
        return sum;
    }
};

// What a junk scan, or one part of it, found: its groups, and how many items
// the never-touch list hid from them.
struct JunkFound {
    std::vector<JunkGroup> groups;
    int ignored = 0;
};
