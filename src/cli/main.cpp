// quillmoor-cli: the command-line tool.
#include <cstdio>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTextStream>

#include "cli/Cli.h"
#include "platform/Quitting.h"

namespace {

// Ctrl+C, SIGTERM and SIGHUP ask the command to end: walks stop, a removal
// ends after its current item, a routine list before its next routine. A
// program already started (a package tool) is waited for, and a watcher says
// so the moment the signal comes.
void endOnSignals()
{
    int wake[2];
    if (pipe2(wake, O_CLOEXEC) != 0) {
        Quitting::onSignals();
        return;
    }
    Quitting::onSignals(wake[1]);
    std::thread([fd = wake[0]] {
        char byte;
        while (read(fd, &byte, 1) > 0) {
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
    return Cli::run(QCoreApplication::arguments().mid(1), out, err);
}
