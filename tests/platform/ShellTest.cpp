// Shell: quoting that survives /bin/sh byte for byte, the two runners, and
// how an administrator run's outcome becomes (ok, out).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include <unistd.h>

#include <QDir>

#include "i18n/L.h"
#include "platform/Shell.h"

namespace fs = std::filesystem;

// Readable failure messages for texts.
void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
using Shell::ProcessOutput;

namespace {

fs::path home()
{
    return fs::path(std::getenv("HOME"));
}

QByteArray bytesOf(const std::string& s)
{
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

// What the shell makes of q(value): printf %s prints the single argument back.
QByteArray throughShell(const std::string& value)
{
    const ProcessOutput result = Shell::runProcess("/bin/sh", {"-c", "printf %s " + Shell::q(value)});
    EXPECT_TRUE(result.started);
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    return result.out;
}

ProcessOutput finished(int exitCode, const char* out, const char* err)
{
    ProcessOutput output;
    output.started = true;
    output.exitCode = exitCode;
    output.out = out;
    output.err = err;
    return output;
}

// Puts a runner in place for one test and restores the real one afterwards.
class RunnerGuard {
public:
    explicit RunnerGuard(Shell::Runner runner) { Shell::setAdminRunner(std::move(runner)); }
    ~RunnerGuard() { Shell::setAdminRunner({}); }
};

} // namespace

TEST(ShellQuote, ProducesTheDesignedText)
{
    EXPECT_EQ(Shell::q(""), "''");
    const std::string quoted = Shell::q("it's");
    // ' i t ' \ ' ' s ' : nine characters (quote, "it", the four-character
    // escape, "s", quote), whose shell value is it's again (checked below).
    EXPECT_EQ(quoted, "'it'\\''s'");
    EXPECT_EQ(quoted.size(), 9u);
    // Nothing but the single quote is touched.
    EXPECT_EQ(Shell::q("a b$c\\d\ne\"f"), "'a b$c\\d\ne\"f'");
}

TEST(ShellQuote, EveryHostileValueSurvivesTheShellByteForByte)
{
    const std::vector<std::string> values = {
        "", "it's", "''", "'\\''", "\"double\"", "$(echo injected) `id` ${HOME} $0",
        "back\\slash \\n", "line\nbreak\n\n", "-rf", "--", "  blanks\tand tab  ",
        "* ? [a-z] ~ ! ; rm -rf / # && | > &", "%s %%", "\x80\xff\xfe not UTF-8 \xc3",
    };
    for (const std::string& value : values)
        EXPECT_EQ(throughShell(value), bytesOf(value)) << "value: " << value;

    // Every byte except NUL, in one string.
    std::string all;
    for (int c = 1; c < 256; ++c)
        all += static_cast<char>(c);
    EXPECT_EQ(throughShell(all), bytesOf(all));
}

TEST(ShellRun, QuotedPathsReachTheFileSystemIntact)
{
    // A name that is not UTF-8, with a quote and a line break in it.
    const fs::path odd = home() / std::string("r\xe9sum\xe9 'draft'\n.txt");
    EXPECT_TRUE(Shell::run("printf x > " + Shell::q(odd.string())).ok);
    ASSERT_TRUE(fs::exists(odd));
    EXPECT_EQ(fs::file_size(odd), 1u);
    EXPECT_TRUE(Shell::run("rm -f -- " + Shell::q(odd.string())).ok);
    EXPECT_FALSE(fs::exists(odd));

    // A command substitution inside a quoted name is just part of the name.
    const fs::path trap = home() / "$(touch injected)";
    EXPECT_TRUE(Shell::run("cd " + Shell::q(home().string()) + " && touch " + Shell::q(trap.string())).ok);
    EXPECT_TRUE(fs::exists(trap));
    EXPECT_FALSE(fs::exists(home() / "injected"));
}

TEST(ShellRun, ReportsOutputOfBothStreamsUntrimmed)
{
    const auto success = Shell::run("printf a; printf b >&2; printf 'c\\n'");
    EXPECT_TRUE(success.ok);
    EXPECT_EQ(success.out, QStringLiteral("abc\n"));

    const auto failure = Shell::run("echo 'it broke' >&2; exit 1");
    EXPECT_FALSE(failure.ok);
    EXPECT_EQ(failure.out, QStringLiteral("it broke\n"));

    const auto silent = Shell::run("exit 3");
    EXPECT_FALSE(silent.ok);
    EXPECT_EQ(silent.out, QString());
}

TEST(ShellRun, OutputThatIsNotUtf8BecomesEmptyAndOkFollowsTheStatus)
{
    const auto fine = Shell::run("printf 'ok \\377\\376'");
    EXPECT_TRUE(fine.ok);
    EXPECT_TRUE(fine.out.isEmpty());

    // A sequence cut off at the very end is not valid either.
    const auto cut = Shell::run("printf 'abc\\303'");
    EXPECT_TRUE(cut.ok);
    EXPECT_TRUE(cut.out.isEmpty());

    const auto failed = Shell::run("printf '\\377'; exit 2");
    EXPECT_FALSE(failed.ok);
    EXPECT_TRUE(failed.out.isEmpty());

    const auto accents = Shell::run("printf 'caf\\303\\251'");
    EXPECT_EQ(accents.out, QStringLiteral("caf\u00e9"));
}

TEST(ShellRun, InheritsEnvironmentAndWorkingFolderAndReadsNothing)
{
    setenv("QUILLMOOR_SHELL_TEST", "from the parent", 1);
    EXPECT_EQ(Shell::run("printf %s \"$QUILLMOOR_SHELL_TEST\"").out, QStringLiteral("from the parent"));
    unsetenv("QUILLMOOR_SHELL_TEST");

    EXPECT_EQ(Shell::run("pwd -P").out, QDir::current().canonicalPath() + QLatin1Char('\n'));

    // Standard input is empty: a command that reads it ends instead of waiting.
    const auto reader = Shell::run("read line; echo \"status $?\"");
    EXPECT_EQ(reader.out, QStringLiteral("status 1\n"));
}

TEST(ShellRun, ACommandKilledBySignalFails)
{
    EXPECT_FALSE(Shell::run("kill -9 $$").ok);
    EXPECT_EQ(Shell::runProcess("/bin/sh", {"-c", "kill -9 $$"}).exitCode, -1);
}

TEST(ShellRun, RefusesACommandWithANulByte)
{
    // Cut at the NUL, this would still be a complete command that creates the file.
    const fs::path file = home() / "after-nul";
    const std::string command = "touch " + Shell::q(file.string()) + std::string(1, '\0') + " && false";
    const auto result = Shell::run(command);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.out.isEmpty());
    EXPECT_FALSE(fs::exists(file));
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
    EXPECT_EQ(split.exitCode, 0);
    EXPECT_EQ(split.out, QByteArray("out"));
    EXPECT_EQ(split.err, QByteArray("err"));
}

TEST(ShellRunProcess, ALaunchFailureSaysWhy)
{
    const ProcessOutput missing = Shell::runProcess("/nonexistent/quillmoor-tool", {"--help"});
    EXPECT_FALSE(missing.started);
    EXPECT_FALSE(missing.startError.isEmpty());

    const auto result = Shell::adminResult(missing, true);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.out, missing.startError);
}

TEST(ShellAppleScript, EscapesBackslashesBeforeQuotes)
{
    const QString head = QStringLiteral("do shell script \"");
    const QString tail = QStringLiteral("\" with administrator privileges");
    ASSERT_EQ(head.size(), 17);
    ASSERT_EQ(tail.size(), 31);

    // backslash + quote -> three backslashes + quote
    EXPECT_EQ(Shell::appleScriptFor(QStringLiteral("\\\"")), head + QStringLiteral("\\\\\\\"") + tail);
    // quote + backslash -> backslash, quote, two backslashes
    EXPECT_EQ(Shell::appleScriptFor(QStringLiteral("\"\\")), head + QStringLiteral("\\\"\\\\") + tail);

    // The single quotes of q pass unchanged; only the backslash of an escaped
    // apostrophe is doubled, as every backslash is.
    const QString quoted = QString::fromStdString("rm -rf " + Shell::q("/tmp/my file"));
    EXPECT_EQ(Shell::appleScriptFor(quoted), head + quoted + tail);
    EXPECT_EQ(Shell::appleScriptFor(QString::fromStdString(Shell::q("it's"))),
              head + QStringLiteral("'it'\\\\''s'") + tail);
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
    // A dismissed password prompt.
    const auto cancelled = Shell::adminResult(finished(126, "", "Error executing command as another user: Request dismissed\n"), true);
    EXPECT_FALSE(cancelled.ok);
    EXPECT_EQ(cancelled.out, L(QStringLiteral("Cancelado")));

    // Run directly as root, 126 is the shell's own "cannot execute".
    const auto notExecutable = Shell::adminResult(finished(126, "", "sh: 1: ./tool: Permission denied\n"), false);
    EXPECT_FALSE(notExecutable.ok);
    EXPECT_EQ(notExecutable.out, QStringLiteral("sh: 1: ./tool: Permission denied"));

    // Other failures: standard error trimmed at both ends, inner breaks kept.
    const auto failed = Shell::adminResult(finished(1, "partial output\n", " \n\trm: cannot remove 'x'\nsecond line \r\n\n"), true);
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.out, QStringLiteral("rm: cannot remove 'x'\nsecond line"));

    // Success: standard output exactly as printed, whatever stderr says.
    const auto success = Shell::adminResult(finished(0, "  OK: dns\n\n", "warning\n"), true);
    EXPECT_TRUE(success.ok);
    EXPECT_EQ(success.out, QStringLiteral("  OK: dns\n\n"));
}

TEST(ShellAdmin, AFailureNeverComesBackWithoutAReason)
{
    // Nothing on stderr: the trimmed standard output stands in.
    const auto fromStdout = Shell::adminResult(finished(2, "\nFAIL: spotlight\n", "  \n"), true);
    EXPECT_FALSE(fromStdout.ok);
    EXPECT_EQ(fromStdout.out, QStringLiteral("FAIL: spotlight"));

    // stderr not valid UTF-8 counts as empty.
    const auto undecodable = Shell::adminResult(finished(2, "FAIL: dock", "\xff\xfe"), true);
    EXPECT_EQ(undecodable.out, QStringLiteral("FAIL: dock"));

    // Nothing printed at all: the exit status is named.
    const auto silent = Shell::adminResult(finished(42, "", ""), true);
    EXPECT_FALSE(silent.ok);
    EXPECT_TRUE(silent.out.contains(QStringLiteral("42"))) << silent.out.toStdString();

    const auto killed = Shell::adminResult(finished(-1, "", ""), true);
    EXPECT_FALSE(killed.ok);
    EXPECT_FALSE(killed.out.trimmed().isEmpty());

    ProcessOutput notStarted;
    notStarted.startError = QStringLiteral("  ");
    EXPECT_FALSE(Shell::adminResult(notStarted, true).out.trimmed().isEmpty());
}

TEST(ShellAdmin, RunAdminHandsTheCommandToTheRunner)
{
    const bool isRoot = geteuid() == 0;
    std::string program;
    std::vector<std::string> args;
    int calls = 0;
    int exitCode = 126;
    RunnerGuard guard([&](const std::string& p, const std::vector<std::string>& a) {
        program = p;
        args = a;
        ++calls;
        return finished(exitCode, "done\n", "");
    });

    const std::string command = "rm -rf -- " + Shell::q("/opt/\xe9t\xe9 $(x)");
    const auto first = Shell::runAdmin(command);
    if (!isRoot && calls == 0) {
        // No pkexec on this machine: the run fails with a reason and starts nothing.
        EXPECT_FALSE(first.ok);
        EXPECT_FALSE(first.out.isEmpty());
        return;
    }
    ASSERT_EQ(calls, 1);
    if (isRoot) {
        EXPECT_EQ(program, "/bin/sh");
        EXPECT_EQ(args, (std::vector<std::string>{"-c", command}));
        EXPECT_NE(first.out, L(QStringLiteral("Cancelado")));
    } else {
        EXPECT_EQ(fs::path(program).filename(), "pkexec");
        EXPECT_EQ(args, (std::vector<std::string>{"/bin/sh", "-c", command}));
        EXPECT_EQ(first.out, L(QStringLiteral("Cancelado")));
    }
    EXPECT_FALSE(first.ok);

    exitCode = 0;
    const auto second = Shell::runAdmin(command);
    EXPECT_TRUE(second.ok);
    EXPECT_EQ(second.out, QStringLiteral("done\n"));
}

TEST(ShellAdmin, AnEmptyRunnerRestoresTheRealOne)
{
    // Only as root: anyone else would get a real password prompt.
    if (geteuid() != 0)
        GTEST_SKIP();
    Shell::setAdminRunner([](const std::string&, const std::vector<std::string>&) {
        return finished(0, "fake", "");
    });
    EXPECT_EQ(Shell::runAdmin("printf real").out, QStringLiteral("fake"));
    Shell::setAdminRunner({});
    const auto real = Shell::runAdmin("printf real; printf ' noise' >&2");
    EXPECT_TRUE(real.ok);
    EXPECT_EQ(real.out, QStringLiteral("real"));

    const auto failing = Shell::runAdmin("echo 'no such thing' >&2; exit 5");
    EXPECT_FALSE(failing.ok);
    EXPECT_EQ(failing.out, QStringLiteral("no such thing"));
}
