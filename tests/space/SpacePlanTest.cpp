// What the never-touch list keeps the space map from removing: its places,
// what lies inside them and the folders holding one, left out of the plan
// with their reason.
#include <gtest/gtest.h>

#include "i18n/L.h"
#include "platform/FS.h"
#include "profiles/Profile.h"
#include "space/SpacePlan.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;

TEST(SpacePlan, TheNeverTouchListHoldsBackItsPlacesWhatIsInsideAndTheFoldersHoldingOne)
{
    const fs::path root = FS::home() / "Map";
    const fs::path odd = root / std::string("line\nbreak-\xff");  // a newline and a byte that is not UTF-8
    writeBytes(root / "Photos/2024/beach.jpg", 3000);
    writeBytes(root / "Photos-old/a.jpg", 2000);   // shares the start of a place's name, nothing else
    writeBytes(root / "Work/report.pdf", 1000);
    writeBytes(root / "Work/keep/notes.txt", 500);
    writeBytes(odd / "inside.bin", 700);
    writeBytes(root / "loose.iso", 4000);
    fs::create_directory_symlink(root / "Work", root / "WorkLink");  // the link is listed, not what it leads to
    const NeverTouchList never({root / "Photos", root / "Work/keep", odd, root / "WorkLink"});

    const auto entry = [](const fs::path& path, std::int64_t size) { return SizeEntry{path, size, !fs::is_symlink(path) && fs::is_directory(path)}; };
    const std::vector<SizeEntry> chosen{entry(root / "Photos", 3000),          entry(root / "Photos/2024", 3000),
                                        entry(root / "Photos-old", 2000),      entry(root / "Work", 1500),
                                        entry(root / "Work/report.pdf", 1000), entry(odd / "inside.bin", 700),
                                        entry(root / "WorkLink", 0),           entry(root / "loose.iso", 4000)};

    const QString covered = L("Está na lista Nunca tocar");
    const QString holds = L("Contém um local da lista Nunca tocar");
    EXPECT_EQ(Space::neverTouchReason(root / "Photos", never), covered);
    EXPECT_EQ(Space::neverTouchReason(root / "Photos/2024/beach.jpg", never), covered);
    EXPECT_EQ(Space::neverTouchReason(odd / "inside.bin", never), covered);
    EXPECT_EQ(Space::neverTouchReason(root / "Work", never), holds);
    EXPECT_EQ(Space::neverTouchReason(root, never), holds);
    EXPECT_EQ(Space::neverTouchReason(root / "Photos-old", never), QString());
    EXPECT_EQ(Space::neverTouchReason(root / "Work/report.pdf", never), QString());
    EXPECT_EQ(Space::neverTouchReason(root / "Work/keepsake", never), QString());
    EXPECT_TRUE(Space::neverTouchReason(root / "loose.iso", NeverTouchList()).isEmpty());

    const Plan::Record plan = Space::trashPlan(chosen, never);
    EXPECT_EQ(plan.action, "space");
    EXPECT_TRUE(plan.refusal.isEmpty());
    EXPECT_EQ(listOf(plan.items, &Plan::Item::path),
              (std::vector<fs::path>{root / "Photos-old", root / "Work/report.pdf", root / "loose.iso"}));
    for (const Plan::Item& item : plan.items)
        EXPECT_EQ(item.fate, Plan::Fate::trashed);
    EXPECT_EQ(Plan::totalBytes(plan), 2000 + 1000 + 4000);
    EXPECT_EQ(plan.leftOut, (QStringList{FS::pretty(root / "Photos") + ": " + covered,
                                         FS::pretty(root / "Photos/2024") + ": " + covered,
                                         FS::pretty(root / "Work") + ": " + holds,
                                         FS::pretty(odd / "inside.bin") + ": " + covered,
                                         FS::pretty(root / "WorkLink") + ": " + covered}));

    // Nothing kept back: the plan is the selection as it is.
    const Plan::Record free = Space::trashPlan(chosen, NeverTouchList());
    EXPECT_EQ(free.items.size(), chosen.size());
    EXPECT_TRUE(free.leftOut.isEmpty());
}

TEST(SpacePlan, ContainerStorageWhatIsInsideAndTheFoldersHoldingItAreLeftOut)
{
    const fs::path home = FS::home() / "storage home";
    FS::setProtection({.storage = {home / "Stuff/data/containers"}});
    const std::vector<SizeEntry> chosen{{home / "Stuff/data/containers", 0, true},
                                        {home / "Stuff/data/containers/storage/layer.tar", 0, false},
                                        {home / "Stuff", 0, true}, {home / "Work/containers", 0, true},
                                        {home / "Work/layers", 0, false, true}};  // a link leading into it
    const Plan::Record plan = Space::trashPlan(chosen, NeverTouchList());
    EXPECT_EQ(listOf(plan.items, &Plan::Item::path), (std::vector<fs::path>{chosen[3].url, chosen[4].url}));
    const auto why = [&](std::size_t i, const char* key) { return FS::pretty(chosen[i].url) + ": " + L(key); };
    EXPECT_EQ(plan.leftOut, (QStringList{why(0, "Pasta protegida: o Quillmoor não a remove"),
                                         why(1, "Arquivo protegido: o Quillmoor não o remove"),
                                         why(2, "Contém dados de contêineres ou instantâneos do sistema")}));
    Profiles::apply(Profiles::active());
}
