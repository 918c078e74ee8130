#include "platform/LoginItem.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>

#include "platform/Paths.h"

namespace LoginItem {

std::filesystem::path entryPath()
{
    return Paths::configHome() / "autostart" / "com.halvick.Quillmoor.desktop";
}

bool isRegistered()
{
    QFile file(QString::fromStdString(entryPath().string()));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1String("Hidden=")))
            return line.mid(7).trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) != 0;
    }
    return true;
}

QString desktopEntryFor(const QString& executable)
{
    // Exec arguments are double-quoted; inside, ", `, $ and \ are escaped,
    // and a literal % is doubled.
    QString quoted;
    for (const QChar c : executable) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted.replace(u'%', QLatin1String("%%"));
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Quillmoor\n"
                          "Exec=\"%1\"\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(quoted);
}

std::optional<QString> registerItem(const QString& executable)
{
    const QString path = QString::fromStdString(entryPath().string());
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return QStringLiteral("%1: %2").arg(QFileInfo(path).absolutePath(), QStringLiteral("cannot create folder"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return file.errorString();
    file.write(desktopEntryFor(executable).toUtf8());
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

std::optional<QString> unregisterItem()
{
    QFile file(QString::fromStdString(entryPath().string()));
    if (!file.exists())
        return std::nullopt;
    if (!file.remove())
        return file.errorString();
    return std::nullopt;
}

} // namespace LoginItem
