// The Trash: what moveToTrash leaves behind is read back with a parser of the
// trash format written here, names never clash, nothing is ever lost when a
// move fails, and deleting an entry takes its information file along.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>

#include "engines/ImmutableFlag.h"
#include "platform/FS.h"
#include "platform/Trash.h"

namespace fs = std::filesystem;

namespace {

fs::path freshFolder(const std::string& name)
{
    const fs::path folder = fs::path(std::getenv("HOME")) / "trash-test" / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

void writeFile(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool present(const fs::path& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

fs::path homeTrash()
{
    return FS::trashFolder().parent_path();
}

fs::path infoFor(const fs::path& entryInFiles)
{
    return entryInFiles.parent_path().parent_path() / "info" / (entryInFiles.filename().native() + ".trashinfo");
}

// ---- An independent reader of the trash information format ----------------

struct TrashInfo {
    std::string path;   // percent-decoded bytes
    QDateTime deleted;  // local time
};

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Nothing when the text is not a valid information file: a "[Trash Info]"
// first line, Path and DeletionDate keys, every "%" followed by two hex digits.
std::optional<TrashInfo> parseTrashInfo(const std::string& text)
{
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != "[Trash Info]")
        return std::nullopt;
    std::map<std::string, std::string> keys;
    while (std::getline(lines, line)) {
        const auto equals = line.find('=');
        if (equals == std::string::npos)
            return std::nullopt;
        keys[line.substr(0, equals)] = line.substr(equals + 1);
    }
    if (!keys.count("Path") || !keys.count("DeletionDate"))
        return std::nullopt;
    TrashInfo info;
    const std::string& encoded = keys["Path"];
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] != '%') {
            info.path += encoded[i];
            continue;
        }
        if (i + 2 >= encoded.size())
            return std::nullopt;
        const int high = hexValue(encoded[i + 1]);
        const int low = hexValue(encoded[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        info.path += char(high * 16 + low);
        i += 2;
    }
    int year, month, day, hour, minute, second;
    char tail;
    if (std::sscanf(keys["DeletionDate"].c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c",
                    &year, &month, &day, &hour, &minute, &second, &tail) != 6)
        return std::nullopt;
    info.deleted = QDateTime(QDate(year, month, day), QTime(hour, minute, second));
    if (!info.deleted.isValid())
        return std::nullopt;
    return info;
}

} // namespace

TEST(TrashInfoText, PercentEncodesEveryByteButUnreservedOnesAndSlashes)
{
    const QDateTime when(QDate(2024, 3, 9), QTime(7, 5, 30));
    EXPECT_EQ(Trash::trashInfoText("/home/al/a b/100%/\xc3\xa9\n'x'~_-.z", when),
              "[Trash Info]\n"
              "Path=/home/al/a%20b/100%25/%C3%A9%0A%27x%27~_-.z\n"
              "DeletionDate=2024-03-09T07:05:30\n");
    // A relative path (for the trash of another volume) stays relative.
    EXPECT_EQ(parseTrashInfo(Trash::trashInfoText("photos/\xff.jpg", when))->path, "photos/\xff.jpg");
}

TEST(TrashMove, AwkwardNamesAreReadBackByteForByte)
{
    const fs::path folder = freshFolder("names");
    const std::string names[] = {
        "it's \"quoted\"", "line\nbreak", "with  blanks ", "-rf", "--", "100%", "%41",
        "caf\xe9 \xff\xfe", "$(touch x)", "\xc3\xa9t\xc3\xa9.txt", ".hidden",
    };
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const fs::path item = folder / name;
        writeFile(item, "content of " + name);
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        const Trash::MoveResult moved = Trash::moveToTrash(item);
        const QDateTime after = QDateTime::currentDateTime().addSecs(1);

        ASSERT_TRUE(moved.ok) << moved.error.toStdString();
        EXPECT_FALSE(present(item));
        EXPECT_EQ(moved.trashedAs, FS::trashFolder() / name);
        EXPECT_EQ(readFile(moved.trashedAs), "content of " + name);
        const std::optional<TrashInfo> info = parseTrashInfo(readFile(infoFor(moved.trashedAs)));
        ASSERT_TRUE(info);
        EXPECT_EQ(info->path, item.native());
        EXPECT_GE(info->deleted, before);
        EXPECT_LE(info->deleted, after);
    }
    struct stat mode;
    ASSERT_EQ(stat(FS::trashFolder().c_str(), &mode), 0);
    EXPECT_EQ(mode.st_mode & 0777, 0700u);
    ASSERT_EQ(stat((homeTrash() / "info").c_str(), &mode), 0);
    EXPECT_EQ(mode.st_mode & 0777, 0700u);
}

TEST(TrashMove, SameNamesNeverReplaceWhatWasTrashedBefore)
{
    const fs::path folder = freshFolder("clash");
    const fs::path items[] = {folder / "a/report.pdf", folder / "b/report.pdf", folder / "c/report.pdf"};
    // An entry without an information file already holds the next free name.
    writeFile(FS::trashFolder() / "report.2.pdf", "orphan");
    std::set<fs::path> places;
    for (const fs::path& item : items) {
        writeFile(item, item.native());
        const Trash::MoveResult moved = Trash::moveToTrash(item);
        ASSERT_TRUE(moved.ok) << moved.error.toStdString();
        places.insert(moved.trashedAs);
        EXPECT_EQ(readFile(moved.trashedAs), item.native());
        EXPECT_EQ(parseTrashInfo(readFile(infoFor(moved.trashedAs)))->path, item.native());
    }
    const fs::path files = FS::trashFolder();
    EXPECT_EQ(places, (std::set<fs::path>{files / "report.pdf", files / "report.3.pdf", files / "report.4.pdf"}));
    EXPECT_EQ(readFile(files / "report.2.pdf"), "orphan");
    EXPECT_FALSE(present(homeTrash() / "info/report.2.pdf.trashinfo"));  // no stray information

    // Folders and names without an extension count on at the end; a long
    // name is shortened so that its information file still has a valid name.
    writeFile(folder / "d/notes/x", "1");
    writeFile(folder / "e/notes/x", "2");
    EXPECT_EQ(Trash::moveToTrash(folder / "d/notes").trashedAs.filename(), "notes");
    EXPECT_EQ(Trash::moveToTrash(folder / "e/notes").trashedAs.filename(), "notes.2");
    const std::string longName(250, 'n');
    writeFile(folder / longName, "long");
    const Trash::MoveResult moved = Trash::moveToTrash(folder / longName);
    ASSERT_TRUE(moved.ok) << moved.error.toStdString();
    EXPECT_EQ(parseTrashInfo(readFile(infoFor(moved.trashedAs)))->path, (folder / longName).native());
}

TEST(TrashMove, ALinkIsTrashedAsALink)
{
    const fs::path folder = freshFolder("links");
    writeFile(folder / "target/keep.txt", "keep");
    fs::create_symlink(folder / "target", folder / "to-target");
    fs::create_symlink("nowhere", folder / "dangling");

    for (const char* name : {"to-target", "dangling"}) {
        const Trash::MoveResult moved = Trash::moveToTrash(folder / name);
        ASSERT_TRUE(moved.ok) << moved.error.toStdString();
        EXPECT_TRUE(fs::is_symlink(moved.trashedAs)) << name;
        EXPECT_FALSE(present(folder / name));
    }
    EXPECT_EQ(readFile(folder / "target/keep.txt"), "keep");
}

TEST(TrashMove, AFailedMoveLeavesEverythingInPlace)
{
    const fs::path folder = freshFolder("fails");
    // Nothing at the path, and names that are no entry of a folder.
    EXPECT_FALSE(Trash::moveToTrash(folder / "absent").ok);
    EXPECT_FALSE(Trash::moveToTrash("/").ok);
    EXPECT_FALSE(Trash::moveToTrash(folder / "..").ok);
    // The Trash itself, or an item already in it, is not moved into it.
    writeFile(FS::trashFolder() / "already", "x");
    EXPECT_FALSE(Trash::moveToTrash(homeTrash()).ok);
    EXPECT_FALSE(Trash::moveToTrash(FS::trashFolder() / "already").ok);
    EXPECT_TRUE(present(FS::trashFolder() / "already"));

    // The rename into files/ refused: the item stays and no information is left over.
    writeFile(folder / "stays.txt", "here");
    const auto infosBefore = std::distance(fs::directory_iterator(homeTrash() / "info"), {});
    ImmutableGuard lock({FS::trashFolder()});
    SKIP_UNLESS_IMMUTABLE(lock);
    const Trash::MoveResult moved = Trash::moveToTrash(folder / "stays.txt");
    EXPECT_FALSE(moved.ok);
    EXPECT_FALSE(moved.error.isEmpty());
    EXPECT_EQ(readFile(folder / "stays.txt"), "here");
    EXPECT_FALSE(present(homeTrash() / "info/stays.txt.trashinfo"));
    EXPECT_EQ(std::distance(fs::directory_iterator(homeTrash() / "info"), {}), infosBefore);
}

TEST(TrashEntries, DeleteEntryTakesItsInformationAlong)
{
    const fs::path folder = freshFolder("entries");
    writeFile(folder / "gone/a/b", "x");
    const Trash::MoveResult moved = Trash::moveToTrash(folder / "gone");
    ASSERT_TRUE(moved.ok);
    ASSERT_TRUE(present(infoFor(moved.trashedAs)));

    EXPECT_TRUE(Trash::deleteEntry(moved.trashedAs));
    EXPECT_FALSE(present(moved.trashedAs));
    EXPECT_FALSE(present(infoFor(moved.trashedAs)));

    // Only entries of a trash are deleted this way.
    writeFile(folder / "not-in-trash", "x");
    EXPECT_FALSE(Trash::deleteEntry(folder / "not-in-trash"));
    EXPECT_TRUE(present(folder / "not-in-trash"));

    // An entry that cannot be deleted whole keeps its information, so the
    // file manager still lists what is left of it.
    writeFile(folder / "locked/inner.txt", "x");
    writeFile(folder / "locked/beside.txt", "x");
    const Trash::MoveResult locked = Trash::moveToTrash(folder / "locked");
    ASSERT_TRUE(locked.ok);
    ImmutableGuard lock({locked.trashedAs / "inner.txt"});
    SKIP_UNLESS_IMMUTABLE(lock);
    EXPECT_FALSE(Trash::deleteEntry(locked.trashedAs));
    EXPECT_TRUE(present(locked.trashedAs / "inner.txt"));
    EXPECT_FALSE(present(locked.trashedAs / "beside.txt"));
    EXPECT_TRUE(present(infoFor(locked.trashedAs)));
}

TEST(TrashEntries, WhatCountsAsAnEntry)
{
    const std::string uid = std::to_string(getuid());
    const fs::path files = FS::trashFolder();
    EXPECT_TRUE(Trash::isTrashEntry(files / "a"));
    EXPECT_TRUE(Trash::isTrashEntry(files.native() + "/a/"));
    EXPECT_TRUE(Trash::isTrashEntry("/mnt/usb/.Trash-" + uid + "/files/a"));
    EXPECT_TRUE(Trash::isTrashEntry("/mnt/usb/.Trash/" + uid + "/files/a"));

    EXPECT_FALSE(Trash::isTrashEntry(files));
    EXPECT_FALSE(Trash::isTrashEntry(files / "a/b"));
    EXPECT_FALSE(Trash::isTrashEntry(files / "../x"));
    EXPECT_FALSE(Trash::isTrashEntry(files / ".."));
    EXPECT_FALSE(Trash::isTrashEntry(homeTrash() / "info/a.trashinfo"));
    EXPECT_FALSE(Trash::isTrashEntry("/mnt/usb/.Trash-" + uid + "x/files/a"));
    EXPECT_FALSE(Trash::isTrashEntry("/mnt/usb/.Trash/" + uid + "x/files/a"));
    EXPECT_FALSE(Trash::isTrashEntry("/mnt/usb/.Trash-" + uid + "/info/a"));
    EXPECT_FALSE(Trash::isTrashEntry("relative/.Trash-" + uid + "/files/a"));
}

TEST(TrashVolumes, SharedTrashOnlyWhenStickyAndReal)
{
    const std::string uid = std::to_string(getuid());
    const auto modeOf = [](const fs::path& path) {
        struct stat info;
        return lstat(path.c_str(), &info) == 0 ? info.st_mode : 0u;
    };

    // No shared trash: a private one of this user's own.
    const fs::path plain = freshFolder("vol-plain");
    EXPECT_EQ(Trash::volumeTrash(plain), plain / (".Trash-" + uid));
    EXPECT_EQ(modeOf(plain / (".Trash-" + uid)) & 07777, 0700u);

    // A real shared folder with the sticky bit: this user's folder inside it.
    const fs::path sticky = freshFolder("vol-sticky");
    fs::create_directory(sticky / ".Trash");
    chmod((sticky / ".Trash").c_str(), 01777);
    EXPECT_EQ(Trash::volumeTrash(sticky), sticky / ".Trash" / uid);
    EXPECT_EQ(modeOf(sticky / ".Trash" / uid) & 07777, 0700u);

    // Without the sticky bit, or as a link to a sticky folder, it is not trusted.
    const fs::path loose = freshFolder("vol-loose");
    fs::create_directory(loose / ".Trash");
    chmod((loose / ".Trash").c_str(), 0777);
    EXPECT_EQ(Trash::volumeTrash(loose), loose / (".Trash-" + uid));
    EXPECT_FALSE(present(loose / ".Trash" / uid));
    const fs::path linked = freshFolder("vol-linked");
    fs::create_directory_symlink(sticky / ".Trash", linked / ".Trash");
    EXPECT_EQ(Trash::volumeTrash(linked), linked / (".Trash-" + uid));

    // A link in place of the private folder would send trashed files elsewhere: refused.
    const fs::path trap = freshFolder("vol-trap");
    fs::create_directory(trap / "elsewhere");
    fs::create_directory_symlink(trap / "elsewhere", trap / (".Trash-" + uid));
    EXPECT_EQ(Trash::volumeTrash(trap), fs::path());
}

TEST(TrashVolumes, TheTrashOfAnotherFileSystem)
{
    // /dev/shm is a separate file system on most Linux machines; the item goes
    // to its own trash there, never across to the home trash.
    struct stat shm, home;
    if (stat("/dev/shm", &shm) != 0 || stat(homeTrash().parent_path().c_str(), &home) != 0
        || shm.st_dev == home.st_dev || access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no second writable file system";
    const std::string ownTrash = "/dev/shm/.Trash-" + std::to_string(getuid());
    const bool hadTrash = present(ownTrash);
    if (present("/dev/shm/.Trash"))
        GTEST_SKIP() << "a shared trash already exists there";
    char folderTemplate[] = "/dev/shm/quillmoor-trash-XXXXXX";
    const fs::path folder = mkdtemp(folderTemplate);
    writeFile(folder / "away.txt", "away");

    const Trash::MoveResult moved = Trash::moveToTrash(folder / "away.txt");

    ASSERT_TRUE(moved.ok) << moved.error.toStdString();
    EXPECT_EQ(moved.trashedAs.parent_path(), fs::path(ownTrash) / "files");
    EXPECT_EQ(readFile(moved.trashedAs), "away");
    const std::optional<TrashInfo> info = parseTrashInfo(readFile(infoFor(moved.trashedAs)));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->path, folder.filename().native() + "/away.txt");  // relative to the volume's top
    struct stat mode;
    ASSERT_EQ(stat(ownTrash.c_str(), &mode), 0);
    EXPECT_EQ(mode.st_mode & 0777, 0700u);
    EXPECT_TRUE(Trash::isTrashEntry(moved.trashedAs));
    EXPECT_TRUE(Trash::deleteEntry(moved.trashedAs));
    EXPECT_FALSE(present(infoFor(moved.trashedAs)));

    fs::remove_all(folder);
    if (!hadTrash)
        fs::remove_all(ownTrash);
}
