// The maintenance page's state: a run with injected command runners, what it
// marks done and what it tells the user.
#include <gtest/gtest.h>

#include <QTest>

#include "app/FeatureStates.h"
#include "app/MaintenanceModel.h"
#include "i18n/L.h"
#include "profiles/Profile.h"

namespace {

bool waitIdle(const MaintenanceModel& tools) { return QTest::qWaitFor([&] { return tools.running().isEmpty(); }, 10000); }

} // namespace

TEST(MaintenanceModel, CancelledPromptStillRunsTheUserRoutines)
{
    FeatureStates states;
    MaintenanceModel tools(Profiles::byName("macos")->maintenance);
    tools.setRuns(&states.maintenance);  // the designed routines
    EXPECT_EQ(tools.sel(), (QStringList{"ram", "dns"}));
    tools.toggle("ql");
    tools.toggle("dns");
    EXPECT_EQ(tools.sel(), (QStringList{"ram", "ql"}));

    QStringList runningSeen;
    int prompts = 0;
    states.maintenance.setMaintenanceRunners([](const std::string&) { return Shell::Result{true, {}}; },
                     [&](const Admin::Request&) {
                         ++prompts;
                         return Admin::Reply{false, L("Cancelado"), {}, {}};
                     });
    QObject::connect(&tools, &MaintenanceModel::runningChanged, [&] { runningSeen << tools.running(); });
    tools.runSelected();
    EXPECT_EQ(tools.running(), "ram");
    tools.runSelected();  // a second run cannot start meanwhile
    ASSERT_TRUE(waitIdle(tools));

    EXPECT_EQ(prompts, 1);
    EXPECT_EQ(runningSeen, (QStringList{"ram", "ql", ""}));
    EXPECT_EQ(tools.done(), QStringList{"ql"});
    EXPECT_EQ(states.shell.message(), L("Cancelado"));
    EXPECT_EQ(tools.sel(), (QStringList{"ram", "ql"}));  // a run leaves the ticks alone
}

TEST(MaintenanceModel, DoneOnlyGrowsAndSuccessSetsNoMessage)
{
    FeatureStates states;
    MaintenanceModel tools(Profiles::byName("macos")->maintenance);
    tools.setRuns(&states.maintenance);
    states.maintenance.setMaintenanceRunners([](const std::string&) { return Shell::Result{true, {}}; },
                     [](const Admin::Request&) { return Admin::Reply{true, {}, {}, "OK:ram\nOK:dns\n"}; });
    tools.runSelected();
    ASSERT_TRUE(waitIdle(tools));
    EXPECT_EQ(tools.done(), (QStringList{"ram", "dns"}));
    EXPECT_FALSE(states.shell.hasMessage());

    // Failing later does not take "done" away; both failures are told, one per line.
    states.maintenance.setMaintenanceRunners([](const std::string&) { return Shell::Result{false, "nope\n"}; },
                     [](const Admin::Request&) { return Admin::Reply{true, {}, {}, "FAIL:ram\nOK:dns\n"}; });
    tools.toggle("dock");
    tools.runSelected();
    ASSERT_TRUE(waitIdle(tools));
    EXPECT_EQ(tools.done(), (QStringList{"ram", "dns"}));
    EXPECT_EQ(states.shell.message(), tools.tasks()[0].title + "\n" + tools.tasks()[6].title + ": nope");
}
