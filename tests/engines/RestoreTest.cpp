// Putting back from the Trash what a removal's history record names, on
// records made by real removals and read back from the history file: odd
// names byte for byte with their mode and times, nothing ever replaced (not
// even what appears between the check and the move), only the very entry
// recorded, forged .trashinfo files, folders missing or turned into links on
// the way, and the Trash of another file system.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engines/removal/HistoryRecord.h"
#include "engines/removal/Removal.h"
#include "engines/removal/Restore.h"
#include "platform/HistoryFile.h"
#include "platform/Shell.h"
#include "platform/Trash.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;

namespace {

// Trashes the paths through a plan and its run, keeps the history line and
// reads the record back by its id, as the command line does.
History::Entry trashedAndKept(const std::vector<fs::path>& paths)
{
    std::vector<RemovalTarget> targets;
    for (const fs::path& path : paths)
        targets.push_back({path, false, 1});
    const RemovalOutcome outcome =
        Removal::runPlan(Removal::planTrash(QStringLiteral("large"), QStringLiteral("Large"), targets), {});
    EXPECT_TRUE(History::keep(outcome));
    const HistoryFile::Reading reading = HistoryFile::read(HistoryFile::Limits{}.records);
    const QString id = reading.records.front().value("id").toString();
    EXPECT_EQ(id.size(), 8);
    QString problem;
    const std::optional<Restore::Addressed> found = Restore::find(id, reading.records, problem);
    EXPECT_TRUE(found) << problem.toStdString();
    EXPECT_EQ(found->items.size(), paths.size());
    return found ? found->entry : History::Entry{};
}

Restore::Check checkOf(const History::Entry& entry, std::size_t i)
{
    return Restore::check(entry.outcome.plan.items.at(i), entry.outcome.results.at(i));
}

Restore::Done restoreOf(const History::Entry& entry, std::size_t i, const std::optional<std::string>& otherName = {})
{
    return Restore::run(entry.outcome.plan.items.at(i), entry.outcome.results.at(i), otherName);
}

const fs::path& entryOf(const History::Entry& entry, std::size_t i)
{
    return entry.outcome.results.at(i).trashedAs;
}

// Rewrites an entry's .trashinfo with this Path (written as is) and DeletionDate.
void forgeInfo(const fs::path& entry, const std::string& path, const std::string& date)
{
    writeFile(infoFor(entry), "[Trash Info]\nPath=" + path + "\nDeletionDate=" + date + "\n");
}

std::string dateIn(const fs::path& entry)
{
    const std::string text = readFile(infoFor(entry));
    const std::size_t at = text.find("DeletionDate=") + 13;
    return text.substr(at, text.find('\n', at) - at);
}

struct stat statOf(const fs::path& path)
{
    struct stat info {};
    lstat(path.c_str(), &info);
    return info;
}

} // namespace

TEST(Restore, PutsOddNamesBackByteForByteWithTheirModeAndTimes)
{
    const fs::path folder = freshFolder("restore-odd");
    const std::vector<fs::path> paths = {folder / "two\nlines.txt", folder / "caf\xe9.bin", folder / "a folder"};
    writeFile(paths[0], "first\n");
    writeFile(paths[1], std::string("\0\xff\x01", 3));
    writeFile(paths[2] / "inner.txt", "inside");
    chmod(paths[0].c_str(), 0640);
    chmod(paths[2].c_str(), 0750);
    const timespec times[2] = {{1'000'000'000, 123'456'789}, {1'100'000'000, 987'654'321}};
    for (const fs::path& path : paths)
        utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
    std::vector<struct stat> before;
    for (const fs::path& path : paths)
        before.push_back(statOf(path));

    const History::Entry record = trashedAndKept(paths);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        EXPECT_FALSE(present(paths[i]));
        const Restore::Check check = checkOf(record, i);
        EXPECT_EQ(check.state, Restore::State::available) << check.reason.toStdString();
        EXPECT_EQ(check.target, paths[i]);

        const Restore::Done done = restoreOf(record, i);
        ASSERT_TRUE(done.ok) << done.reason.toStdString();
        EXPECT_EQ(done.restoredAt, paths[i]);
        const struct stat after = statOf(paths[i]);
        EXPECT_EQ(after.st_mode, before[i].st_mode);
        EXPECT_EQ(after.st_ino, before[i].st_ino);
        EXPECT_EQ(after.st_mtim.tv_sec, before[i].st_mtim.tv_sec);
        EXPECT_EQ(after.st_mtim.tv_nsec, before[i].st_mtim.tv_nsec);
        EXPECT_EQ(after.st_atim.tv_nsec, before[i].st_atim.tv_nsec);
        EXPECT_FALSE(present(entryOf(record, i)));
        EXPECT_FALSE(present(infoFor(entryOf(record, i))));
        // Put back once: the record's entry is no longer in the Trash.
        EXPECT_EQ(checkOf(record, i).state, Restore::State::gone);
        EXPECT_FALSE(restoreOf(record, i).ok);
    }
    EXPECT_EQ(readFile(paths[0]), "first\n");
    EXPECT_EQ(readFile(paths[1]), std::string("\0\xff\x01", 3));
    EXPECT_EQ(readFile(paths[2] / "inner.txt"), "inside");
}

TEST(Restore, NeverReplacesWhatIsAtTheOriginalPlace)
{
    const fs::path folder = freshFolder("restore-occupied");
    for (const char* name : {"report.txt", "race.txt", "named.txt"})
        writeFile(folder / name, std::string("old ") + name);
    const History::Entry record = trashedAndKept({folder / "report.txt", folder / "race.txt", folder / "named.txt"});

    // Occupied: refused and left alone, unless a name beside it is given.
    writeFile(folder / "report.txt", "new");
    const Restore::Check occupied = checkOf(record, 0);
    EXPECT_EQ(occupied.state, Restore::State::occupied);
    EXPECT_FALSE(occupied.reason.isEmpty());
    EXPECT_FALSE(restoreOf(record, 0).ok);
    for (const std::string bad : {"a/b", "..", ".", ""})
        EXPECT_FALSE(restoreOf(record, 0, bad).ok) << bad;
    EXPECT_EQ(readFile(folder / "report.txt"), "new");
    EXPECT_TRUE(present(entryOf(record, 0)));
    const Restore::Done beside = restoreOf(record, 0, "report (restored).txt");
    ASSERT_TRUE(beside.ok) << beside.reason.toStdString();
    EXPECT_EQ(beside.restoredAt, folder / "report (restored).txt");
    EXPECT_EQ(readFile(folder / "report (restored).txt"), "old report.txt");
    EXPECT_EQ(readFile(folder / "report.txt"), "new");

    // Something appears after the check: the move is refused, not made over it.
    EXPECT_EQ(checkOf(record, 1).state, Restore::State::available);
    writeFile(folder / "race.txt", "arrived meanwhile");
    EXPECT_FALSE(restoreOf(record, 1).ok);
    EXPECT_EQ(readFile(folder / "race.txt"), "arrived meanwhile");
    EXPECT_TRUE(present(entryOf(record, 1)));

    // The other name is taken only at the move itself (RENAME_NOREPLACE).
    writeFile(folder / "taken.txt", "someone else's");
    const Restore::Done refused = restoreOf(record, 2, "taken.txt");
    EXPECT_FALSE(refused.ok);
    EXPECT_FALSE(refused.reason.isEmpty());
    EXPECT_EQ(readFile(folder / "taken.txt"), "someone else's");
    EXPECT_TRUE(present(entryOf(record, 2)));
    EXPECT_TRUE(present(infoFor(entryOf(record, 2))));
}

TEST(Restore, TakesOnlyTheVeryEntryTheRecordNames)
{
    const fs::path folder = freshFolder("restore-match");
    for (const char* name : {"note.txt", "forged.txt", "edited.txt", "dated.txt", "noinfo.txt", "owned.txt"})
        writeFile(folder / name, name);
    const History::Entry record = trashedAndKept({folder / "note.txt", folder / "forged.txt", folder / "edited.txt",
                                                  folder / "dated.txt", folder / "noinfo.txt", folder / "owned.txt"});

    // The Trash emptied, then another note.txt trashed under the same name.
    ASSERT_TRUE(Trash::deleteEntry(entryOf(record, 0)).gone());
    writeFile(folder / "other/note.txt", "another note");
    ASSERT_EQ(Trash::moveToTrash(folder / "other/note.txt").trashedAs, entryOf(record, 0));

    // A .trashinfo pointing out of its folder, one edited to another place,
    // one with another date, none at all.
    const std::string date = dateIn(entryOf(record, 1));
    forgeInfo(entryOf(record, 1), (folder / "../escaped.txt").native(), date);
    forgeInfo(entryOf(record, 2), (folder / "elsewhere.txt").native(), date);
    forgeInfo(entryOf(record, 3), (folder / "dated.txt").native(), "1999-01-01T00:00:00");
    fs::remove(infoFor(entryOf(record, 4)));
    for (std::size_t i = 0; i < 5; ++i) {
        const Restore::Check check = checkOf(record, i);
        EXPECT_EQ(check.state, Restore::State::refused) << i;
        EXPECT_FALSE(check.reason.isEmpty()) << i;
        EXPECT_FALSE(restoreOf(record, i).ok) << i;
        EXPECT_TRUE(present(entryOf(record, i))) << i;
    }
    EXPECT_EQ(readFile(entryOf(record, 0)), "another note");
    EXPECT_FALSE(present(folder / "note.txt"));
    EXPECT_FALSE(present(folder.parent_path() / "escaped.txt"));
    EXPECT_FALSE(present(folder / "elsewhere.txt"));

    // Another user's entry (what an administrator moved there) stays.
    if (geteuid() == 0) {
        ASSERT_EQ(lchown(entryOf(record, 5).c_str(), 65534, 65534), 0);
        EXPECT_EQ(checkOf(record, 5).state, Restore::State::notOurs);
        EXPECT_FALSE(restoreOf(record, 5).ok);
        EXPECT_TRUE(present(entryOf(record, 5)));
    }

    // What the record does not show in the Trash is never looked for there.
    Plan::Item deleted = record.outcome.plan.items[0];
    deleted.fate = Plan::Fate::deleted;
    EXPECT_EQ(Restore::check(deleted, record.outcome.results[0]).state, Restore::State::refused);
}

TEST(Restore, MakesMissingFoldersButNeverGoesThroughALink)
{
    const fs::path folder = freshFolder("restore-way");
    writeFile(folder / "a/b/deep.txt", "deep");
    writeFile(folder / "x/y/file.txt", "through");
    writeFile(folder / "p/q/r/file.txt", "deeper link");
    const History::Entry record =
        trashedAndKept({folder / "a/b/deep.txt", folder / "x/y/file.txt", folder / "p/q/r/file.txt"});

    fs::remove_all(folder / "a");
    EXPECT_EQ(checkOf(record, 0).state, Restore::State::available);
    const Restore::Done made = restoreOf(record, 0);
    ASSERT_TRUE(made.ok) << made.reason.toStdString();
    EXPECT_EQ(readFile(folder / "a/b/deep.txt"), "deep");
    EXPECT_FALSE(fs::is_symlink(folder / "a"));

    // A folder on the way turned into a link, at the top or further down.
    fs::create_directories(folder / "elsewhere");
    fs::rename(folder / "x", folder / "x-moved");
    fs::create_directory_symlink(folder / "elsewhere", folder / "x");
    fs::rename(folder / "p/q", folder / "p/q-moved");
    fs::create_directory_symlink(folder / "elsewhere", folder / "p/q");
    for (std::size_t i : {1u, 2u}) {
        const Restore::Check check = checkOf(record, i);
        EXPECT_EQ(check.state, Restore::State::refused) << i;
        EXPECT_TRUE(check.reason.contains("link")) << check.reason.toStdString();
        EXPECT_FALSE(restoreOf(record, i).ok) << i;
        EXPECT_TRUE(present(entryOf(record, i)));
    }
    EXPECT_TRUE(fs::is_empty(folder / "elsewhere"));  // nothing made through the links
}

TEST(Restore, AVolumesTrashPutsBackBelowItsTopAndSaysWhenItIsNotMounted)
{
    const fs::path top = freshFolder("restore-volume");
    const std::string mount = "mount -t tmpfs -o size=4m quillmoor-test " + Shell::q(top.native()) + " 2>/dev/null";
    if (geteuid() != 0 || std::system(mount.c_str()) != 0)
        GTEST_SKIP() << "mounting a tmpfs needs root (CAP_SYS_ADMIN)";
    bool mounted = true;
    const auto unmount = [&] {
        if (mounted && std::system(("umount -l " + Shell::q(top.native())).c_str()) != 0)
            ADD_FAILURE() << "could not unmount " << top;
        mounted = false;
    };
    for (const char* name : {"back.txt", "absolute.txt", "climbing.txt", "later.txt"})
        writeFile(top / "docs" / name, name);
    const History::Entry record = trashedAndKept({top / "docs/back.txt", top / "docs/absolute.txt",
                                                  top / "docs/climbing.txt", top / "docs/later.txt"});
    const fs::path volumeTrash = top / (".Trash-" + std::to_string(getuid()));
    EXPECT_EQ(entryOf(record, 0), volumeTrash / "files/back.txt");
    EXPECT_NE(readFile(infoFor(entryOf(record, 0))).find("\nPath=docs/back.txt\n"), std::string::npos);

    fs::remove_all(top / "docs");
    const Restore::Done back = restoreOf(record, 0);
    EXPECT_TRUE(back.ok) << back.reason.toStdString();
    EXPECT_EQ(readFile(top / "docs/back.txt"), "back.txt");

    // A volume's .trashinfo names a path below its top: an absolute one or one climbing out is refused.
    forgeInfo(entryOf(record, 1), "/docs/absolute.txt", dateIn(entryOf(record, 1)));
    forgeInfo(entryOf(record, 2), "../docs/climbing.txt", dateIn(entryOf(record, 2)));
    for (std::size_t i : {1u, 2u}) {
        EXPECT_EQ(checkOf(record, i).state, Restore::State::refused) << i;
        EXPECT_FALSE(restoreOf(record, i).ok) << i;
    }
    EXPECT_FALSE(present("/docs/absolute.txt"));
    EXPECT_FALSE(present(top.parent_path() / "docs/climbing.txt"));

    unmount();
    const Restore::Check away = checkOf(record, 3);
    EXPECT_EQ(away.state, Restore::State::unmounted) << away.reason.toStdString();
    EXPECT_FALSE(restoreOf(record, 3).ok);
    EXPECT_FALSE(present(top / "docs"));
}

TEST(Restore, AddressesNameARecordOrOneOfItsItems)
{
    EXPECT_EQ(Restore::parseAddress("3FA2c91e")->id, "3fa2c91e");
    EXPECT_EQ(Restore::parseAddress("3fa2c91e")->item, 0);
    EXPECT_EQ(Restore::parseAddress("3fa2c91e.12")->item, 12);
    for (const char* bad : {"", "3fa2c91e.", "3fa2c91e.0", "3fa2c91e.-1", "xyz", "3fa2c91e.1.2", "../x"})
        EXPECT_FALSE(Restore::parseAddress(bad)) << bad;

    const fs::path folder = freshFolder("restore-address");
    writeFile(folder / "one.txt");
    const History::Entry record = trashedAndKept({folder / "one.txt"});
    const std::vector<QJsonObject> records = HistoryFile::read(HistoryFile::Limits{}.records).records;
    QString problem;
    EXPECT_EQ(Restore::find(record.id + ".1", records, problem)->items, std::vector<std::size_t>{0});
    EXPECT_FALSE(Restore::find(record.id + ".2", records, problem));
    EXPECT_FALSE(problem.isEmpty());
    problem.clear();
    EXPECT_FALSE(Restore::find(record.id == "00000000" ? "00000001" : "00000000", records, problem));
    EXPECT_FALSE(problem.isEmpty());
    // A record written before records had ids is still read, and named by none.
    QJsonObject old = records.front();
    old.remove("id");
    EXPECT_TRUE(History::fromJson(old)->id.isEmpty());
    EXPECT_NE(History::newId({}), History::newId({}));
}
