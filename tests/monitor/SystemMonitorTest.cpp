// The monitor object over recorded sources, and the tray panel's objects over
// the temporary home.
#include <gtest/gtest.h>

#include <atomic>

#include <QSemaphore>
#include <QSignalSpy>
#include <QThread>
#include <QTest>

#include "app/FeatureStates.h"
#include "app/PanelMemory.h"
#include "app/PanelSky.h"
#include "app/SpeedTest.h"
#include "app/TrashEmptying.h"
#include "app/VolumeEject.h"
#include "i18n/L.h"
#include "monitor/SystemMonitor.h"
#include "platform/FS.h"
#include "platform/Prefs.h"
#include "support/Fixtures.h"
#include "support/WaitFor.h"

namespace fs = std::filesystem;

namespace {

std::string recorded(const char* name) { return readFile(fs::path(RECORDED_DIR) / name); }

Monitor::Roots recordedRoots(const std::string& name)
{
    const fs::path root = freshFolder(name);
    Monitor::Roots roots{root / "proc", root / "sys", root / "dev"};
    writeFile(roots.proc / "stat", recorded("stat"));
    writeFile(roots.proc / "meminfo", recorded("meminfo"));
    writeFile(roots.proc / "net/dev", "a\nb\n  wlp2s0: 1000 0 0 0 0 0 0 0 500 0 0 0 0 0 0 0\n");
    writeFile(roots.sys / "class/net/wlp2s0/device/vendor", "0x8086");
    return roots;
}

struct Quiet {
    Quiet()
    {
        auto prefs = Prefs::standard();
        prefs->remove("lastClean");
        prefs->sync();
    }
};

} // namespace

TEST(SystemMonitor, FirstSampleIsQuietTheSecondMeasures)
{
    Quiet quiet;
    const Monitor::Roots roots = recordedRoots("monitor-samples");
    SystemMonitor mon;
    mon.setRoots(roots);
    mon.setWifiSource([] { return std::nullopt; });
    EXPECT_EQ(mon.model(), L("Computador"));  // no product name, no battery: named as Linux names it

    mon.refresh();
    EXPECT_EQ(mon.cpu(), 0.0);
    EXPECT_EQ(mon.down(), 0.0);
    EXPECT_EQ(mon.up(), 0.0);
    EXPECT_EQ(mon.memTotal(), 16303784ull * 1024);
    EXPECT_EQ(mon.memUsed(), (16303784ull - 9045332ull) * 1024);
    EXPECT_FALSE(mon.hasBattery());
    EXPECT_TRUE(mon.wifiText().isEmpty());

    // 100 more busy ticks and 300 idle; 4000 bytes more received
    writeFile(roots.proc / "stat", "cpu  1063368 123751 260587 686060 5478 0 1879 5166 0 0\n");
    writeFile(roots.proc / "net/dev", "a\nb\n  wlp2s0: 5000 0 0 0 0 0 0 0 500 0 0 0 0 0 0 0\n");
    mon.refresh();
    EXPECT_DOUBLE_EQ(mon.cpu(), 0.25);
    EXPECT_GT(mon.down(), 0.0);
    EXPECT_LE(mon.down(), 8000.0);  // at least half a second between the samples
    EXPECT_EQ(mon.up(), 0.0);
    EXPECT_EQ(mon.cpuHistory(), (QList<qreal>{0.0, 0.25}));

    // the stat file disappears: the value stays, the history still grows
    fs::remove(roots.proc / "stat");
    for (int i = 0; i < 60; ++i)
        mon.refresh();
    EXPECT_DOUBLE_EQ(mon.cpu(), 0.25);
    EXPECT_EQ(mon.cpuHistory().size(), 60);
    EXPECT_EQ(mon.memHistory().size(), 60);
    EXPECT_EQ(mon.netHistory().size(), 60);
}

TEST(SystemMonitor, TrashIsMeasuredInTheBackgroundAtMostEveryTwentySeconds)
{
    Quiet quiet;
    SystemMonitor mon;
    mon.setRoots(recordedRoots("monitor-trash"));
    mon.setWifiSource([] { return std::nullopt; });
    writeFile(FS::trashFolder() / "old.bin", std::string(8192, 'x'));
    EXPECT_FALSE(mon.trashKnown());

    mon.start();
    EXPECT_TRUE(mon.running());
    mon.start();  // a restart, never a second timer
    ASSERT_EVENTUALLY(mon.trashKnown(), 5000);
    const qint64 first = mon.trashSizeOrZero();
    EXPECT_GE(first, 8192);

    writeFile(FS::trashFolder() / "more.bin", std::string(65536, 'x'));
    mon.refresh();  // within 20 s: no new measurement
    QTest::qWait(100);
    EXPECT_EQ(mon.trashSizeOrZero(), first);
    mon.refreshTrash();
    ASSERT_EVENTUALLY(mon.trashSizeOrZero() > first, 5000);

    mon.stop();
    EXPECT_FALSE(mon.running());
    fs::remove_all(FS::trashFolder());
}

// The panel's objects wired to the feature states as the panel wires them,
// with sounds off and no cleanup recorded yet.
class PanelTest : public ::testing::Test {
protected:
    Quiet quiet;
    FeatureStates states;
    PanelMemory memory;
    SpeedTest speedTest;
    TrashEmptying trashEmptying;
    VolumeEject ejection;
    PanelSky sky;
    PanelTest()
    {
        memory.setStates(&states.shell, &states.maintenance);
        trashEmptying.setStates(&states.shell, &states.removals);
        ejection.setShell(&states.shell);
        sky.setRemovals(&states.removals);
    }
    // What the confirmation does when it opens: the plan is made in the background.
    void planEmptying()
    {
        trashEmptying.makePlan();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !trashEmptying.plan().isEmpty(); }, 5000));
    }
};

TEST_F(PanelTest, SpeedTestReadsSpeedtestCliAndSaysWhenItCannot)
{
    {
        // without speedtest-cli on PATH, the pill is dimmed and nothing runs
        ScopedEnv path("PATH", freshFolder("no-tools").native());
        SpeedTest bare;
        EXPECT_FALSE(bare.available());
        bare.test();
        EXPECT_FALSE(bare.testing());
    }
    const std::pair<QByteArray, QString> cases[] = {
        {"sh: 1: /usr/bin/networkQuality: not found\n", L("Não foi possível medir agora.")},
        {QByteArray::fromStdString(recorded("speedtest-cli.json")), QStringLiteral("↓ 95\u00A0Mbps   ↑ 12\u00A0Mbps")}};
    QSignalSpy done{&speedTest, &SpeedTest::finished};
    for (const auto& [output, text] : cases) {
        speedTest.setTool([output] { return output; });
        speedTest.test();
        EXPECT_TRUE(speedTest.testing());
        ASSERT_TRUE(done.wait(5000));
        EXPECT_FALSE(speedTest.testing());
        EXPECT_EQ(speedTest.speed(), text);
    }
}

TEST_F(PanelTest, LinuxFreeMemoryRunsTheRamRoutine)
{
    std::vector<Admin::Request> requests;
    states.maintenance.setMaintenanceRunners([](const std::string&) { return Shell::Result{true, {}}; },
                             [&](const Admin::Request& request) {
                                 requests.push_back(request);
                                 return Admin::Reply{true, {}, {QString()}, {}};
                             });
    QSignalSpy done{&memory, &PanelMemory::finished};
    memory.freeRAM();
    if (!std::filesystem::exists("/proc/sys/vm/drop_caches")) {
        EXPECT_FALSE(memory.freeing());  // the routine cannot run here: it says why
        EXPECT_TRUE(states.shell.message().contains(L("Liberar memória")));
        return;
    }
    EXPECT_TRUE(memory.freeing());
    EXPECT_EQ(states.maintenance.maintRunning(), "ram");
    ASSERT_TRUE(done.wait(5000));
    EXPECT_FALSE(memory.freeing());
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].actions, (std::vector<Admin::Action>{{Admin::kDropCaches, {}}}));
    EXPECT_TRUE(states.shell.message().startsWith(L("Liberar memória") + ": "));  // how much the page cache shrank
}

TEST_F(PanelTest, EmptyingTheTrashCountsTheFreedBytesOnceAndTheCleanup)
{
    SystemMonitor mon;
    trashEmptying.setMonitor(&mon);
    sky.setMonitor(&mon);
    QSignalSpy done{&trashEmptying, &TrashEmptying::finished};
    const fs::path files = FS::trashFolder();

    // only a .DS_Store: nothing freed, no cleanup recorded
    writeFile(files / ".DS_Store", "finder");
    const qint64 before = states.removals.totalFreed();
    planEmptying();
    EXPECT_EQ(trashEmptying.plan()["count"].toInt(), 0);  // what the confirmation shows
    trashEmptying.empty();
    ASSERT_TRUE(done.wait(5000));
    EXPECT_EQ(states.removals.totalFreed(), before);
    EXPECT_FALSE(Prefs::standard()->contains("lastClean"));
    EXPECT_EQ(sky.text(), L("Nenhuma limpeza ainda."));

    // Emptied again once finished; a double click on the confirmation runs and counts once.
    std::int64_t total = 0;
    for (int i = 0; i < 200; ++i) {
        total += writeBytes(files / ("part" + std::to_string(i)), 4096);
        writeFile(files.parent_path() / "info" / ("part" + std::to_string(i) + ".trashinfo"), "[Trash Info]\n");
    }
    planEmptying();
    EXPECT_EQ(trashEmptying.plan()["count"].toInt(), 200);
    trashEmptying.empty();
    trashEmptying.empty();
    ASSERT_TRUE(done.wait(5000));
    QTest::qWait(300);  // a second run, if one had started, ends meanwhile
    EXPECT_EQ(done.count(), 2);
    EXPECT_EQ(states.removals.totalFreed(), before + total);
    EXPECT_FALSE(present(files / "part0"));
    EXPECT_FALSE(present(files.parent_path() / "info/part0.trashinfo"));
    EXPECT_TRUE(Prefs::standard()->contains("lastClean"));
    EXPECT_EQ(sky.text(), L("Limpo hoje."));
    ASSERT_EVENTUALLY(mon.trashKnown(), 5000);
    fs::remove_all(files);
}

TEST_F(PanelTest, ALockedEntryGetsTheAdministratorRetryAndIsNamedWhenItStays)
{
    const fs::path files = FS::trashFolder();
    writeFile(files / "locked box/inner.bin", std::string(8192, 'x'));
    LockedPart lock({files / "locked box/inner.bin"});
    SKIP_UNLESS_LOCKED(lock);
    QSignalSpy done{&trashEmptying, &TrashEmptying::finished};
    RecordingAdmin admin;
    admin.answer = Admin::Reply{false, L("Cancelado"), {}, {}};  // the prompt dismissed
    states.removals.setRemovalAdminRunner(admin.runner());
    planEmptying();
    trashEmptying.empty();
    ASSERT_TRUE(done.wait(5000));
    ASSERT_EQ(admin.requests.size(), 1u);
    EXPECT_EQ(admin.requests[0].actions.at(0).verb, Admin::kTrashRemove);
    EXPECT_TRUE(states.shell.message().contains("locked box")) << states.shell.message().toStdString();
    EXPECT_TRUE(states.shell.message().endsWith(L("Cancelado")));

    admin.answer.reset();
    admin.before = [&] { lock.unlock(); };  // what the administrator's rights overcome
    planEmptying();
    trashEmptying.empty();
    ASSERT_TRUE(done.wait(5000));
    EXPECT_FALSE(present(files / "locked box"));
}

TEST_F(PanelTest, ATrashThatIsALinkIsNotEmptiedNorMeasured)
{
    // The Trash folder itself is a link to a folder laid out like a trash.
    const fs::path outside = freshFolder("panel-linked-trash");
    writeFile(outside / "files/thesis.tex", std::string(50000, 't'));
    fs::create_directories(outside / "info");
    const fs::path trash = FS::trashFolder().parent_path();
    fs::remove_all(trash);
    fs::create_directories(trash.parent_path());
    fs::create_directory_symlink(outside, trash);

    SystemMonitor mon;
    mon.refreshTrash();
    ASSERT_EVENTUALLY(mon.trashKnown(), 5000);
    EXPECT_EQ(mon.trashSizeOrZero(), 0);

    const qint64 before = states.removals.totalFreed();
    QSignalSpy done{&trashEmptying, &TrashEmptying::finished};
    planEmptying();
    trashEmptying.empty();
    ASSERT_TRUE(done.wait(5000));
    EXPECT_EQ(readFile(outside / "files/thesis.tex"), std::string(50000, 't'));
    EXPECT_EQ(states.removals.totalFreed(), before);
    EXPECT_EQ(states.shell.message(), L("A Lixeira não é uma pasta real deste usuário e não foi esvaziada."));
    fs::remove(trash);
}

TEST_F(PanelTest, EjectRunsInTheBackgroundAndOnlyForBlockDevices)
{
    const fs::path root = freshFolder("eject");
    fs::create_directories(root / "mnt/STICK");
    fs::create_directories(root / "mnt/SHARE");
    Monitor::Roots roots = recordedRoots("eject-roots");
    writeFile(roots.proc / "self/mountinfo",
              "60 28 7:3 / " + (root / "mnt/STICK").native() + " rw - vfat /dev/loop3 rw\n"
              "61 28 0:52 / " + (root / "mnt/SHARE").native() + " rw - nfs4 nas:/share rw\n");
    SystemMonitor mon;
    mon.setRoots(roots);
    mon.setWifiSource([] { return std::nullopt; });
    mon.refresh();
    ASSERT_EQ(mon.volumes().size(), 2u);
    const QString stick = QString::fromStdString((root / "mnt/STICK").native());
    const QString share = QString::fromStdString((root / "mnt/SHARE").native());
    // The panel offers the button only where UDisks2 can eject.
    QMap<QString, bool> ejectable;
    for (const QVariant& volume : mon.volumeList())
        ejectable[volume.toMap()["path"].toString()] = volume.toMap()["ejectable"].toBool();
    EXPECT_EQ(ejectable, (QMap<QString, bool>{{stick, true}, {share, false}}));

    ejection.setMonitor(&mon);
    QSignalSpy done{&ejection, &VolumeEject::finished};
    QSemaphore release;
    std::atomic<int> calls{0};
    std::atomic<bool> onMainThread{true};
    std::string asked;
    ejection.setEjector([&](const std::string& device) {
        asked = device;
        onMainThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        ++calls;  // last: the test reads the fields above once it sees the call
        release.acquire();  // a slow D-Bus call
        return std::optional<QString>("target is busy");
    });

    ejection.eject(share);  // a network share: nothing is asked of UDisks2
    EXPECT_TRUE(ejection.ejecting().isEmpty());

    // The call returns while the ejector still works; the row shows it, and a
    // second click meanwhile does not eject again.
    ejection.eject(stick);
    EXPECT_EQ(ejection.ejecting(), QStringList{stick});
    ejection.eject(stick);
    ASSERT_EVENTUALLY(calls.load() == 1, 5000);
    EXPECT_FALSE(onMainThread.load());
    EXPECT_EQ(asked, "/dev/loop3");
    release.release();
    ASSERT_TRUE(done.wait(5000));
    EXPECT_EQ(calls.load(), 1);
    EXPECT_TRUE(ejection.ejecting().isEmpty());
    EXPECT_EQ(states.shell.message(), LF("Não foi possível ejetar %@: %@", "STICK", "target is busy"));
}
