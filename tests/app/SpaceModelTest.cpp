// The space page's model on fixture folders: listing, sizes in batches, order,
// the back stack, a newer open, selection, links, trashing the selection, and
// what the never-touch list keeps.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include "app/FeatureStates.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "platform/NeverTouch.h"
#include "space/SpaceModel.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> namesOf(const SpaceModel& model)
{
    return listOf(model.entries(), [](const SizeEntry& entry) { return entry.url.filename().native(); });
}

QString textOf(const fs::path& path) { return QString::fromStdString(path.native()); }

bool waitLoaded(const SpaceModel& model) { return QTest::qWaitFor([&] { return !model.loading(); }, 20000); }

bool openAndWait(SpaceModel& model, const fs::path& folder)
{
    model.open(folder, false);
    return waitLoaded(model);
}

} // namespace

TEST(SpaceModel, ListsAtOnceThenSizesAndSortsLargestFirst)
{
    const fs::path folder = freshFolder("space-a");
    const std::int64_t small = writeBytes(folder / "small.txt", 1000);
    const std::int64_t big = writeBytes(folder / "big/inside.bin", 300000);
    const std::int64_t mid = writeBytes(folder / "mid.bin", 40000);
    writeFile(folder / ".DS_Store");
    writeFile(folder / ".secret");
    fs::create_directory(folder / "empty");

    SpaceModel model;
    QAbstractItemModelTester tester(model.entryModel(), QAbstractItemModelTester::FailureReportingMode::Warning);
    model.open(folder, false);
    // The listing is there before anything is measured.
    EXPECT_TRUE(model.loading());
    ASSERT_EQ(model.count(), 4);
    for (const SizeEntry& entry : model.entries())
        EXPECT_EQ(entry.size, -1);
    EXPECT_EQ(model.total(), 0);

    ASSERT_TRUE(waitLoaded(model));
    EXPECT_EQ(namesOf(model), (std::vector<std::string>{"big", "mid.bin", "small.txt", "empty"}));
    EXPECT_EQ(model.total(), big + mid + small);
    EXPECT_EQ(model.entryModel()->data(model.entryModel()->index(0), SpaceEntryModel::Size).toLongLong(), big);
    EXPECT_EQ(model.currentName(), "space-a");
    EXPECT_TRUE(model.history().empty());

    // Hidden files: the switch only records the choice; the relist shows them.
    model.setShowHidden(true);
    EXPECT_EQ(model.count(), 4);
    model.open(model.current(), false);
    ASSERT_TRUE(waitLoaded(model));
    EXPECT_EQ(model.count(), 5);
    EXPECT_TRUE(model.history().empty());
}

TEST(SpaceModel, BackStackAndSelection)
{
    const fs::path root = freshFolder("space-b");
    writeBytes(root / "one/file.bin", 5000);
    writeBytes(root / "two/file.bin", 7000);
    writeBytes(root / "note.txt", 3000);

    SpaceModel model;
    ASSERT_TRUE(openAndWait(model, root));
    const QString note = textOf(root / "note.txt");
    model.toggle(note);
    EXPECT_EQ(model.selectedCount(), 1);
    EXPECT_GT(model.selectedTotal(), 0);

    // Reopening the folder shown: the stack stays, the selection goes.
    model.open(root, true);
    EXPECT_TRUE(model.history().empty());
    EXPECT_EQ(model.selectedCount(), 0);
    ASSERT_TRUE(waitLoaded(model));

    // A click on a folder's planet enters it; on a file it ticks the file.
    model.activate(textOf(root / "one"));
    EXPECT_EQ(model.current(), root / "one");
    EXPECT_EQ(model.history(), std::vector<fs::path>{root});
    ASSERT_TRUE(waitLoaded(model));
    model.activate(textOf(root / "one/file.bin"));
    EXPECT_TRUE(model.isSelected(textOf(root / "one/file.bin")));
    model.open(root / "two", true);
    EXPECT_EQ(model.history(), (std::vector<fs::path>{root, root / "one"}));

    model.back();
    EXPECT_EQ(model.current(), root / "one");
    model.back();
    EXPECT_EQ(model.current(), root);
    EXPECT_TRUE(model.history().empty());
    model.back();  // nothing left: nothing changes
    EXPECT_EQ(model.current(), root);
    ASSERT_TRUE(waitLoaded(model));

    // Protected entries are never selected (here: the home folder's own
    // Documents); the refusal names the entry and says why until the next tick.
    ScopedEnv home("HOME", root.native());
    fs::create_directory(root / "Documents");
    ASSERT_TRUE(openAndWait(model, root));
    model.toggle(textOf(root / "Documents"));
    EXPECT_EQ(model.refusedEntry(), textOf(root / "Documents"));
    EXPECT_EQ(model.refusal(), L("Pasta protegida: o Quillmoor não a remove"));
    model.toggle(textOf(root / "one"));
    EXPECT_TRUE(model.isSelected(textOf(root / "one")));
    EXPECT_TRUE(model.refusedEntry().isEmpty());
    EXPECT_TRUE(model.refusal().isEmpty());
    model.activate(textOf(root / "Documents"));
    EXPECT_FALSE(model.isSelected(textOf(root / "Documents")));
    EXPECT_FALSE(model.canSelect(textOf(root / "Documents")));
}

TEST(SpaceModel, ALinkHasNoSizeAndOpensTheFolderItLeadsTo)
{
    const fs::path root = freshFolder("space-links");
    writeBytes(root / "real/inside.bin", 50000);
    writeBytes(root / "note.txt", 3000);
    fs::create_directory_symlink(root / "real", root / "to-real");
    fs::create_symlink(root / "note.txt", root / "to-note");

    SpaceModel model;
    ASSERT_TRUE(openAndWait(model, root));
    ASSERT_EQ(model.count(), 4);
    const SpaceEntryModel* rows = model.entryModel();
    for (int row = 0; row < rows->rowCount(); ++row) {
        const QModelIndex index = rows->index(row);
        const std::string name = rows->data(index, SpaceEntryModel::Name).toString().toStdString();
        const bool link = name.rfind("to-", 0) == 0;
        EXPECT_EQ(rows->data(index, SpaceEntryModel::IsLink).toBool(), link) << name;
        EXPECT_EQ(rows->data(index, SpaceEntryModel::OpensFolder).toBool(), name == "real" || name == "to-real") << name;
        if (link) {
            EXPECT_EQ(rows->data(index, SpaceEntryModel::Size).toLongLong(), 0) << name;
        }
    }
    EXPECT_EQ(model.total(), FS::size(root / "real") + FS::size(root / "note.txt"));

    // Opening the link shows its folder by its real path; a link to a file is ticked like a file.
    model.activate(textOf(root / "to-note"));
    EXPECT_TRUE(model.isSelected(textOf(root / "to-note")));
    model.activate(textOf(root / "to-real"));
    EXPECT_EQ(model.current(), fs::canonical(root / "real"));
    EXPECT_EQ(model.history(), std::vector<fs::path>{root});
    ASSERT_TRUE(waitLoaded(model));
    ASSERT_EQ(model.count(), 1);
    EXPECT_EQ(model.entries().front().size, FS::size(root / "real/inside.bin"));
}

TEST(SpaceModel, ANewerOpenOwnsTheList)
{
    const fs::path a = freshFolder("space-old");
    for (int i = 0; i < 300; ++i)
        writeBytes(a / ("d" + std::to_string(i)) / "f", 4000);
    const fs::path b = freshFolder("space-new");
    writeBytes(b / "x", 1000);
    writeBytes(b / "y", 9000);

    SpaceModel model;
    model.open(a, false);
    const QUuid first = model.token();
    model.open(b, true);
    EXPECT_NE(model.token(), first);
    // A late batch of the first load is dropped.
    model.apply({{0, a / "d0", 123456}, {0, b / "x", 123456}}, first);
    for (const SizeEntry& entry : model.entries())
        EXPECT_EQ(entry.size, -1);

    ASSERT_TRUE(waitLoaded(model));
    QTest::qWait(200);  // anything still queued from the first load arrives now
    EXPECT_EQ(namesOf(model), (std::vector<std::string>{"y", "x"}));
    for (const SizeEntry& entry : model.entries())
        EXPECT_EQ(entry.url.parent_path(), b);
    EXPECT_FALSE(model.loading());
}

TEST(SpaceModel, ThousandsOfChildrenListAtOnceAndArriveInAFewBatches)
{
    const fs::path folder = freshFolder("space-many");
    std::int64_t expected = 0;
    for (int i = 0; i < 20000; ++i)
        expected += writeBytes(folder / ("f" + std::to_string(i)), 1);

    SpaceModel model;
    QSignalSpy batches(&model, &SpaceModel::entriesChanged);
    QElapsedTimer clock;
    clock.start();
    model.open(folder, false);
    EXPECT_EQ(model.count(), 20000);
    EXPECT_TRUE(model.loading());  // listed at once; the sizes come later, from the pool
    ASSERT_TRUE(waitLoaded(model));
    const double seconds = clock.elapsed() / 1000.0;
    // The open, the final sort, and at most one batch per 0.35 s (plus the last).
    EXPECT_LE(batches.count(), 2 + int(seconds / 0.35) + 1);
    EXPECT_EQ(model.total(), expected);
}

TEST(SpaceModel, TheSelectionGoesToTheTrashAndTheFolderIsListedAgain)
{
    const fs::path folder = FS::home() / "Work";
    writeBytes(folder / "old.iso", 60000);
    writeBytes(folder / "keep.txt", 100);
    FeatureStates states;
    states.removals.setRemovalAdminRunner([](const Admin::Request&) { return Admin::Reply{false, "no", {}, {}}; });

    SpaceModel model;
    ASSERT_TRUE(openAndWait(model, folder));
    model.toggle(textOf(folder / "old.iso"));
    model.setRemovals(&states.removals);
    model.trashSelection();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !states.removals.busy() && model.count() == 1 && !model.loading(); }, 20000));
    EXPECT_EQ(namesOf(model), std::vector<std::string>{"keep.txt"});
    EXPECT_TRUE(present(FS::trashFolder() / "old.iso"));
    ASSERT_TRUE(states.removals.celebrating());
    EXPECT_GT(states.removals.celebrateTrashed(), 0);
    EXPECT_EQ(states.removals.celebrateFreed(), 0);
}

TEST(SpaceModel, TheNeverTouchListMarksItsPlacesRefusesTheirTicksAndUnticksWhatItGains)
{
    const fs::path root = freshFolder("space-never");
    writeBytes(root / "Photos/beach.jpg", 3000);
    writeBytes(root / "Work/keep/notes.txt", 500);
    writeBytes(root / "loose.iso", 4000);
    const QString photos = textOf(root / "Photos");
    const QString work = textOf(root / "Work");
    const QString loose = textOf(root / "loose.iso");

    SpaceModel model;
    ASSERT_TRUE(openAndWait(model, root));
    model.toggle(loose);
    model.toggle(work);
    QSignalSpy marks(&model, &SpaceModel::neverTouchChanged);
    model.setNeverTouchKeys({NeverTouch::encode(root / "Photos"), NeverTouch::encode(root / "Work/keep")});
    EXPECT_EQ(marks.count(), 1);
    EXPECT_EQ(model.neverTouchKeys().size(), 2);

    // Shown, marked, never ticked: the refusal says why.
    EXPECT_EQ(model.count(), 3);
    EXPECT_TRUE(model.isIgnored(photos));
    EXPECT_FALSE(model.isIgnored(work));
    const int row = int(std::find_if(model.entries().begin(), model.entries().end(),
                                     [&](const SizeEntry& entry) { return entry.id() == photos; })
                        - model.entries().begin());
    EXPECT_TRUE(model.entryModel()->data(model.entryModel()->index(row), SpaceEntryModel::Ignored).toBool());
    EXPECT_FALSE(model.canSelect(photos));
    model.toggle(photos);
    EXPECT_FALSE(model.isSelected(photos));
    EXPECT_EQ(model.refusedEntry(), photos);
    EXPECT_EQ(model.refusal(), L("Está na lista Nunca tocar"));

    // A ticked folder that now holds a place is unticked; the rest stays ticked.
    EXPECT_FALSE(model.isSelected(work));
    EXPECT_EQ(model.neverTouchReason(work), L("Contém um local da lista Nunca tocar"));
    EXPECT_TRUE(model.isSelected(loose));
    model.planTrash();
    EXPECT_EQ(model.trashPlanRecord().items.size(), 1u);
    EXPECT_TRUE(model.trashPlanRecord().leftOut.isEmpty());

    // Inside a place everything is ignored, until the list lets it go.
    ASSERT_TRUE(openAndWait(model, root / "Photos"));
    EXPECT_TRUE(model.isIgnored(textOf(root / "Photos/beach.jpg")));
    model.setNeverTouch(NeverTouchList());
    EXPECT_TRUE(model.canSelect(textOf(root / "Photos/beach.jpg")));
}
