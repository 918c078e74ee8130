#include "platform/Reveal.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDesktopServices>
#include <QFile>
#include <QUrl>

namespace FS {

void reveal(const std::filesystem::path& item)
{
    const QString path = QFile::decodeName(QByteArray::fromStdString(item.native()));
    const QUrl url = QUrl::fromLocalFile(path);
    QDBusInterface fileManager(QStringLiteral("org.freedesktop.FileManager1"),
                               QStringLiteral("/org/freedesktop/FileManager1"),
                               QStringLiteral("org.freedesktop.FileManager1"),
                               QDBusConnection::sessionBus());
    if (fileManager.isValid()) {
        const QDBusMessage reply = fileManager.call(QStringLiteral("ShowItems"),
                                                    QStringList{url.toString(QUrl::FullyEncoded)}, QString());
        if (reply.type() != QDBusMessage::ErrorMessage)
            return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(
        QByteArray::fromStdString(item.parent_path().native()))));
}

} // namespace FS
