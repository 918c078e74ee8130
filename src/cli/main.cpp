// quillmoor-cli: the command-line tool.
#include <cerrno>
#include <cstdio>
#include <thread>

#include <poll.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTextStream>

#include "cli/ArgumentBytes.h"
#include "cli/Cli.h"
#include "platform/Quitting.h"

namespace {

// Ctrl+C, SIGTERM and SIGHUP ask the command to end: walks stop, a removal
// ends after its current item, a routine list before its next routine. A
// program already started (a package tool) is waited for, and a watcher says
// so the moment the signal comes.
void endOnSignals()
{
    const int wake = Quitting::onSignals();
    if (wake < 0)
        return;
    std::thread([wake] {
        pollfd watched{wake, POLLIN, 0};
        char byte;
        while (poll(&watched, 1, -1) >= 0 || errno == EINTR) {
            if (read(wake, &byte, 1) <= 0)
                continue;
            const QString waiting = Quitting::waitingText();
            if (!waiting.isEmpty())
                std::fprintf(stderr, "\n%s\n", waiting.toUtf8().constData());
        }
    }).detach();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillmoor-cli"));
    endOnSignals();
    QTextStream out(stdout);
    QTextStream err(stderr);
    // every byte of every argument kept (a path need not be UTF-8)
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << Cli::argumentText(argv[i]);
    return Cli::run(arguments, out, err);
}
