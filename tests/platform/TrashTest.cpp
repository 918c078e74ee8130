// The Trash: moves read back with a trash-format parser of our own, names that never
// clash, failed moves that leave everything in place, and trashes that are not real.
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <set>
#include <sstream>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>

#include "i18n/L.h"
#include "platform/FailReason.h"
#include "platform/FS.h"
#include "platform/Trash.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;

namespace {

// Whether `path` is a folder that only its owner may enter (a link is not one).
bool ownersOnly(const fs::path& path)
{
    const fs::file_status status = fs::symlink_status(path);
    return fs::is_directory(status) && status.permissions() == fs::perms::owner_all;
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
    EXPECT_TRUE(ownersOnly(FS::trashFolder()));
    EXPECT_TRUE(ownersOnly(FS::trashFolder().parent_path() / "info"));

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
    EXPECT_TRUE(Trash::deleteEntry(moved.trashedAs).gone());
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
    EXPECT_FALSE(Trash::deleteEntry(folder / "not-in-trash").gone());
    EXPECT_TRUE(present(folder / "not-in-trash"));

    // The rename into files/ refused: the item stays and no information is left over.
    writeFile(folder / "stays.txt", "here");
    fs::create_directories(FS::trashFolder().parent_path() / "info");
    const auto infos = [] { return std::distance(fs::directory_iterator(FS::trashFolder().parent_path() / "info"), {}); };
    const auto infosBefore = infos();
    // The files folder made immutable (root), or one this user cannot write (everyone else).
    ImmutableGuard lock({FS::trashFolder()});
    if (!lock.ok() && geteuid() == 0)
        GTEST_SKIP() << "the immutable attribute cannot be set here";
    if (!lock.ok())
        fs::permissions(FS::trashFolder(), fs::perms::owner_write, fs::perm_options::remove);
    const Trash::MoveResult moved = Trash::moveToTrash(folder / "stays.txt");
    if (!lock.ok())
        fs::permissions(FS::trashFolder(), fs::perms::owner_write, fs::perm_options::add);
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
    EXPECT_TRUE(ownersOnly(plain / own));

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
    EXPECT_TRUE(Trash::deleteEntry(moved.trashedAs).gone());
    EXPECT_FALSE(present(infoFor(moved.trashedAs)));
    fs::remove_all(folder);
    if (!hadTrash)
        fs::remove_all(ownTrash);
}

TEST(TrashRefused, LinksAndForeignFoldersAreNeitherReadNorEmptied)
{
    // Whatever stands in place of a trash folder, what lies outside the trash
    // is never listed, measured or deleted through it. `make` builds a trash
    // at `root` (holding files/ and info/) that must be refused.
    const std::string uid = std::to_string(getuid());
    struct Case {
        std::string what;
        std::string root;  // below the case's own fixture folder
        std::function<void(const fs::path& root, const fs::path& outside)> make;
    };
    const auto realTrash = [](const fs::path& root) {
        fs::create_directories(root / "info");
        fs::create_directories(root / "files");
    };
    // A sound trash elsewhere, holding a link to the outside, with a link to it in place of `root`.
    const auto linkToATrashElsewhere = [&](const fs::path& root, const fs::path& outside) {
        realTrash(outside.parent_path() / "elsewhere");
        fs::create_directory_symlink(outside, outside.parent_path() / "elsewhere/files/x");
        fs::create_directory_symlink(outside.parent_path() / "elsewhere", root);
    };
    std::vector<Case> cases{
        {"files is a link", "Trash", [&](const fs::path& root, const fs::path& outside) {
             fs::create_directories(root / "info");
             fs::create_directory_symlink(outside, root / "files");
         }},
        {"info is a link", "Trash", [&](const fs::path& root, const fs::path& outside) {
             fs::create_directories(root / "files");
             fs::create_directory_symlink(outside, root / "info");
             fs::create_directory_symlink(outside, root / "files/keep-me");
         }},
        {"the trash folder is a link", "Trash", linkToATrashElsewhere},
        {"files is a plain file", "Trash", [&](const fs::path& root, const fs::path&) {
             fs::create_directories(root / "info");
             writeFile(root / "files", "not a folder");
         }},
        {"a volume's .Trash-uid is a link", ".Trash-" + uid, linkToATrashElsewhere},
        {"a volume's shared .Trash is a link", ".Trash/" + uid, [&](const fs::path& root, const fs::path& outside) {
             realTrash(outside.parent_path() / "shared" / uid);
             fs::permissions(outside.parent_path() / "shared", fs::perms::sticky_bit | fs::perms::all);
             fs::create_directory_symlink(outside, outside.parent_path() / "shared" / uid / "files/x");
             fs::create_directory_symlink(outside.parent_path() / "shared", root.parent_path());
         }},
        {"a volume's shared .Trash lacks the sticky bit", ".Trash/" + uid, [&](const fs::path& root, const fs::path& outside) {
             realTrash(root);
             fs::create_directory_symlink(outside, root / "files/x");
         }},
    };
    if (geteuid() == 0)
        cases.push_back({"files belongs to someone else", "Trash", [&](const fs::path& root, const fs::path& outside) {
            realTrash(root);
            fs::create_directory_symlink(outside, root / "files/x");
            ASSERT_EQ(chown((root / "files").c_str(), 65534, 65534), 0);
        }});

    int n = 0;
    for (const Case& c : cases) {
        const fs::path base = freshFolder("refused-" + std::to_string(++n));
        const fs::path outside = base / "Important";
        writeFile(outside / "thesis.tex", std::string(8000, 't'));
        writeFile(outside / "x.trashinfo", "[Trash Info]\n");
        const fs::path root = base / c.root;
        c.make(root, outside);
        const fs::path files = root / "files";

        EXPECT_FALSE(Trash::isUsable(files)) << c.what;
        EXPECT_TRUE(Trash::entries(files).empty()) << c.what;
        EXPECT_EQ(Trash::size(files), 0) << c.what;
        const Trash::EmptyResult emptied = Trash::emptyTrash(files);
        EXPECT_TRUE(emptied.refused) << c.what;
        EXPECT_EQ(emptied.freed, 0) << c.what;
        for (const char* name : {"thesis.tex", "x"}) {
            const SafeDelete::Result deleted = Trash::deleteEntry(files / name);
            EXPECT_FALSE(deleted.gone()) << c.what << " " << name;
        }
        EXPECT_EQ(readFile(outside / "thesis.tex"), std::string(8000, 't')) << c.what;
        EXPECT_TRUE(present(outside / "x.trashinfo")) << c.what;
    }

    // A sound trash of each kind is read and emptied.
    const fs::path sound = freshFolder("refused-none");
    fs::create_directories(sound / ".Trash");
    fs::permissions(sound / ".Trash", fs::perms::sticky_bit | fs::perms::all);
    for (const fs::path& root : {sound / "Trash", sound / (".Trash-" + uid), sound / ".Trash" / uid}) {
        realTrash(root);
        writeFile(root / "files/old.txt", std::string(5000, 'o'));
        writeFile(root / "info/old.txt.trashinfo", "[Trash Info]\n");
        EXPECT_TRUE(Trash::isUsable(root / "files")) << root;
        EXPECT_EQ(Trash::entries(root / "files"), std::vector<fs::path>{root / "files/old.txt"});
        EXPECT_GT(Trash::size(root / "files"), 0) << root;
        const Trash::EmptyResult emptied = Trash::emptyTrash(root / "files");
        EXPECT_FALSE(emptied.refused);
        EXPECT_GT(emptied.freed, 0);
        EXPECT_FALSE(present(root / "files/old.txt"));
        EXPECT_FALSE(present(root / "info/old.txt.trashinfo"));
    }
}

TEST(TrashEmpty, TwoEmptyingsAtOnceFreeEachEntryOnceAndKeepTheDsStore)
{
    const fs::path files = freshFolder("twice") / "Trash/files";
    const fs::path info = files.parent_path() / "info";
    writeFile(files / ".DS_Store", "finder");
    const std::int64_t hidden = writeBytes(files / ".hidden-folder/a/b.txt", 10000);
    writeFile(info / ".hidden-folder.trashinfo", "[Trash Info]\n");
    const Trash::EmptyResult alone = Trash::emptyTrash(files);
    EXPECT_EQ(alone.freed, hidden);  // the .DS_Store is neither removed nor counted
    EXPECT_EQ(alone.failed, 0);

    std::int64_t total = 0;
    for (int i = 0; i < 400; ++i) {
        total += writeBytes(files / ("e" + std::to_string(i)), 4096);
        writeFile(info / ("e" + std::to_string(i) + ".trashinfo"), "[Trash Info]\n");
    }
    Trash::EmptyResult a, b;
    std::thread first([&] { a = Trash::emptyTrash(files); });
    std::thread second([&] { b = Trash::emptyTrash(files); });
    first.join();
    second.join();
    EXPECT_EQ(a.freed + b.freed, total);
    EXPECT_EQ(a.failed + b.failed, 0);
    EXPECT_EQ(FS::children(files, true), std::vector<fs::path>{files / ".DS_Store"});
    EXPECT_TRUE(fs::is_empty(info));
}

TEST(TrashErrors, ErrorNumbersFallIntoReasonsEachWordedApart)
{
    const std::vector<std::pair<int, FailReason>> cases{
        {EACCES, FailReason::Permission}, {EPERM, FailReason::Permission}, {ENOENT, FailReason::Missing},
        {EROFS, FailReason::ReadOnly},    {EBUSY, FailReason::Busy},       {ELOOP, FailReason::LinkRefused},
        {ENOSPC, FailReason::NoSpace},    {EIO, FailReason::Other}};
    std::set<QString> texts{failReasonText(FailReason::MountInside)};
    for (const auto& [error, reason] : cases) {
        EXPECT_EQ(failReasonOf(error), reason) << error;
        EXPECT_FALSE(errnoText(error).isEmpty()) << error;
        texts.insert(errnoText(error));
    }
    EXPECT_EQ(texts.size(), 8u);  // seven reasons and the mount point inside
    EXPECT_TRUE(failReasonText(FailReason::None).isEmpty());

    // The Trash words its own refusals in the user's language.
    const Trash::MoveResult moved = Trash::moveToTrash(freshFolder("errors") / "missing.txt");
    EXPECT_FALSE(moved.ok);
    EXPECT_EQ(moved.error, LF("não foi possível ler o item: %@", L("o item não existe mais")));
}
