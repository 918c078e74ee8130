#include "platform/Installation.h"

#include <QDir>
#include <QFileInfo>

namespace Installation {

std::optional<QString> prefixOf(const QString& program)
{
    const QFileInfo info(QDir::cleanPath(program));
    const QDir bin = info.absoluteDir();
    if (bin.dirName() != QLatin1String("bin"))
        return std::nullopt;
    QDir prefix = bin;
    if (!prefix.cdUp())
        return std::nullopt;
    const QString entry = prefix.filePath(QStringLiteral("share/applications/%1.desktop").arg(QLatin1String(kAppId)));
    if (!QFileInfo(entry).isFile())
        return std::nullopt;
    return QDir::cleanPath(prefix.absolutePath());
}

QString programToStart(const QString& program)
{
    if (const std::optional<QString> prefix = prefixOf(program))
        return QDir(*prefix).filePath(QStringLiteral("bin/quillmoor"));
    // Run from quillmoor-cli, the login item starts the window program beside it.
    const QString suffix = QStringLiteral("-cli");
    if (program.endsWith(suffix) && QFileInfo(program.chopped(suffix.size())).isExecutable())
        return program.chopped(suffix.size());
    return program;
}

} // namespace Installation
