#pragma once
// Every external command runs through here: one command line in, (ok, out) out.
// Command lines are byte strings, so paths whose names are not valid UTF-8
// still reach the shell intact. A command line cannot hold a NUL byte (the
// operating system passes arguments as C strings); one that does is refused
// without running anything. Nothing here throws.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <QByteArray>
#include <QStringList>
#include <QString>

namespace Shell {

struct Result {
    bool ok = false;
    QString out;
};

// The program an argument vector runs, for people: past pkexec, into a
// `sh -c` command line, past assignments (VAR=value) and the wrappers env,
// nice and timeout, as a file name: "apt-get" for
// {"pkexec", "/bin/sh", "-c", "DEBIAN_FRONTEND=noninteractive apt-get remove -y -- vim"}.
std::string programName(const std::vector<std::string>& argv);

// Single-quote quoting for a POSIX shell: ' + input with every ' as '\'' + '.
std::string q(std::string_view text);

// Runs `/bin/sh -c command` with the user's rights; both streams in one pipe.
// out is the output untrimmed, or empty text when it is not valid UTF-8, or
// the launch error when the shell could not start. Standard input is empty
// (/dev/null), so a command that reads it never waits for the user.
Result run(const std::string& command);

// What a finished child process left behind, as the administrator runner sees it.
struct ProcessOutput {
    bool started = false;
    QString startError;    // why it did not start
    int exitCode = -1;     // exit status; -1 when it did not exit normally
    QByteArray out;
    QByteArray err;
};
// Runs a program with arguments, draining both streams, and waits for it.
using Runner = std::function<ProcessOutput(const std::string& program,
                                           const std::vector<std::string>& args)>;

// Runs the command with administrator rights: pkexec /bin/sh -c command (or
// /bin/sh -c directly when already root). A dismissed password prompt gives
// ok = false and L("Cancelado"); any other failure its trimmed error text.
Result runAdmin(const std::string& command);

// Replaces the runner used by runAdmin (tests); an empty runner restores the real one.
void setAdminRunner(Runner runner);
// The real runner: separate stdout and stderr pipes, both read until the child
// closes them, so neither can fill up and stall it. The program is looked up
// on PATH when it has no slash; every argument is passed byte for byte.
ProcessOutput runProcess(const std::string& program, const std::vector<std::string>& args);

// The one AppleScript statement that runs `command` with administrator rights
// on macOS: do shell script "<escaped>" with administrator privileges, where
// backslashes are doubled first and double quotes escaped after.
QString appleScriptFor(const QString& command);

// The steps of runAdmin as pure functions, so every branch can be checked
// whoever runs the tests.

// The argument vector for an administrator run: /bin/sh -c command when
// already root, else pkexec /bin/sh -c command; empty when not root and no
// pkexec was found (pkexecPath empty).
std::vector<std::string> adminArgv(const std::string& command, bool isRoot,
                                   const std::string& pkexecPath);

// Turns what the administrator run left behind into (ok, out). viaPkexec says
// whether exit status 126 means a dismissed password prompt ("Cancelado");
// run directly as root, 126 is just the shell's "cannot execute". A failure
// always carries a reason: the trimmed standard error, else the trimmed
// standard output, else a text naming the exit status.
Result adminResult(const ProcessOutput& output, bool viaPkexec);

// The last line of a command's output that says something, trimmed (a tool's
// reason for failing); empty when there is none.
QString lastLine(const QString& out);

// UTF-8 text of the bytes, or empty text when they are not valid UTF-8.
QString decodeUtf8(const QByteArray& bytes);

} // namespace Shell
