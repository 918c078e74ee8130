#include "platform/AutoCleanFiles.h"

#include <QFile>
#include <QSaveFile>

#include "platform/FS.h"
#include "platform/Paths.h"

namespace AutoCleanFiles {

namespace {

std::filesystem::path stampFile() { return Paths::logFolder() / "auto-clean.stamp"; }

} // namespace

std::optional<QDateTime> lastRun()
{
    QFile file(FS::text(stampFile()));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QDateTime when = QDateTime::fromString(QString::fromUtf8(file.read(64)).trimmed(), Qt::ISODate);
    if (!when.isValid())
        return std::nullopt;
    return when;
}

bool stamp(const QDateTime& when)
{
    std::error_code error;
    std::filesystem::create_directories(stampFile().parent_path(), error);
    QSaveFile file(FS::text(stampFile()));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(when.toUTC().toString(Qt::ISODate).toUtf8() + '\n');
    return file.commit();
}

std::filesystem::path cleanLock()
{
    std::error_code error;
    std::filesystem::create_directories(Paths::logFolder(), error);
    return Paths::logFolder() / "clean.lock";
}

} // namespace AutoCleanFiles
