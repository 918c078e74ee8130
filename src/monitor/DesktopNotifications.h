#pragma once
// Desktop notices through the freedesktop notification service on the
// session bus (org.freedesktop.Notifications). Sending never waits: the call
// goes out and the service's answer comes back later on the event loop.
// Without a session bus or without the service nothing shows, and nothing
// else happens.
#include <optional>
#include <utility>
#include <vector>

#include <QDBusConnection>
#include <QObject>
#include <QSet>
#include <QString>

class DesktopNotifications : public QObject {
    Q_OBJECT
public:
    // A choice offered on the notice: its key and its label. The key
    // "default" is the click on the notice itself (its label is not shown).
    using Action = std::pair<QString, QString>;

    // The session bus is reached at the first send, not before.
    using QObject::QObject;

    // Shows a notice; returns at once. BODY is plain text.
    void send(const QString& title, const QString& body, const std::vector<Action>& actions);

signals:
    // The user chose ACTION on one of the notices sent from here.
    void actionInvoked(const QString& action);
    // The service answered a send: with the notice's id, or not at all (no
    // service, an error, or no answer in time).
    void answered(bool shown);

private slots:
    void onActionInvoked(uint id, const QString& action);
    void onClosed(uint id, uint reason);

private:
    std::optional<QDBusConnection> bus_;  // from the first send on
    QSet<uint> shown_;  // our notices the service has not closed yet
    // Connects to the session bus and to the service's signals, once.
    void listen();
};
