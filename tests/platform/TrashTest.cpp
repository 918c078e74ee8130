// The Trash: what moveToTrash leaves behind is read back with a parser of the
// trash format written here, names never clash, a failed move leaves
// everything in place, and deleting an entry takes its information along.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>
#include <sstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QDateTime>

#include "platform/FS.h"
#include "platform/Trash.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;

namespace {

unsigned modeOf(const fs::path& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

struct TrashInfo {
    std::string path;   // percent-decoded bytes
    QDateTime deleted;  // local time
};

// Reads an information file: a "[Trash Info]" line, then Path (each "%XX" one
// byte) and DeletionDate (yyyy-MM-ddThh:mm:ss), in that order. Nothing when malformed.
std::optional<TrashInfo> parseTrashInfo(const std::string& text)
{
    std::istringstream lines(text);
    std::string header, path, date, extra;
    if (!std::getline(lines, header) || header != "[Trash Info]" || !std::getline(lines, path)
        || path.rfind("Path=", 0) != 0 || !std::getline(lines, date) || date.rfind("DeletionDate=", 0) != 0
        || std::getline(lines, extra))
        return std::nullopt;
    TrashInfo info;
    info.path = QByteArray::fromPercentEncoding(QByteArray::fromStdString(path.substr(5))).toStdString();
    info.deleted = QDateTime::fromString(QString::fromStdString(date.substr(13)), "yyyy-MM-dd'T'hh:mm:ss");
    if (info.path.empty() || !info.deleted.isValid())
        return std::nullopt;
    return info;
}

std::string trashedPath(const fs::path& entry)
{
    const std::optional<TrashInfo> info = parseTrashInfo(readFile(infoFor(entry)));
    return info ? info->path : "(no valid information file)";
}

} // namespace

TEST(TrashInfoText, PercentEncodesEveryByteButUnreservedOnesAndSlashes)
{
    EXPECT_EQ(Trash::trashInfoText("/home/al/a b/100%/\xc3\xa9\n'x'~_-.z", QDateTime(QDate(2024, 3, 9), QTime(7, 5, 30))),
              "[Trash Info]\n"
              "Path=/home/al/a%20b/100%25/%C3%A9%0A%27x%27~_-.z\n"
              "DeletionDate=2024-03-09T07:05:30\n");
}

TEST(TrashMove, AwkwardNamesAndLinksAreReadBackByteForByte)
{
    const fs::path folder = freshFolder("trash-names");
    for (const std::string name : {"it's \"quoted\"", "line\nbreak", "with  blanks ", "-rf", "100%", "%41",
                                   "caf\xe9 \xff\xfe", "$(touch x)", ".hidden"}) {
        SCOPED_TRACE(name);
        writeFile(folder / name, "content of " + name);
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        const Trash::MoveResult moved = Trash::moveToTrash(folder / name);
        ASSERT_TRUE(moved.ok) << moved.error.toStdString();
        EXPECT_FALSE(present(folder / name));
        EXPECT_EQ(moved.trashedAs, FS::trashFolder() / name);
        EXPECT_EQ(readFile(moved.trashedAs), "content of " + name);
        const std::optional<TrashInfo> info = parseTrashInfo(readFile(infoFor(moved.trashedAs)));
        ASSERT_TRUE(info);
        EXPECT_EQ(info->path, (folder / name).native());
        EXPECT_GE(info->deleted, before);
        EXPECT_LE(info->deleted, QDateTime::currentDateTime().addSecs(1));
    }
    EXPECT_EQ(modeOf(FS::trashFolder()), 0700u);
    EXPECT_EQ(modeOf(FS::trashFolder().parent_path() / "info"), 0700u);

    // A link is trashed as a link; what it names stays.
    writeFile(folder / "target/keep.txt", "keep");
    fs::create_symlink(folder / "target", folder / "to-target");
    const Trash::MoveResult moved = Trash::moveToTrash(folder / "to-target");
    ASSERT_TRUE(moved.ok) << moved.error.toStdString();
    EXPECT_TRUE(fs::is_symlink(moved.trashedAs));
    EXPECT_EQ(readFile(folder / "target/keep.txt"), "keep");
}

TEST(TrashMove, SameNamesNeverReplaceWhatWasTrashedBeforeAndEntriesGoWithTheirInformation)
{
    const fs::path folder = freshFolder("trash-clash");
    const fs::path files = FS::trashFolder();
    writeFile(files / "report.2.pdf", "orphan");  // an entry without information holds a name
    std::set<fs::path> places;
    for (const char* from : {"a", "b", "c"}) {
        const fs::path item = folder / from / "report.pdf";
        writeFile(item, item.native());
        const Trash::MoveResult moved = Trash::moveToTrash(item);
        ASSERT_TRUE(moved.ok) << moved.error.toStdString();
        places.insert(moved.trashedAs);
        EXPECT_EQ(readFile(moved.trashedAs), item.native());
        EXPECT_EQ(trashedPath(moved.trashedAs), item.native());
    }
    EXPECT_EQ(places, (std::set<fs::path>{files / "report.pdf", files / "report.3.pdf", files / "report.4.pdf"}));
    EXPECT_EQ(readFile(files / "report.2.pdf"), "orphan");
    EXPECT_FALSE(present(infoFor(files / "report.2.pdf")));

    // A name too long for NAME.trashinfo is shortened, never refused.
    const std::string longName(250, 'n');
    writeFile(folder / longName, "long");
    const Trash::MoveResult moved = Trash::moveToTrash(folder / longName);
    ASSERT_TRUE(moved.ok) << moved.error.toStdString();
    EXPECT_EQ(trashedPath(moved.trashedAs), (folder / longName).native());

    // Deleting an entry takes its information along.
    EXPECT_TRUE(Trash::deleteEntry(moved.trashedAs));
    EXPECT_FALSE(present(moved.trashedAs));
    EXPECT_FALSE(present(infoFor(moved.trashedAs)));
}

TEST(TrashMove, AFailedMoveLeavesEverythingInPlace)
{
    const fs::path folder = freshFolder("trash-fails");
    EXPECT_FALSE(Trash::moveToTrash(folder / "absent").ok);
    EXPECT_FALSE(Trash::moveToTrash(folder / "..").ok);
    writeFile(FS::trashFolder() / "already", "x");
    EXPECT_FALSE(Trash::moveToTrash(FS::trashFolder().parent_path()).ok);  // the Trash into itself
    EXPECT_FALSE(Trash::moveToTrash(FS::trashFolder() / "already").ok);
    EXPECT_TRUE(present(FS::trashFolder() / "already"));
    writeFile(folder / "not-in-trash", "x");  // only entries of a trash are deleted as such
    EXPECT_FALSE(Trash::deleteEntry(folder / "not-in-trash"));
    EXPECT_TRUE(present(folder / "not-in-trash"));

    // The rename into files/ refused: the item stays and no information is left over.
    writeFile(folder / "stays.txt", "here");
    fs::create_directories(FS::trashFolder().parent_path() / "info");
    const auto infos = [] { return std::distance(fs::directory_iterator(FS::trashFolder().parent_path() / "info"), {}); };
    const auto infosBefore = infos();
    ImmutableGuard lock({FS::trashFolder()});
    SKIP_UNLESS_IMMUTABLE(lock);
    const Trash::MoveResult moved = Trash::moveToTrash(folder / "stays.txt");
    EXPECT_FALSE(moved.ok);
    EXPECT_FALSE(moved.error.isEmpty());
    EXPECT_EQ(readFile(folder / "stays.txt"), "here");
    EXPECT_EQ(infos(), infosBefore);
}

TEST(TrashEntries, WhatCountsAsAnEntry)
{
    const std::string uid = std::to_string(getuid());
    const fs::path files = FS::trashFolder();
    for (const fs::path& yes : {files / "a", fs::path(files.native() + "/a/"),
                               fs::path("/mnt/usb/.Trash-" + uid + "/files/a"), fs::path("/mnt/usb/.Trash/" + uid + "/files/a")})
        EXPECT_TRUE(Trash::isTrashEntry(yes)) << yes;
    for (const fs::path& no : {files, files / "a/b", files / "../x", files / "..", files.parent_path() / "info/a.trashinfo",
                              fs::path("/mnt/usb/.Trash-" + uid + "x/files/a"), fs::path("/mnt/usb/.Trash-" + uid + "/info/a"),
                              fs::path("relative/.Trash-" + uid + "/files/a")})
        EXPECT_FALSE(Trash::isTrashEntry(no)) << no;
}

TEST(TrashVolumes, SharedTrashOnlyWhenStickyAndReal)
{
    const std::string own = ".Trash-" + std::to_string(getuid());
    const fs::path plain = freshFolder("vol-plain");
    EXPECT_EQ(Trash::volumeTrash(plain), plain / own);
    EXPECT_EQ(modeOf(plain / own), 0700u);

    const fs::path sticky = freshFolder("vol-sticky");
    fs::create_directory(sticky / ".Trash");
    chmod((sticky / ".Trash").c_str(), 01777);
    EXPECT_EQ(Trash::volumeTrash(sticky), sticky / ".Trash" / std::to_string(getuid()));

    const fs::path loose = freshFolder("vol-loose");  // no sticky bit: not trusted
    fs::create_directory(loose / ".Trash");
    EXPECT_EQ(Trash::volumeTrash(loose), loose / own);
    const fs::path linked = freshFolder("vol-linked");  // a link to a sticky folder: not trusted
    fs::create_directory_symlink(sticky / ".Trash", linked / ".Trash");
    EXPECT_EQ(Trash::volumeTrash(linked), linked / own);
    const fs::path trap = freshFolder("vol-trap");  // a link in place of the private folder: refused
    fs::create_directory_symlink(plain, trap / own);
    EXPECT_EQ(Trash::volumeTrash(trap), fs::path());
}

TEST(TrashVolumes, AnItemOnAnotherFileSystemStaysOnIt)
{
    // /dev/shm must be the top of a file system of its own (in a chroot it can
    // be a plain folder of /dev).
    struct stat shm, dev, home;
    if (stat("/dev/shm", &shm) != 0 || stat("/dev", &dev) != 0 || stat(FS::home().c_str(), &home) != 0
        || shm.st_dev == home.st_dev || shm.st_dev == dev.st_dev || access("/dev/shm", W_OK) != 0
        || present("/dev/shm/.Trash"))
        GTEST_SKIP() << "no second writable file system of our own";
    const fs::path ownTrash = "/dev/shm/.Trash-" + std::to_string(getuid());
    const bool hadTrash = present(ownTrash);
    char folderTemplate[] = "/dev/shm/quillmoor-trash-XXXXXX";
    const fs::path folder = mkdtemp(folderTemplate);
    writeFile(folder / "away.txt", "away");

    const Trash::MoveResult moved = Trash::moveToTrash(folder / "away.txt");

    ASSERT_TRUE(moved.ok) << moved.error.toStdString();
    EXPECT_EQ(moved.trashedAs, ownTrash / "files/away.txt");
    EXPECT_EQ(trashedPath(moved.trashedAs), folder.filename().native() + "/away.txt");
    EXPECT_TRUE(Trash::deleteEntry(moved.trashedAs));
    EXPECT_FALSE(present(infoFor(moved.trashedAs)));
    fs::remove_all(folder);
    if (!hadTrash)
        fs::remove_all(ownTrash);
}
