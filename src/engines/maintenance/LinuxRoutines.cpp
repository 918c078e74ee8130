#include "engines/maintenance/LinuxRoutines.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "engines/common/Units.h"
#include "i18n/L.h"
#include "i18n/ShownText.h"

namespace LinuxRoutines {

MaintTask routine(const char* id, const QString& title, const QString& detail, const char* symbol,
                  const std::string& cmd, bool admin)
{
    MaintTask task;
    task.id = QString::fromLatin1(id);
    task.title = title;
    task.detail = detail;
    task.symbol = QString::fromLatin1(symbol);
    task.cmd = cmd;
    task.admin = admin;
    return task;
}

void markMissing(MaintTask& task, const QString& what)
{
    task.available = false;
    task.reason = LF("Indisponível: falta %@", shownRun(what));
}

MaintTask programRoutine(const char* id, const QString& title, const QString& detail, const char* symbol,
                         const char* program, const std::string& cmd, bool admin, const QString& path)
{
    MaintTask task = routine(id, title, detail, symbol, cmd, admin);
    task.needs = QString::fromLatin1(program);
    if (findProgram(task.needs, path).isEmpty())
        markMissing(task, task.needs);
    return task;
}

QString findProgram(const QString& name, const QString& path)
{
    const auto executable = [](const QString& file) {
        const QFileInfo info(file);
        return info.isFile() && info.isExecutable();
    };
    if (name.contains(QLatin1Char('/')))
        return executable(name) ? name : QString();
    for (const QString& dir : path.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString file = dir + QLatin1Char('/') + name;
        if (executable(file))
            return file;
    }
    return {};
}

std::int64_t cachedBytes(const std::filesystem::path& meminfo)
{
    QFile file(QFile::decodeName(QByteArray::fromStdString(meminfo.native())));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.startsWith("Cached:"))
            continue;
        return Sweeper::kibibytesToBytes(QString::fromLatin1(line.mid(7).simplified().split(' ').first()));
    }
    return 0;
}

} // namespace LinuxRoutines
