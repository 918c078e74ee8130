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
// {"/bin/sh", "-c", "LC_ALL=C timeout 20 apt-get -s remove -- vim"}.
std::string programName(const std::vector<std::string>& argv);

// Single-quote quoting for a POSIX shell: ' + input with every ' as '\'' + '.
std::string q(std::string_view text);

// Runs `/bin/sh -c command` with the user's rights; both streams in one pipe.
// out is the output untrimmed, or empty text when it is not valid UTF-8, or
// the launch error when the shell could not start. Standard input is empty
// (/dev/null), so a command that reads it never waits for the user.
Result run(const std::string& command);

// What a finished child process left behind.
struct ProcessOutput {
    bool started = false;
    QString startError;    // why it did not start
    int exitCode = -1;     // exit status; -1 when it did not exit normally
    QByteArray out;
    QByteArray err;
};

// Runs a program with arguments and waits for it: separate stdout and stderr pipes, both read until the child
// closes them, so neither can fill up and stall it. The program is looked up
// on PATH when it has no slash; every argument is passed byte for byte.
ProcessOutput runProcess(const std::string& program, const std::vector<std::string>& args);

// The one AppleScript statement that runs `command` with administrator rights
// on macOS: do shell script "<escaped>" with administrator privileges, where
// backslashes are doubled first and double quotes escaped after.
QString appleScriptFor(const QString& command);

// The last line of a command's output that says something, trimmed (a tool's
// reason for failing); empty when there is none.
QString lastLine(const QString& out);

// UTF-8 text of the bytes, or empty text when they are not valid UTF-8.
QString decodeUtf8(const QByteArray& bytes);

} // namespace Shell
