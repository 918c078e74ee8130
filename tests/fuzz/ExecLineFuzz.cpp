// LinuxApps::execTarget over an Exec line, and over words split at NUL bytes: the words quoted with Shell::q
// and joined give the same answer as the words; without a shell among them, the answer is one of the words.
#include <QFileInfo>

#include "FuzzCheck.h"
#include "engines/apps/LinuxDesktopApps.h"
#include "platform/Shell.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    static const QStringList shells{"sh", "bash", "dash", "zsh", "ksh"};
    const QByteArray data = Fuzz::bytes(bytes, size);
    QStringList words;
    std::string line;
    bool anyShell = false;
    for (const QByteArray& piece : data.split('\0')) {
        words << QString::fromUtf8(piece);
        line += (line.empty() ? "" : " ") + Shell::q(words.last().toStdString());
        anyShell = anyShell || shells.contains(QFileInfo(words.last()).fileName());
    }
    const LinuxApps::ExecTarget target = LinuxApps::execTarget(words);
    const LinuxApps::ExecTarget fromLine = LinuxApps::execTarget(QString::fromStdString(line));
    REQUIRE(target.program == fromLine.program && target.appId == fromLine.appId);
    REQUIRE(anyShell || ((target.program.isEmpty() || words.contains(target.program))
                         && (target.appId.isEmpty() || words.contains(target.appId))));
    // a program or an application id, never both, and never a field code such as %F
    for (const LinuxApps::ExecTarget& any : {target, LinuxApps::execTarget(QString::fromUtf8(data))})
        REQUIRE((any.program.isEmpty() || any.appId.isEmpty()) && !(any.program.size() == 2 && any.program[0] == '%'));
    return 0;
}
