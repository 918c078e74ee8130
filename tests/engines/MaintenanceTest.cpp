// The maintenance routines: the macos profile's administrator script and its
// markers, run by the real shell, the user-rights routines one by one, and
// the order of the failures (the helper's actions are in LinuxMaintenanceTest).
#include <gtest/gtest.h>

#include "engines/maintenance/Maintenance.h"
#include "i18n/L.h"
#include "profiles/Profile.h"
#include "support/Fixtures.h"

namespace {

std::vector<MaintTask> macosTasks()
{
    return Profiles::byName("macos")->maintenance.tasks();
}

// A runner that records the command lines it gets and answers from a list.
struct Script {
    std::vector<std::string> seen;
    std::vector<Shell::Result> answers;
    Maintenance::Runner runner()
    {
        return [this](const std::string& command) {
            seen.push_back(command);
            const Shell::Result answer = answers.empty() ? Shell::Result{true, {}} : answers.front();
            if (!answers.empty())
                answers.erase(answers.begin());
            return answer;
        };
    }
};

QString titleOf(const QString& id)
{
    for (const MaintTask& task : macosTasks())
        if (task.id == id)
            return task.title;
    return {};
}

} // namespace

TEST(Maintenance, TheRoutinesAndTheirBatch)
{
    const std::vector<MaintTask> tasks = macosTasks();
    QStringList ids;
    QStringList admin;
    for (const MaintTask& task : tasks) {
        ids << task.id;
        if (task.admin)
            admin << task.id;
    }
    EXPECT_EQ(ids, (QStringList{"ram", "dns", "spot", "ls", "font", "ql", "dock"}));
    EXPECT_EQ(admin, (QStringList{"ram", "dns", "spot", "font"}));
    EXPECT_EQ(Profiles::byName("macos")->maintenance.defaultSelection(), (QStringList{"ram", "dns"}));

    EXPECT_EQ(Maintenance::adminBatch({tasks[0], tasks[1]}),
              "(/usr/sbin/purge) >/dev/null 2>&1 && echo OK:ram || echo FAIL:ram; "
              "(dscacheutil -flushcache; killall -HUP mDNSResponder) >/dev/null 2>&1 && echo OK:dns || echo FAIL:dns");

    // Markers are whole lines: one id never passes for another, FAIL never for OK.
    const QString out = "OK:ram\nFAIL:dns\nOK:spotlight\r\n  OK:font  \n";
    EXPECT_TRUE(Maintenance::markedOk(out, "ram"));
    EXPECT_FALSE(Maintenance::markedOk(out, "dns"));
    EXPECT_FALSE(Maintenance::markedOk(out, "spot"));
    EXPECT_TRUE(Maintenance::markedOk(out, "font"));
}

TEST(Maintenance, OnlyUserRoutinesAskForNoPassword)
{
    Script user;
    user.answers = {{true, "fine"}, {false, "Dock: no process found\n"}};
    RecordingAdmin admin;
    QStringList started;
    const Maintenance::Outcome outcome = Maintenance::run(
        macosTasks(), {"dock", "ql"}, user.runner(), admin.runner(),
        [&](const QString& id) { started << id; });
    EXPECT_TRUE(admin.requests.empty());
    // List order, not the order of ticking; each command as given.
    EXPECT_EQ(user.seen, (std::vector<std::string>{"qlmanage -r; qlmanage -r cache", "killall Dock; killall Finder"}));
    EXPECT_EQ(started, (QStringList{"ql", "dock"}));
    EXPECT_EQ(outcome.okIds, QStringList{"ql"});
    EXPECT_EQ(outcome.failures, QStringList{titleOf("dock") + ": Dock: no process found"});
}

TEST(Maintenance, CancelledPromptIsOneFailureAndTheUserRoutinesStillRun)
{
    Script user;
    user.answers = {{false, "no"}};
    RecordingAdmin admin;
    admin.answer = Admin::Reply{false, L("Cancelado"), {}, {}};
    QStringList started;
    const Maintenance::Outcome outcome = Maintenance::run(
        macosTasks(), {"ram", "dns", "ql", "ls"}, user.runner(), admin.runner(),
        [&](const QString& id) { started << id; });
    ASSERT_EQ(admin.requests.size(), 1u);
    EXPECT_TRUE(admin.requests[0].actions.empty());
    EXPECT_EQ(admin.requests[0].script, Maintenance::adminBatch({macosTasks()[0], macosTasks()[1]}));
    EXPECT_EQ(user.seen.size(), 2u);
    EXPECT_EQ(started, (QStringList{"ram", "ls", "ql"}));
    // Admin failures first, then the user routines' in list order.
    EXPECT_EQ(outcome.failures, (QStringList{L("Cancelado"), titleOf("ls") + ": no"}));
    EXPECT_EQ(outcome.okIds, QStringList{"ql"});
}

TEST(Maintenance, AScriptBatchRunByTheShellKeepsEachReason)
{
    const std::vector<MaintTask> tasks = {
        {"ram", "Memória", "", "", "echo first; echo 'sh: cannot create /proc/sys/vm/drop_caches: Read-only' >&2; exit 2",
         true},
        {"dns", "DNS", "", "", "echo noise; true", true},
        {"journal", "Diário", "", "", "false", true},
        {"fonts", "Fontes", "", "", "echo working; echo 'fc-cache: no fonts' >&2; exit 1", false},
    };
    RecordingAdmin admin;  // runs the script in the shell
    const Maintenance::Outcome outcome =
        Maintenance::run(tasks, {"ram", "dns", "journal", "fonts"}, [](const std::string& c) { return Shell::run(c); },
                         admin.runner(), {}, Maintenance::Reasons::WithReasons);
    EXPECT_EQ(admin.requests.size(), 1u);
    EXPECT_EQ(outcome.okIds, QStringList{"dns"});
    EXPECT_EQ(outcome.failures, (QStringList{"Memória: sh: cannot create /proc/sys/vm/drop_caches: Read-only",
                                             "Diário", "Fontes: fc-cache: no fonts"}));

    EXPECT_EQ(Maintenance::failureReason("OK:dns\nFAIL:ram:why not\n", "ram"), "why not");
    EXPECT_EQ(Maintenance::failureReason("FAIL:ramx:other\n", "ram"), "");
    EXPECT_EQ(Shell::lastLine("a\nb  \n\n"), "b");
}
