// The desktop notices (running low on space, an automatic clean) over a
// private session bus (the test runs under dbus-run-session): a stand-in
// notification service records what it is asked to show and plays the
// user's click back.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QSignalSpy>

#include "app/AutoCleanState.h"
#include "app/LowSpaceWatcher.h"
#include "app/RemovalState.h"
#include "app/ShellState.h"
#include "i18n/L.h"
#include "platform/Fmt.h"
#include "platform/HistoryFile.h"
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
        QString body;
        QStringList actions;
    };
    std::vector<Shown> shown;

public slots:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap&, int)
    {
        shown.push_back({summary, body, actions});
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

TEST_F(NoticeTest, AnAutomaticRunIsKeptAsEveryRemovalAndToldOnlyWhenItFreedSomething)
{
    registerNotifier();
    ShellState shell(false);
    RemovalState removals(shell);
    bool scanning = false;
    AutoCleanState autoClean(removals, [&scanning] { return scanning; });
    QSignalSpy answered(&autoClean.notifications(), &DesktopNotifications::answered);
    QSignalSpy openHistory(&autoClean, &AutoCleanState::openHistory);
    QSignalSpy kept(&removals, &RemovalState::historyKept);

    // A run that freed 1.2 GB: in the history as automatic, in the total, and told.
    Plan::Item item;
    item.group = "caches";
    item.path = "/h/.cache/a";
    item.label = "~/.cache/a";
    item.size = 1'200'000'000;
    Plan::Record plan;
    plan.action = "clean";
    plan.items = {item};
    RemovalOutcome freed;
    freed.freed = 1'200'000'000;
    freed.record = Plan::Outcome::of(plan, Plan::Origin::automatic);
    freed.record->results[0].result = Plan::Result::done;
    autoClean.setRunner([freed] { return AutoClean::Run{{true, {}}, freed}; });
    const qint64 before = removals.totalFreed();
    autoClean.check();
    ASSERT_EVENTUALLY(answered.count() == 1 && kept.count() == 1 && !autoClean.running(), 5000);
    EXPECT_EQ(removals.totalFreed(), before + 1'200'000'000);
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_EQ(notifier.shown[0].title, L("Limpeza automática"));
    EXPECT_EQ(notifier.shown[0].body, LF("O Quillmoor liberou %@", Fmt::bytes(1'200'000'000)));
    EXPECT_TRUE(notifier.shown[0].actions.contains(L("Ver o histórico")));
    const HistoryFile::Reading history = HistoryFile::read(10);
    ASSERT_FALSE(history.records.empty());
    EXPECT_EQ(history.records.front()["origin"].toString(), "auto");
    emit notifier.ActionInvoked(41, "default");
    ASSERT_EVENTUALLY(openHistory.count() == 1, 5000);

    // Nothing due or nothing freed: no notice. The window removing: no run at all.
    autoClean.setRunner([] { return AutoClean::Run{{false, "not due"}, {}}; });
    autoClean.check();
    ASSERT_EVENTUALLY(!autoClean.running(), 5000);
    bool ran = false;
    autoClean.setRunner([&ran] { ran = true; return AutoClean::Run{}; });
    removals.performWork([] { QThread::msleep(300); return RemovalOutcome{}; });
    autoClean.check();
    EXPECT_FALSE(autoClean.running());
    ASSERT_EVENTUALLY(!removals.busy(), 5000);
    QTest::qWait(200);
    scanning = true;  // nor while the window scans
    autoClean.check();
    EXPECT_FALSE(autoClean.running());
    EXPECT_FALSE(ran);
    EXPECT_EQ(notifier.shown.size(), 1u);
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

#include "DesktopNoticeTest.moc"
