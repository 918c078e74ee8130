// Shell: quoting that survives /bin/sh byte for byte, the two runners, and
// how an administrator run's outcome becomes (ok, out).
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <QDir>

#include "i18n/L.h"
#include "platform/Quitting.h"
#include "platform/Shell.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;

using Shell::ProcessOutput;

namespace {

// What the shell makes of q(value): printf %s prints the single argument back.
QByteArray throughShell(const std::string& value)
{
    const ProcessOutput result = Shell::runProcess("/bin/sh", {"-c", "printf %s " + Shell::q(value)});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    return result.out;
}

ProcessOutput finished(int exitCode, const char* out, const char* err)
{
    return {true, QString(), exitCode, out, err};
}

QString cancelled()
{
    return L(QStringLiteral("Cancelado"));
}

} // namespace

TEST(ShellQuote, EveryHostileValueSurvivesTheShellByteForByte)
{
    // Only the single quote is touched, as '\''.
    EXPECT_EQ(Shell::q("it's"), "'it'\\''s'");

    std::vector<std::string> values = {
        "", "it's", "''", "'\\''", "\"double\"", "$(echo injected) `id` ${HOME} $0",
        "back\\slash \\n", "line\nbreak\n\n", "-rf", "--", "  blanks\tand tab  ",
        "* ? [a-z] ~ ! ; rm -rf / # && | > &", "%s %%", "\x80\xff\xfe not UTF-8 \xc3", ""};
    for (int c = 1; c < 256; ++c)
        values.back() += static_cast<char>(c);  // every byte but NUL, in one string
    for (const std::string& value : values)
        EXPECT_EQ(throughShell(value), QByteArray::fromStdString(value)) << "value: " << value;
}

TEST(ShellRun, QuotedPathsReachTheFileSystemIntactAndANulByteIsRefused)
{
    const fs::path folder = freshFolder("shell");
    // A name that is not UTF-8, with a quote and a line break in it.
    const fs::path odd = folder / std::string("r\xe9sum\xe9 'draft'\n.txt");
    EXPECT_TRUE(Shell::run("printf x > " + Shell::q(odd.string())).ok);
    ASSERT_TRUE(fs::exists(odd));
    EXPECT_EQ(fs::file_size(odd), 1u);
    EXPECT_TRUE(Shell::run("rm -f -- " + Shell::q(odd.string())).ok);
    EXPECT_FALSE(fs::exists(odd));

    // A command substitution inside a quoted name is just part of the name.
    const fs::path trap = folder / "$(touch injected)";
    EXPECT_TRUE(Shell::run("cd " + Shell::q(folder.string()) + " && touch " + Shell::q(trap.string())).ok);
    EXPECT_TRUE(fs::exists(trap));
    EXPECT_FALSE(fs::exists(folder / "injected"));

    // Cut at the NUL, this would still be a complete command that creates the file.
    const fs::path file = folder / "after-nul";
    const auto result = Shell::run("touch " + Shell::q(file.string()) + std::string(1, '\0') + " && false");
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.out.isEmpty());
    EXPECT_FALSE(fs::exists(file));
}

TEST(ShellRun, OkFollowsTheStatusAndOutputIsBothStreamsUntrimmedOrNothing)
{
    setenv("QUILLMOOR_SHELL_TEST", "from the parent", 1);
    const struct {
        const char* command;
        bool ok;
        QString out;
    } cases[] = {
        {"printf a; printf b >&2; printf 'c\\n'", true, QStringLiteral("abc\n")},
        {"echo 'it broke' >&2; exit 1", false, QStringLiteral("it broke\n")},
        {"exit 3", false, QString()},
        {"kill -9 $$", false, QString()},
        // Output that is not UTF-8, even a sequence cut off at the end, is dropped.
        {"printf 'ok \\377\\376'", true, QString()},
        {"printf 'abc\\303'", true, QString()},
        {"printf '\\377'; exit 2", false, QString()},
        {"printf 'caf\\303\\251'", true, QStringLiteral("caf\u00e9")},
        // The environment is inherited; standard input is empty, so a reader ends.
        {"printf %s \"$QUILLMOOR_SHELL_TEST\"", true, QStringLiteral("from the parent")},
        {"read line; echo \"status $?\"", true, QStringLiteral("status 1\n")},
    };
    for (const auto& c : cases) {
        const auto result = Shell::run(c.command);
        EXPECT_EQ(result.ok, c.ok) << c.command;
        EXPECT_EQ(result.out, c.out) << c.command;
    }
    unsetenv("QUILLMOOR_SHELL_TEST");
    EXPECT_EQ(Shell::run("pwd -P").out, QDir::current().canonicalPath() + QLatin1Char('\n'));
    EXPECT_EQ(Shell::runProcess("/bin/sh", {"-c", "kill -9 $$"}).exitCode, -1);
}

TEST(ShellRunProcess, KeepsStreamsApartAndDrainsBothWithoutStalling)
{
    // Far more than a pipe holds, on stderr first: reading only stdout would hang.
    const ProcessOutput big = Shell::runProcess(
        "/bin/sh", {"-c", "head -c 1000000 /dev/zero >&2; head -c 700000 /dev/zero; exit 4"});
    EXPECT_TRUE(big.started);
    EXPECT_EQ(big.exitCode, 4);
    EXPECT_EQ(big.err.size(), 1000000);
    EXPECT_EQ(big.out.size(), 700000);

    const ProcessOutput split = Shell::runProcess("sh", {"-c", "printf out; printf err >&2"});
    EXPECT_EQ(split.out, QByteArray("out"));
    EXPECT_EQ(split.err, QByteArray("err"));
}

TEST(ShellAppleScript, EscapesBackslashesBeforeQuotes)
{
    const auto wrapped = [](const QString& inner) {
        return QStringLiteral("do shell script \"") + inner + QStringLiteral("\" with administrator privileges");
    };
    // backslash + quote -> three backslashes + quote; quote + backslash -> \" and two backslashes
    EXPECT_EQ(Shell::appleScriptFor(QStringLiteral("\\\"")), wrapped(QStringLiteral("\\\\\\\"")));
    EXPECT_EQ(Shell::appleScriptFor(QStringLiteral("\"\\")), wrapped(QStringLiteral("\\\"\\\\")));
    // The single quotes of q pass unchanged; only the backslash of an escaped
    // apostrophe is doubled, as every backslash is.
    const QString quoted = QString::fromStdString("rm -rf " + Shell::q("/tmp/my file"));
    EXPECT_EQ(Shell::appleScriptFor(quoted), wrapped(quoted));
    EXPECT_EQ(Shell::appleScriptFor(QString::fromStdString(Shell::q("it's"))), wrapped(QStringLiteral("'it'\\\\''s'")));
}

TEST(ShellAdmin, ArgvDependsOnWhoRuns)
{
    const std::string command = "rm -rf " + Shell::q("/opt/it's here");
    EXPECT_EQ(Shell::adminArgv(command, true, "/usr/bin/pkexec"),
              (std::vector<std::string>{"/bin/sh", "-c", command}));
    EXPECT_EQ(Shell::adminArgv(command, false, "/usr/bin/pkexec"),
              (std::vector<std::string>{"/usr/bin/pkexec", "/bin/sh", "-c", command}));
    EXPECT_TRUE(Shell::adminArgv(command, false, "").empty());
}

TEST(ShellAdmin, OutcomeOfTheRun)
{
    const struct {
        ProcessOutput output;
        bool viaPkexec;
        bool ok;
        QString out;
    } cases[] = {
        // A dismissed password prompt.
        {finished(126, "", "Error executing command as another user: Request dismissed\n"), true, false, cancelled()},
        // Run directly as root, 126 is the shell's own "cannot execute".
        {finished(126, "", "sh: 1: ./tool: Permission denied\n"), false, false,
         QStringLiteral("sh: 1: ./tool: Permission denied")},
        // Standard error trimmed at both ends, inner breaks kept.
        {finished(1, "partial output\n", " \n\trm: cannot remove 'x'\nsecond line \r\n\n"), true, false,
         QStringLiteral("rm: cannot remove 'x'\nsecond line")},
        // Nothing (or nothing readable) on stderr: the trimmed standard output stands in.
        {finished(2, "\nFAIL: spotlight\n", "  \n"), true, false, QStringLiteral("FAIL: spotlight")},
        {finished(2, "FAIL: dock", "\xff\xfe"), true, false, QStringLiteral("FAIL: dock")},
        // Success: standard output exactly as printed, whatever stderr says.
        {finished(0, "  OK: dns\n\n", "warning\n"), true, true, QStringLiteral("  OK: dns\n\n")},
    };
    for (const auto& c : cases) {
        const auto result = Shell::adminResult(c.output, c.viaPkexec);
        EXPECT_EQ(result.ok, c.ok) << c.output.err.toStdString();
        EXPECT_EQ(result.out, c.out) << c.output.err.toStdString();
    }

    // A failure never comes back without a reason: nothing printed names the
    // status; a program that could not start says why.
    const auto silent = Shell::adminResult(finished(42, "", ""), true);
    EXPECT_FALSE(silent.ok);
    EXPECT_TRUE(silent.out.contains(QStringLiteral("42"))) << silent.out.toStdString();
    const auto killed = Shell::adminResult(finished(-1, "", ""), true);
    EXPECT_FALSE(killed.ok);
    EXPECT_FALSE(killed.out.trimmed().isEmpty());

    const ProcessOutput missing = Shell::runProcess("/nonexistent/quillmoor-tool", {"--help"});
    EXPECT_FALSE(missing.started);
    EXPECT_FALSE(missing.startError.isEmpty());
    const auto notStarted = Shell::adminResult(missing, true);
    EXPECT_FALSE(notStarted.ok);
    EXPECT_EQ(notStarted.out, missing.startError);
    ProcessOutput blankReason;
    blankReason.startError = QStringLiteral("  ");
    EXPECT_FALSE(Shell::adminResult(blankReason, true).out.trimmed().isEmpty());
}

TEST(ShellAdmin, RunAdminHandsTheCommandToTheRunner)
{
    const bool isRoot = geteuid() == 0;
    std::string program;
    std::vector<std::string> args;
    int calls = 0;
    int exitCode = 126;
    Shell::setAdminRunner([&](const std::string& p, const std::vector<std::string>& a) {
        program = p;
        args = a;
        ++calls;
        return finished(exitCode, "done\n", "");
    });

    const std::string command = "rm -rf -- " + Shell::q("/opt/\xe9t\xe9 $(x)");
    const auto first = Shell::runAdmin(command);
    exitCode = 0;
    const auto second = Shell::runAdmin(command);
    Shell::setAdminRunner({});

    if (!isRoot && calls == 0) {
        // No pkexec on this machine: the run fails with a reason and starts nothing.
        EXPECT_FALSE(first.ok);
        EXPECT_FALSE(first.out.isEmpty());
        return;
    }
    ASSERT_EQ(calls, 2);
    if (isRoot) {
        EXPECT_EQ(program, "/bin/sh");
        EXPECT_EQ(args, (std::vector<std::string>{"-c", command}));
        EXPECT_NE(first.out, cancelled());
    } else {
        EXPECT_EQ(fs::path(program).filename(), "pkexec");
        EXPECT_EQ(args, (std::vector<std::string>{"/bin/sh", "-c", command}));
        EXPECT_EQ(first.out, cancelled());
    }
    EXPECT_FALSE(first.ok);
    EXPECT_TRUE(second.ok);
    EXPECT_EQ(second.out, QStringLiteral("done\n"));

    // An empty runner restores the real one; only as root, since anyone else
    // would get a real password prompt.
    if (!isRoot)
        return;
    const auto real = Shell::runAdmin("printf real; printf ' noise' >&2");
    EXPECT_TRUE(real.ok);
    EXPECT_EQ(real.out, QStringLiteral("real"));
    const auto failing = Shell::runAdmin("echo 'no such thing' >&2; exit 5");
    EXPECT_FALSE(failing.ok);
    EXPECT_EQ(failing.out, QStringLiteral("no such thing"));
}

TEST(ShellProgramName, NamesTheProgramPastItsWrappers)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(Shell::programName(V{"pkexec", "/bin/sh", "-c", "DEBIAN_FRONTEND=noninteractive apt-get remove -y -- 'vim'"}),
              "apt-get");
    EXPECT_EQ(Shell::programName(V{"/bin/sh", "-c", "LC_ALL=C timeout 20 dpkg-query -S /usr/bin/x"}), "dpkg-query");
    EXPECT_EQ(Shell::programName(V{"/bin/sh", "-c", "qm_out=$( (journalctl --vacuum-time=2weeks) 2>&1 ) && echo OK"}),
              "journalctl");
    EXPECT_EQ(Shell::programName(V{"/usr/bin/flatpak", "list"}), "flatpak");
    EXPECT_EQ(Shell::programName(V{"/bin/sh", "-c", "  "}), "sh");
    EXPECT_EQ(Shell::programName(V{}), "");
}

TEST(ShellRun, AChildRunsInAGroupOfItsOwnAndIsKnownWhileItRuns)
{
    // The terminal's Ctrl+C reaches our group only, never a tool halfway through.
    const Shell::Result group = Shell::run("ps -o pgid= -p $$");
    ASSERT_TRUE(group.ok);
    EXPECT_NE(group.out.trimmed().toLongLong(), static_cast<long long>(getpgrp()));
    std::thread slow([] { Shell::run("sleep 0.5"); });
    std::vector<std::string> running;
    for (int i = 0; i < 100 && running.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        running = Quitting::runningChildren();
    }
    EXPECT_EQ(running, std::vector<std::string>{"sleep"});
    slow.join();
    EXPECT_TRUE(Quitting::runningChildren().empty());
}
