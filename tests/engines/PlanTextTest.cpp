// The words of a plan: a line per fate that is there and none for one that is
// not, the administrator named only for what runs with its rights, and a
// plan of any size summarised with its list cut where the window shows it.
#include <gtest/gtest.h>

#include "engines/removal/PlanMap.h"
#include "engines/removal/PlanText.h"
#include "i18n/L.h"
#include "platform/Fmt.h"

namespace {

Plan::Item itemOf(const char* group, Plan::Fate fate, std::int64_t size, bool admin = false, const char* tool = "")
{
    Plan::Item item;
    item.group = group;
    item.groupTitle = group;
    item.label = QStringLiteral("~/%1/x").arg(group);
    item.fate = fate;
    item.size = size;
    item.admin = admin;
    item.tool = tool;
    return item;
}

} // namespace

TEST(PlanText, EachFateSaysWhetherItComesBackAndTheAdministratorOnlyForItsOwn)
{
    Plan::Record plan;
    plan.items = {itemOf("caches", Plan::Fate::deleted, 1000), itemOf("installers", Plan::Fate::trashed, 2000)};
    EXPECT_EQ(Plan::summaryLines(plan),
              (QStringList{LF("Apagados para sempre (não podem ser restaurados): %@", joinList({itemCount(1), Fmt::bytes(1000)})),
                           LF("Para a Lixeira (podem ser restaurados): %@", joinList({itemCount(1), Fmt::bytes(2000)}))}));

    // a core dump deleted as administrator: deleted for good, no tool, and the administrator named
    plan.items = {itemOf("coredumps", Plan::Fate::deleted, 500, true)};
    EXPECT_EQ(Plan::summaryLines(plan),
              (QStringList{LF("Apagados para sempre (não podem ser restaurados): %@", joinList({itemCount(1), Fmt::bytes(500)})),
                           LF("Com senha de administrador: %@", "coredumps")}));

    // two tools, one line each, in the order they come; an unknown size says so
    plan.items = {itemOf("pkgcache", Plan::Fate::byTool, 0, true, "apt-get clean"),
                  itemOf("flatpak", Plan::Fate::byTool, 300, false, "flatpak uninstall"),
                  itemOf("pkgcache", Plan::Fate::byTool, 700, true, "apt-get clean")};
    plan.items[0].sizeKnown = false;
    const QStringList lines = Plan::summaryLines(plan);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], LF("Removidos por %@ (não podem ser restaurados): %@", "apt-get clean",
                           joinList({itemCount(2), LF("pelo menos %@", Fmt::bytes(700))})));
    EXPECT_TRUE(lines[1].contains("flatpak uninstall"));
    EXPECT_EQ(lines[2], LF("Com senha de administrador: %@", "pkgcache"));
}

TEST(PlanText, AHundredThousandItemsAreSummedAndListedInPart)
{
    Plan::Record plan;
    plan.items.assign(100'000, itemOf("caches", Plan::Fate::deleted, 10));
    const QVariantMap shown = planMap(plan, "Limpar?");
    EXPECT_EQ(shown["count"].toLongLong(), 100'000);
    EXPECT_EQ(shown["rows"].toList().size(), qsizetype(kPlanRowsShown));
    EXPECT_EQ(shown["more"].toLongLong(), 100'000 - qint64(kPlanRowsShown));
    EXPECT_EQ(shown["total"].toLongLong(), 1'000'000);
    EXPECT_EQ(shown["lines"].toStringList().size(), 1);
}

TEST(PlanText, TheReportGivesEveryGroupAndWhatStayed)
{
    Plan::Outcome outcome = Plan::Outcome::of(
        {"clean", {itemOf("caches", Plan::Fate::deleted, 1000), itemOf("caches", Plan::Fate::deleted, 50),
                   itemOf("installers", Plan::Fate::trashed, 2000), itemOf("coredumps", Plan::Fate::deleted, 9, true)},
         {}, {}, {}});
    outcome.results[0].result = Plan::Result::done;
    outcome.results[1] = {Plan::Result::held, "mudou", {}};
    outcome.results[2].result = Plan::Result::done;
    const QStringList report = Plan::groupReport(outcome, {{"coredumps", "coredumps", 4096, {}}});
    EXPECT_EQ(report, (QStringList{"caches: " + joinList({LF("%@ liberados", Fmt::bytes(1000)), LP(1, "%ld não removidos", 1)}),
                                   "installers: " + LF("%@ na Lixeira", Fmt::bytes(2000)),
                                   LF("%@: %@ liberados", "coredumps", Fmt::bytes(4096))}));
}
