// The Trash: what moveToTrash leaves behind is read back with a parser of the
// trash format written here, names never clash, a failed move leaves
// everything in place, and deleting an entry takes its information along.
#include <gtest/gtest.h>

#include <cctype>
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

unsigned modeOf(const fs::path& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

fs::path infoFor(const fs::path& entry)
{
    return entry.parent_path().parent_path() / "info" / (entry.filename().native() + ".trashinfo");
}

struct TrashInfo {
    std::string path;   // percent-decoded bytes
    QDateTime deleted;  // local time
};

// Reads an information file: a "[Trash Info]" first line, then Path (each
// "%XX" one byte) and DeletionDate (YYYY-MM-DDThh:mm:ss). Nothing when malformed.
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
    TrashInfo info;
    const std::string& encoded = keys["Path"];
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] != '%') {
            info.path += encoded[i];
            continue;
        }
        const std::string hex = encoded.substr(i + 1, 2);
        if (hex.size() != 2 || !std::isxdigit(static_cast<unsigned char>(hex[0]))
            || !std::isxdigit(static_cast<unsigned char>(hex[1])))
            return std::nullopt;
        info.path += char(std::stoi(hex, nullptr, 16));
        i += 2;
    }
    int y, mo, d, h, mi, s;
    if (std::sscanf(keys["DeletionDate"].c_str(), "%4d-%2d-%2dT%2d:%2d:%2d", &y, &mo, &d, &h, &mi, &s) != 6)
        return std::nullopt;
    info.deleted = QDateTime(QDate(y, mo, d), QTime(h, mi, s));
    if (info.path.empty() || !info.deleted.isValid())
        return std::nullopt;
    return info;
}

} // namespace

TEST(TrashInfoText, PercentEncodesEveryByteButUnreservedOnesAndSlashes)
{
    EXPECT_EQ(Trash::trashInfoText("/home/al/a b/100%/\xc3\xa9\n'x'~_-.z", QDateTime(QDate(2024, 3, 9), QTime(7, 5, 30))),
              "[Trash Info]\n"
              "Path=/home/al/a%20b/100%25/%C3%A9%0A%27x%27~_-.z\n"
              "DeletionDate=2024-03-09T07:05:30\n");
}

TEST(TrashMove, AwkwardNamesAreReadBackByteForByte)
{
    const fs::path folder = freshFolder("names");
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
}

TEST(TrashMove, SameNamesNeverReplaceWhatWasTrashedBefore)
{
    const fs::path folder = freshFolder("clash");
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
        EXPECT_EQ(parseTrashInfo(readFile(infoFor(moved.trashedAs)))->path, item.native());
    }
    EXPECT_EQ(places, (std::set<fs::path>{files / "report.pdf", files / "report.3.pdf", files / "report.4.pdf"}));
    EXPECT_EQ(readFile(files / "report.2.pdf"), "orphan");
    EXPECT_FALSE(present(infoFor(files / "report.2.pdf")));

    // A name too long for NAME.trashinfo is shortened, never refused.
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
    const Trash::MoveResult moved = Trash::moveToTrash(folder / "to-target");
    ASSERT_TRUE(moved.ok) << moved.error.toStdString();
    EXPECT_TRUE(fs::is_symlink(moved.trashedAs));
    EXPECT_EQ(readFile(folder / "target/keep.txt"), "keep");
}

TEST(TrashMove, AFailedMoveLeavesEverythingInPlace)
{
    const fs::path folder = freshFolder("fails");
    EXPECT_FALSE(Trash::moveToTrash(folder / "absent").ok);
    EXPECT_FALSE(Trash::moveToTrash(folder / "..").ok);
    writeFile(FS::trashFolder() / "already", "x");
    EXPECT_FALSE(Trash::moveToTrash(FS::trashFolder().parent_path()).ok);  // the Trash into itself
    EXPECT_FALSE(Trash::moveToTrash(FS::trashFolder() / "already").ok);
    EXPECT_TRUE(present(FS::trashFolder() / "already"));

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

TEST(TrashEntries, DeleteEntryTakesItsInformationAlong)
{
    const fs::path folder = freshFolder("entries");
    writeFile(folder / "gone/a/b", "x");
    const Trash::MoveResult moved = Trash::moveToTrash(folder / "gone");
    ASSERT_TRUE(moved.ok);
    EXPECT_TRUE(Trash::deleteEntry(moved.trashedAs));
    EXPECT_FALSE(present(moved.trashedAs));
    EXPECT_FALSE(present(infoFor(moved.trashedAs)));

    writeFile(folder / "not-in-trash", "x");  // only entries of a trash go this way
    EXPECT_FALSE(Trash::deleteEntry(folder / "not-in-trash"));
    EXPECT_TRUE(present(folder / "not-in-trash"));
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
    struct stat shm, home;
    if (stat("/dev/shm", &shm) != 0 || stat(FS::home().c_str(), &home) != 0 || shm.st_dev == home.st_dev
        || access("/dev/shm", W_OK) != 0 || present("/dev/shm/.Trash"))
        GTEST_SKIP() << "no second writable file system of our own";
    const fs::path ownTrash = "/dev/shm/.Trash-" + std::to_string(getuid());
    const bool hadTrash = present(ownTrash);
    char folderTemplate[] = "/dev/shm/quillmoor-trash-XXXXXX";
    const fs::path folder = mkdtemp(folderTemplate);
    writeFile(folder / "away.txt", "away");

    const Trash::MoveResult moved = Trash::moveToTrash(folder / "away.txt");

    ASSERT_TRUE(moved.ok) << moved.error.toStdString();
    EXPECT_EQ(moved.trashedAs, ownTrash / "files/away.txt");
    EXPECT_EQ(parseTrashInfo(readFile(infoFor(moved.trashedAs)))->path, folder.filename().native() + "/away.txt");
    EXPECT_TRUE(Trash::deleteEntry(moved.trashedAs));
    EXPECT_FALSE(present(infoFor(moved.trashedAs)));
    fs::remove_all(folder);
    if (!hadTrash)
        fs::remove_all(ownTrash);
}
