// The low-space notice over a private session bus (the test runs under
// dbus-run-session): a stand-in notification service records what it is
// asked to show and plays the user's click back.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QSignalSpy>

#include "app/LowSpaceWatcher.h"
#include "i18n/L.h"
#include "support/WaitFor.h"

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

class FakeNotifier : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Shown {
        QString title;
        QStringList actions;
    };
    std::vector<Shown> shown;

public slots:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString&,
                const QStringList& actions, const QVariantMap&, int)
    {
        shown.push_back({summary, actions});
        return 40 + uint(shown.size());
    }

signals:
    void ActionInvoked(uint id, const QString& action);
    void NotificationClosed(uint id, uint reason);
};

// The service on a connection of its own, as a real one would be.
class NoticeTest : public ::testing::Test {
protected:
    QDBusConnection service = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "fake-notifier");
    FakeNotifier notifier;
    LowSpaceWatcher watcher{{"/home/someone", "/"}};  // two places on one file system

    void SetUp() override
    {
        ASSERT_TRUE(service.isConnected()) << "no session bus: run under dbus-run-session";
        // Low, read at a fixed time.
        watcher.setProbe([](const std::filesystem::path&) {
            return std::optional<LowSpace::Reading>({7, {100 * LowSpace::kGb, 2 * LowSpace::kGb}});
        });
        watcher.setClock([] { return std::int64_t(1'700'000'000'000); });
    }
    void TearDown() override
    {
        service.unregisterService(kService);
        service.unregisterObject(kPath);
    }
    void registerNotifier()
    {
        ASSERT_TRUE(service.registerObject(kPath, &notifier, QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
        ASSERT_TRUE(service.registerService(kService));
    }
};

} // namespace

TEST_F(NoticeTest, OneNoticeWithItsActionWhichOpensTheJunkPage)
{
    registerNotifier();
    QSignalSpy answered(&watcher.notifications(), &DesktopNotifications::answered);
    QSignalSpy open(&watcher, &LowSpaceWatcher::openSection);

    watcher.check();
    ASSERT_EVENTUALLY(answered.count() == 1, 5000);
    EXPECT_TRUE(answered.at(0).at(0).toBool());
    ASSERT_EQ(notifier.shown.size(), 1u);  // one file system under both places
    EXPECT_EQ(notifier.shown[0].title, L("Pouco espaço livre"));
    EXPECT_TRUE(notifier.shown[0].actions.contains("junk"));
    EXPECT_TRUE(notifier.shown[0].actions.contains(L("Limpar lixo")));

    // Another program's notice, clicked: not ours.
    emit notifier.ActionInvoked(99, "junk");
    emit notifier.ActionInvoked(41, "junk");
    ASSERT_EVENTUALLY(open.count() >= 1, 5000);
    EXPECT_EQ(open.count(), 1);
    EXPECT_EQ(open.at(0).at(0).toString(), "junk");

    // Once closed, the notice is forgotten.
    emit notifier.NotificationClosed(41, 2);
    emit notifier.ActionInvoked(41, "default");
    QTest::qWait(200);
    EXPECT_EQ(open.count(), 1);
}

TEST_F(NoticeTest, WithoutTheServiceNothingShowsAndNothingWaits)
{
    QSignalSpy answered(&watcher.notifications(), &DesktopNotifications::answered);
    QSignalSpy open(&watcher, &LowSpaceWatcher::openSection);
    QElapsedTimer clock;
    clock.start();
    watcher.check();
    EXPECT_LT(clock.elapsed(), 100);
    ASSERT_EVENTUALLY(answered.count() == 1, 5000);
    EXPECT_FALSE(answered.at(0).at(0).toBool());
    EXPECT_TRUE(notifier.shown.empty());
    EXPECT_EQ(open.count(), 0);
}

TEST(LowSpaceSettings, StoredAtOnceAndReadByTheNextRun)
{
    {
        LowSpaceWatcher watcher{{}};
        EXPECT_TRUE(watcher.noticeOn());
        EXPECT_EQ(watcher.minimumGb(), 5);
        watcher.setNoticeOn(false);
        watcher.setMinimumGb(20);
        watcher.setMinimumGb(0);  // no figure a check could use
    }
    LowSpaceWatcher later{{}};
    EXPECT_FALSE(later.noticeOn());
    EXPECT_EQ(later.minimumGb(), 20);
    later.setNoticeOn(true);
    later.setMinimumGb(5);
}

#include "LowSpaceNoticeTest.moc"
