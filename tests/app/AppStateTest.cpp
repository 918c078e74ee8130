// AppState's own mechanics: sections, the message protocol, the freed total
// written through, the nebula's density.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "app/AppState.h"
#include "platform/Prefs.h"

namespace {

class TestState : public AppState {
public:
    TestState() : AppState(nullptr) {}
    using AppState::setJunkGroups;
    using AppState::setJunkLive;
    using AppState::setJunkScanning;
};

JunkGroup groupOf(std::initializer_list<std::pair<std::int64_t, bool>> items)
{
    JunkGroup group;
    group.id = "caches";
    for (const auto& [size, selected] : items) {
        JunkItem item;
        item.size = size;
        item.selected = selected;
        group.items.push_back(item);
    }
    return group;
}

} // namespace

TEST(AppStateInit, StartsWithTheDesignedValues)
{
    TestState state;
    EXPECT_EQ(state.section(), "overview");
    EXPECT_FALSE(state.hasMessage());
    EXPECT_FALSE(state.busy());
    EXPECT_GT(state.diskTotal(), 0);
    EXPECT_GT(state.memTotal(), 0u);
    EXPECT_TRUE(state.fda());  // the temporary home can be listed
    EXPECT_FALSE(state.junkScanning());
    EXPECT_FALSE(state.junkScanned());
    EXPECT_EQ(state.largeMin(), 500'000'000);
    EXPECT_FALSE(state.celebrating());
    EXPECT_TRUE(state.largeFlag() != nullptr);
    EXPECT_FALSE(state.largeFlag()->cancelled);
    EXPECT_EQ(state.sections().size(), 7);
}

TEST(AppStateSections, UnknownOrEmptyIdMeansNoSection)
{
    TestState state;
    QSignalSpy spy(&state, &AppState::sectionChanged);
    state.setSection("junk");
    EXPECT_EQ(state.section(), "junk");
    state.setSection("junk");  // no change, no signal
    EXPECT_EQ(spy.count(), 1);
    state.setSection("");
    EXPECT_FALSE(state.currentSection().has_value());
    state.setSection("nonsense");
    EXPECT_FALSE(state.currentSection().has_value());
}

TEST(AppStateMessage, OperationsSetItAndDismissingClearsIt)
{
    TestState state;
    state.setMessage("Não removido: x");
    EXPECT_TRUE(state.hasMessage());
    EXPECT_EQ(state.message(), "Não removido: x");
    state.dismissMessage();
    EXPECT_FALSE(state.hasMessage());
}

TEST(AppStateFreed, GrowsOnlyAndIsStoredAtOnce)
{
    TestState state;
    const qint64 start = state.totalFreed();
    state.addFreed(1000);
    state.addFreed(0);
    state.addFreed(-50);
    EXPECT_EQ(state.totalFreed(), start + 1000);
    // A later start reads the stored total.
    EXPECT_EQ(Prefs::readInt(*Prefs::standard(), "totalFreed"), start + 1000);
    TestState later;
    EXPECT_EQ(later.totalFreed(), start + 1000);
}

TEST(NebulaDensity, FollowsTheScanState)
{
    EXPECT_DOUBLE_EQ(nebulaDensityFor(false, false, 0, 0), 0.5);
    EXPECT_DOUBLE_EQ(nebulaDensityFor(true, false, 0, 0), 0.25);
    EXPECT_DOUBLE_EQ(nebulaDensityFor(true, true, 7'500'000'000, 0), 0.75);
    EXPECT_DOUBLE_EQ(nebulaDensityFor(false, true, 0, 0), 0.08);
    EXPECT_DOUBLE_EQ(nebulaDensityFor(false, true, 0, 1'000'000'000'000), 1.0);
    EXPECT_DOUBLE_EQ(nebulaDensityFor(true, false, 1'000'000'000'000, 0), 1.0);

    TestState state;
    QSignalSpy spy(&state, &AppState::nebulaDensityChanged);
    EXPECT_DOUBLE_EQ(state.nebulaDensity(), 0.5);
    state.setJunkScanning(true);
    EXPECT_DOUBLE_EQ(state.nebulaDensity(), 0.25);
    state.setJunkGroups({groupOf({{3'000'000'000, true}, {9'000'000'000, false}})});
    state.setJunkScanning(false);
    state.setJunkScanned(true);
    EXPECT_DOUBLE_EQ(state.nebulaDensity(), 3e9 / 1.5e10 + 0.08);
    EXPECT_EQ(state.junkSelectedTotal(), 3'000'000'000);
    EXPECT_EQ(state.junkTotal(), 12'000'000'000);
    EXPECT_GE(spy.count(), 2);
}

TEST(Celebration, SetAndDismissed)
{
    TestState state;
    state.setCelebrate(Celebration{10, 20});
    EXPECT_TRUE(state.celebrating());
    EXPECT_EQ(state.celebrateFreed(), 10);
    EXPECT_EQ(state.celebrateTrashed(), 20);
    state.dismissCelebration();
    EXPECT_FALSE(state.celebrating());
}
