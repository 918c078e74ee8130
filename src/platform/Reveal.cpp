// GLib first: its headers use the word "signals", which Qt turns into a macro.
#include <gio/gio.h>
#undef signals

#include "platform/Reveal.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QFile>
#include <QUrl>

namespace FS {

bool reveal(const std::filesystem::path& item)
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
            return true;
    }
    // The folder, with whatever the desktop opens folders with (as xdg-open
    // does); GLib says when nothing is registered for them.
    const QByteArray folder = QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(
                                                      item.parent_path().native())))
                                  .toEncoded();
    GError* error = nullptr;
    const bool opened = g_app_info_launch_default_for_uri(folder.constData(), nullptr, &error);
    g_clear_error(&error);
    return opened;
}

} // namespace FS
