// quillmoor-cli: the command-line tool.
#include <cstdio>

#include <QCoreApplication>
#include <QTextStream>

#include "cli/Cli.h"

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillmoor-cli"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return Cli::run(QCoreApplication::arguments().mid(1), out, err);
}
