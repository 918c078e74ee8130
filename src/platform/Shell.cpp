#include "platform/Shell.h"

#include <cerrno>
#include <csignal>
#include <mutex>
#include <system_error>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QStandardPaths>
#include <QStringDecoder>

#include "i18n/L.h"
#include "platform/Quitting.h"

extern char** environ;

namespace Shell {

namespace {

// The system's description of an error number, in the user's language.
QString errorText(int error)
{
    return QString::fromLocal8Bit(std::system_category().message(error));
}

// Reads both pipes until the child has closed them. poll() tells which one has
// data, so a child writing a lot to one stream never blocks while we wait on
// the other. A descriptor of -1 is skipped (poll ignores negative ones).
void drain(int outFd, int errFd, QByteArray& out, QByteArray& err)
{
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    QByteArray* sinks[2] = {&out, &err};
    char buffer[65536];
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, n);
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else {  // end of file, or the pipe broke
                close(fds[i].fd);
                fds[i].fd = -1;
            }
        }
    }
    for (const pollfd& p : fds) {
        if (p.fd >= 0)
            close(p.fd);
    }
}

// The file name of a program path.
std::string programBase(const std::string& program)
{
    const std::size_t slash = program.rfind('/');
    return slash == std::string::npos ? program : program.substr(slash + 1);
}

// Waits for the child and returns its exit status, -1 when it did not exit
// normally (killed by a signal) or could not be waited for.
int waitForExit(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Starts argv[0] (looked up on PATH when it has no slash) with exactly these
// arguments, reads what it prints and waits for it to end. With mergeStreams,
// standard output and standard error share one pipe and everything lands in
// `out`, interleaved as printed. The environment and the working folder are
// inherited; standard input is /dev/null.
//
// We start the child ourselves rather than through QProcess because QProcess
// takes its arguments as QString and would mangle bytes that are not UTF-8.
ProcessOutput spawn(const std::vector<std::string>& argv, bool mergeStreams)
{
    ProcessOutput result;
    if (argv.empty()) {
        result.startError = errorText(EINVAL);
        return result;
    }
    // An argument ends at its first NUL byte: running the shortened command
    // could do something else entirely, so refuse it.
    for (const std::string& arg : argv) {
        if (arg.find('\0') != std::string::npos) {
            result.startError = errorText(EINVAL);
            return result;
        }
    }

    // O_CLOEXEC: a child started at the same moment by another thread must not
    // inherit our write ends, or we would never see end of file.
    int outPipe[2] = {-1, -1};
    int errPipe[2] = {-1, -1};
    if (pipe2(outPipe, O_CLOEXEC) != 0) {
        result.startError = errorText(errno);
        return result;
    }
    if (!mergeStreams && pipe2(errPipe, O_CLOEXEC) != 0) {
        result.startError = errorText(errno);
        close(outPipe[0]);
        close(outPipe[1]);
        return result;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, mergeStreams ? outPipe[1] : errPipe[1],
                                     STDERR_FILENO);

    // The child starts with no blocked signals and the default SIGPIPE action,
    // whatever this process or thread has set, so pipelines behave as in a terminal.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t noSignals;
    sigemptyset(&noSignals);
    posix_spawnattr_setsigmask(&attributes, &noSignals);
    sigset_t defaultSignals;
    sigemptyset(&defaultSignals);
    sigaddset(&defaultSignals, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaultSignals);
    // A process group of its own, so the Ctrl+C or hang-up of a terminal that
    // asks us to end never reaches a package tool halfway through. pkexec stays
    // in ours: its password prompt may read the terminal.
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (programBase(argv.front()) != "pkexec") {
        posix_spawnattr_setpgroup(&attributes, 0);
        flags |= POSIX_SPAWN_SETPGROUP;
    }
    posix_spawnattr_setflags(&attributes, flags);

    std::vector<char*> cArgv;
    for (const std::string& arg : argv)
        cArgv.push_back(const_cast<char*>(arg.c_str()));
    cArgv.push_back(nullptr);

    pid_t pid = 0;
    const int spawnError = posix_spawnp(&pid, cArgv[0], &actions, &attributes, cArgv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);

    // Only the child writes; our copies of the write ends must go, or the
    // pipes would never reach end of file.
    close(outPipe[1]);
    if (errPipe[1] >= 0)
        close(errPipe[1]);

    if (spawnError != 0) {
        close(outPipe[0]);
        if (errPipe[0] >= 0)
            close(errPipe[0]);
        result.startError = errorText(spawnError);
        return result;
    }

    result.started = true;
    // Known while it runs, so quitting can say what it waits for; never signalled.
    const Quitting::ChildRun running(programName(argv));
    drain(outPipe[0], errPipe[0], result.out, result.err);
    result.exitCode = waitForExit(pid);
    return result;
}

} // namespace

std::string programName(const std::vector<std::string>& argv)
{
    // a word of a command line, without the parentheses and quotes before it
    const auto base = [](const std::string& word) {
        return programBase(word.substr(std::min(word.find_first_not_of("('\""), word.size())));
    };
    std::size_t first = 0;
    if (first < argv.size() && base(argv[first]) == "pkexec")
        ++first;
    std::vector<std::string> words(argv.begin() + static_cast<std::ptrdiff_t>(first), argv.end());
    if (words.size() >= 3 && base(words[0]) == "sh" && words[1] == "-c") {
        const std::string command = words[2];
        words.clear();
        std::size_t at = 0;
        while ((at = command.find_first_not_of(" \t\n", at)) != std::string::npos) {
            const std::size_t end = command.find_first_of(" \t\n", at);
            words.push_back(command.substr(at, end - at));
            at = end;
        }
    }
    // Skip what only sets the scene: assignments, and the wrappers that run another program.
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string word = base(words[i]);
        const std::size_t equals = words[i].find('=');
        if (word.empty() || (equals != std::string::npos && equals < words[i].find('/')))
            continue;
        if (word == "env" || word == "nice" || word == "exec" || word == "command")
            continue;
        if (word == "timeout") {
            ++i;  // and its duration
            continue;
        }
        return word;
    }
    return argv.empty() ? std::string() : base(argv.front());
}

std::string q(std::string_view text)
{
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    quoted += '\'';
    return quoted;
}

QString decodeUtf8(const QByteArray& bytes)
{
    // Stateless: a sequence cut off at the end counts as an error instead of
    // being held back for more input. ConvertInitialBom: keep a leading byte
    // order mark, so the output comes back unchanged.
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return QString();
    return text;
}

Result run(const std::string& command)
{
    const ProcessOutput output = spawn({"/bin/sh", "-c", command}, /*mergeStreams=*/true);
    if (!output.started)
        return {false, output.startError};
    return {output.exitCode == 0, decodeUtf8(output.out)};
}

ProcessOutput runProcess(const std::string& program, const std::vector<std::string>& args)
{
    std::vector<std::string> argv;
    argv.reserve(args.size() + 1);
    argv.push_back(program);
    argv.insert(argv.end(), args.begin(), args.end());
    return spawn(argv, /*mergeStreams=*/false);
}

QString appleScriptFor(const QString& command)
{
    // Backslashes first: escaping the quotes first would add backslashes that
    // the second step would then double as well.
    QString escaped = command;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    escaped.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1String("do shell script \"") + escaped
        + QLatin1String("\" with administrator privileges");
}

QString lastLine(const QString& out)
{
    const QStringList lines = out.split(QLatin1Char('\n'));
    for (auto it = lines.rbegin(); it != lines.rend(); ++it)
        if (!it->trimmed().isEmpty())
            return it->trimmed();
    return {};
}

} // namespace Shell
