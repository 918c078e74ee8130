#include "monitor/DesktopNotifications.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

#include "platform/Installation.h"

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// A service started on demand may take a moment; nobody waits for it anyway.
constexpr int kAnswerTimeoutMs = 10000;

} // namespace

void DesktopNotifications::listen()
{
    if (bus_)
        return;
    // Reached only now: a run that never warns never connects for it.
    bus_ = QDBusConnection::sessionBus();
    if (!bus_->isConnected())
        return;
    bus_->connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                 SLOT(onActionInvoked(uint, QString)));
    bus_->connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                 SLOT(onClosed(uint, uint)));
}

void DesktopNotifications::send(const QString& title, const QString& body, const std::vector<Action>& actions)
{
    listen();
    if (!bus_->isConnected()) {
        emit answered(false);
        return;
    }
    QStringList actionList;
    for (const auto& [key, label] : actions)
        actionList << key << label;
    const QVariantMap hints{
        {QStringLiteral("desktop-entry"), QString::fromLatin1(Installation::kAppId)},
        {QStringLiteral("urgency"), QVariant::fromValue(uchar(1))},  // normal
    };
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    // Services that read markup in the body would take a "<" or "&" in a
    // folder's name for a tag; escaped, every service shows the text as written.
    call << QStringLiteral("Quillmoor") << uint(0) << QString::fromLatin1(Installation::kAppId) << title
         << body.toHtmlEscaped() << actionList << hints << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(bus_->asyncCall(call, kAnswerTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
        done->deleteLater();
        const QDBusPendingReply<uint> reply = *done;
        if (reply.isError()) {
            qInfo("notice not shown: %s", qPrintable(reply.error().message()));
            emit answered(false);
            return;
        }
        shown_.insert(reply.value());
        emit answered(true);
    });
}

void DesktopNotifications::onActionInvoked(uint id, const QString& action)
{
    // Every program's notices are announced to all: only ours count.
    if (shown_.contains(id))
        emit actionInvoked(action);
}

void DesktopNotifications::onClosed(uint id, uint)
{
    shown_.remove(id);
}
