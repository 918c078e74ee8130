#include "monitor/DesktopBus.h"

#include <filesystem>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>

#include "i18n/L.h"

namespace DesktopBus {

namespace {

const QString kNm = QStringLiteral("org.freedesktop.NetworkManager");
const QString kUdisks = QStringLiteral("org.freedesktop.UDisks2");
constexpr int kTimeoutMs = 500;  // a sample must never hang on a stuck service
constexpr int kEjectTimeoutMs = 30000;  // flushing a slow stick takes a while

bool serviceThere(const QDBusConnection& bus, const QString& service)
{
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QDBusReply<bool> reply = bus.interface()->isServiceRegistered(service);
    return reply.isValid() && reply.value();
}

QVariant property(const QDBusConnection& bus, const QString& service, const QString& path,
                  const QString& interface, const QString& name)
{
    QDBusInterface properties(service, path, QStringLiteral("org.freedesktop.DBus.Properties"), bus);
    properties.setTimeout(kTimeoutMs);
    const QDBusReply<QDBusVariant> reply = properties.call(QStringLiteral("Get"), interface, name);
    return reply.isValid() ? reply.value().variant() : QVariant();
}

// Calls METHOD with one empty options dictionary; the error text on failure.
std::optional<QString> callWithOptions(const QDBusConnection& bus, const QString& path, const QString& interface,
                                       const QString& method)
{
    QDBusInterface target(kUdisks, path, interface, bus);
    target.setTimeout(kEjectTimeoutMs);
    const QDBusMessage reply = target.call(method, QVariantMap());
    if (reply.type() == QDBusMessage::ErrorMessage)
        return reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
    return std::nullopt;
}

} // namespace

std::optional<QString> wifiName()
{
    const QDBusConnection bus = QDBusConnection::systemBus();
    if (!serviceThere(bus, kNm))
        return std::nullopt;
    const QVariant active = property(bus, kNm, QStringLiteral("/org/freedesktop/NetworkManager"), kNm,
                                     QStringLiteral("ActiveConnections"));
    const auto connections = qdbus_cast<QList<QDBusObjectPath>>(active);
    for (const QDBusObjectPath& connection : connections) {
        const QString iface = kNm + QStringLiteral(".Connection.Active");
        if (property(bus, kNm, connection.path(), iface, QStringLiteral("Type")).toString()
            != QLatin1String("802-11-wireless"))
            continue;
        const auto accessPoint = qdbus_cast<QDBusObjectPath>(
            property(bus, kNm, connection.path(), iface, QStringLiteral("SpecificObject")));
        const QByteArray ssid = property(bus, kNm, accessPoint.path(), kNm + QStringLiteral(".AccessPoint"),
                                         QStringLiteral("Ssid"))
                                    .toByteArray();
        if (!ssid.isEmpty())
            return QString::fromUtf8(ssid);
        const QString id = property(bus, kNm, connection.path(), iface, QStringLiteral("Id")).toString();
        return id.isEmpty() ? std::nullopt : std::optional<QString>(id);
    }
    return std::nullopt;
}

QString udisksBlockPath(const std::string& device)
{
    const std::string name = std::filesystem::path(device).filename().string();
    QString path = QStringLiteral("/org/freedesktop/UDisks2/block_devices/");
    for (const unsigned char c : name) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            path += QChar(c);
        else
            path += QStringLiteral("_%1").arg(c, 2, 16, QChar('0'));
    }
    return path;
}

std::optional<QString> eject(const std::string& device)
{
    const QDBusConnection bus = QDBusConnection::systemBus();
    if (device.rfind("/dev/", 0) != 0 || !serviceThere(bus, kUdisks))
        return L("O serviço de discos não está disponível.");
    const QString block = udisksBlockPath(device);
    if (auto error = callWithOptions(bus, block, kUdisks + QStringLiteral(".Filesystem"), QStringLiteral("Unmount")))
        return error;
    // Unmounted: the rest only makes the device safe to pull; its failure is not the user's concern.
    const QString name = QString::fromStdString(std::filesystem::path(device).filename().string());
    if (name.startsWith(QLatin1String("loop"))) {
        callWithOptions(bus, block, kUdisks + QStringLiteral(".Loop"), QStringLiteral("Delete"));
        return std::nullopt;
    }
    const auto drive = qdbus_cast<QDBusObjectPath>(
        property(bus, kUdisks, block, kUdisks + QStringLiteral(".Block"), QStringLiteral("Drive")));
    if (drive.path().isEmpty() || drive.path() == QLatin1String("/"))
        return std::nullopt;
    const QString driveIface = kUdisks + QStringLiteral(".Drive");
    if (property(bus, kUdisks, drive.path(), driveIface, QStringLiteral("Ejectable")).toBool()
        && !callWithOptions(bus, drive.path(), driveIface, QStringLiteral("Eject")))
        return std::nullopt;
    if (property(bus, kUdisks, drive.path(), driveIface, QStringLiteral("CanPowerOff")).toBool())
        callWithOptions(bus, drive.path(), driveIface, QStringLiteral("PowerOff"));
    return std::nullopt;
}

} // namespace DesktopBus
