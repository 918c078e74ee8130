// Shell: quoting that survives /bin/sh byte for byte and the two runners.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <QDir>

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
