// Loads the real main window offscreen over a temporary home, visits every
// section, the overlays, the alert and the settings window, writes a PNG of
// each, checks that each shows what it must (so a blank page fails), drives
// the sidebar by mouse and keyboard, and fails any test during which a
// warning was written (a QML warning is a broken screen).
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <tuple>

#include <QApplication>
#include <QDir>
#include <QQmlApplicationEngine>
#include <QQmlComponent>
#include <QQuickItem>
#include <QQuickStyle>
#include <QPainter>
#include <QPointer>
#include <QQuickWindow>
#include <QSettings>
#include <QTest>
#include <QThread>
#include <QTextLayout>
#include <QtQml/qqmlextensionplugin.h>

#include "app/AppState.h"
#include "engines/Sweeper.h"
#include "app/MaintenanceModel.h"
#include "app/PanelActions.h"
#include "space/SpaceModel.h"
#include "ui/OrbitMapItem.h"
#include "i18n/L.h"
#include "i18n/Lang.h"
#include "monitor/SystemMonitor.h"
#include "platform/FS.h"
#include "platform/Paths.h"
#include "platform/Prefs.h"
#include "profiles/LinuxStartup.h"
#include "platform/Shell.h"
#include "profiles/Profile.h"
#include "support/Bundles.h"
#include "support/DesktopFixture.h"
#include "support/TempHome.h"
#include "ui/Fonts.h"
#include "ui/Symbols.h"
#include "support/WaitFor.h"

Q_IMPORT_QML_PLUGIN(QuillmoorPlugin)

namespace {

QStringList g_warnings;

void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    // The offscreen platform cannot raise a window; that is the test bed, not the screen.
    if (text == QLatin1String("This plugin does not support raise()"))
        return;
    g_warnings << text;
    fprintf(stderr, "WARNING: %s\n", qPrintable(text));
}

// AppState with the protected setters opened up for the test.
class TestState : public AppState {
public:
    TestState() : AppState(nullptr) {}
    using AppState::setFda;
    using AppState::setJunkCurrent;
    using AppState::setJunkGroups;
    using AppState::setJunkScanning;
    using AppState::setJunkLive;
    using AppState::setLargeProgress;
    using AppState::setLargeScanning;
};

JunkGroup fixtureGroup(const QString& id, const QString& title, bool permanent,
                       std::initializer_list<std::tuple<const char*, std::int64_t, bool>> items)
{
    JunkGroup group;
    group.id = id;
    group.title = title;
    group.detail = "~/Library/Caches";
    group.symbol = id == "trash" ? "trash.fill" : "shippingbox.fill";
    group.permanent = permanent;
    for (const auto& [name, size, selected] : items) {
        JunkItem item;
        item.url = std::string("/home/demo/.cache/") + name;
        item.name = name;
        item.size = size;
        item.selected = selected;
        group.items.push_back(item);
    }
    return group;
}

// Five groups, so the overview shows only the four largest.
std::vector<JunkGroup> fixtureGroups()
{
    return {
        fixtureGroup("caches", "Caches de apps", true,
                     {{"com.example.editor", 812'000'000, true}, {"com.apple.Safari", 120'000'000, false},
                      {"org.mozilla.firefox", 96'000'000, true}}),
        fixtureGroup("logs", "Logs e relatórios de falha", true, {{"DiagnosticReports", 42'000'000, true}}),
        fixtureGroup("dotcache", "Cache de ferramentas (~/.cache)", true,
                     {{"pip", 1'400'000'000, false}, {"huggingface", 3'100'000'000, false}}),
        fixtureGroup("installers", "Instaladores em Downloads", false, {{"Setup-2.4.iso", 2'300'000'000, false}}),
        fixtureGroup("trash", "Lixeira", true, {{"old-report.pdf", 3'000'000, true}}),
    };
}

void writeFile(const std::filesystem::path& path, std::size_t bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << std::string(bytes, 'x');
}

QString languageCode()
{
    static const char* const codes[] = {"en", "es", "it", "fr", "de", "ja", "zh", "ar"};
    return appLang() == Lang::pt ? QStringLiteral("pt") : QString::fromLatin1(codes[rawValue(appLang())]);
}

class UiTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // a freed total from earlier runs, so the sidebar shows a figure
        auto prefs = Prefs::standard();
        prefs->setValue("totalFreed", 12'400'000'000LL);
        // no audio device in the test bed: keep the effects quiet
        prefs->setValue("soundEnabled", false);
        prefs->sync();

        state = new TestState();
        // this machine's applications stay out: the pages list fixtures only
        state->setAppPlaces({.bundleFolders = {}, .entries = {}, .tools = [](const std::string&) {
                                 return Shell::Result{false, {}};
                             }, .home = FS::home()});
        engine = new QQmlApplicationEngine();
        engine->addImportPath("qrc:/");
        engine->load(QUrl("qrc:/Quillmoor/Main.qml"));
        ASSERT_EQ(engine->rootObjects().size(), 1);
        window = qobject_cast<QQuickWindow*>(engine->rootObjects().first());
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        outDir = qEnvironmentVariable("QUILLMOOR_SNAPSHOT_DIR", QDir::currentPath() + "/ui-snapshots");
        QDir().mkpath(outDir);
    }
    static void TearDownTestSuite()
    {
        delete engine;
        delete state;
    }
    // Every test answers for the warnings written while it ran (the first one
    // also for those of loading the window), whatever order the tests run in.
    void TearDown() override
    {
        EXPECT_TRUE(g_warnings.isEmpty()) << qPrintable(g_warnings.join("\n"));
        g_warnings.clear();
    }

    // The texts of the Text items a person can see in W: visible, not
    // transparent, with a size, and inside the window (those under SKIP left out).
    static QStringList shownTexts(QQuickWindow* w, const QQuickItem* skip = nullptr)
    {
        QStringList texts;
        const QRectF inside(QPointF(0, 0), QSizeF(w->size()));
        QList<QQuickItem*> pending{w->contentItem()};
        while (!pending.isEmpty()) {
            QQuickItem* item = pending.takeFirst();
            if (!item->isVisible() || item->opacity() <= 0.01 || item == skip)
                continue;
            pending << item->childItems();
            const QVariant text = item->property("text");
            if (!item->inherits("QQuickText") || text.toString().trimmed().isEmpty() || item->width() <= 0)
                continue;
            if (item->mapRectToScene(QRectF(0, 0, item->width(), item->height())).intersects(inside))
                texts << text.toString();
        }
        return texts;
    }

    // Whether a text ending in EXPECTED (Arabic texts carry a direction mark in front) can be seen in W.
    static bool shows(QQuickWindow* w, const QString& expected)
    {
        for (const QString& text : shownTexts(w))
            if (text.endsWith(expected))
                return true;
        return false;
    }

    // The header of the page in view shows its eyebrow and its headline.
    static void expectPageHeader(const QString& what)
    {
        QQuickItem* header = nullptr;
        QList<QQuickItem*> pending{window->contentItem()};
        while (!pending.isEmpty() && !header) {
            QQuickItem* item = pending.takeFirst();
            if (!item->isVisible())
                continue;
            if (item->property("l1").isValid() && item->property("eyebrow").isValid())
                header = item;
            pending << item->childItems();
        }
        ASSERT_NE(header, nullptr) << qPrintable(what);
        const QString l1 = header->property("l1").toString();
        EXPECT_FALSE(l1.isEmpty()) << qPrintable(what);
        EXPECT_TRUE(shows(window, l1)) << qPrintable(what + ": " + l1);
        EXPECT_TRUE(shows(window, header->property("eyebrow").toString())) << qPrintable(what);
    }

    static void settle(int ms = 450) { QTest::qWait(ms); }

    static void snap(QQuickWindow* w, const QString& name)
    {
        const QImage image = w->grabWindow();
        ASSERT_FALSE(image.isNull());
        const QString path = outDir + "/" + languageCode() + "-" + name + ".png";
        ASSERT_TRUE(image.save(path)) << qPrintable(path);
    }

    static QQuickItem* find(const char* name)
    {
        return window->findChild<QQuickItem*>(name);
    }

    // The first visible item with that object name (pages keep hidden copies),
    // searched through the visual tree so delegates and popups are found too.
    static QQuickItem* findVisible(const QString& name)
    {
        QList<QQuickItem*> pending{window->contentItem()};
        while (!pending.isEmpty()) {
            QQuickItem* item = pending.takeFirst();
            if (item->objectName() == name && item->isVisible())
                return item;
            pending << item->childItems();
        }
        return nullptr;
    }

    static void click(QQuickItem* item)
    {
        ASSERT_NE(item, nullptr);
        const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
        QTest::mouseClick(item->window(), Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    }

    static TestState* state;
    static QQmlApplicationEngine* engine;
    static QQuickWindow* window;
    static QString outDir;
};

TestState* UiTest::state = nullptr;
QQmlApplicationEngine* UiTest::engine = nullptr;
QQuickWindow* UiTest::window = nullptr;
QString UiTest::outDir;

TEST_F(UiTest, MainWindowHasItsIdentityAndMinimumSize)
{
    EXPECT_EQ(window->objectName(), "main");
    const int typeId = qmlTypeId("Quillmoor", 1, 0, "AppState");
    EXPECT_EQ(engine->singletonInstance<AppState*>(typeId), state);
    EXPECT_EQ(window->title(), "Quillmoor");
    EXPECT_GE(window->minimumWidth(), 1080);
    EXPECT_GE(window->minimumHeight(), 700);
    const bool rtl = appLang() == Lang::ar;
    auto* root = find("rootView");
    ASSERT_NE(root, nullptr);
    // Arabic mirrors the window: the sidebar moves to the right-hand side.
    auto* sidebar = find("sidebar");
    ASSERT_NE(sidebar, nullptr);
    const QPointF topLeft = sidebar->mapToScene(QPointF(0, 0));
    if (rtl)
        EXPECT_GT(topLeft.x(), window->width() / 2);
    else
        EXPECT_LT(topLeft.x(), 1);
}

TEST_F(UiTest, EverySectionRenders)
{
    for (const QVariant& entry : state->sections()) {
        const QString id = entry.toMap().value("id").toString();
        state->setSection(id);
        settle();
        EXPECT_EQ(state->section(), id);
        snap(window, "section-" + id);
        expectPageHeader(id);
        EXPECT_GE(shownTexts(window, find("sidebar")).size(), 5) << qPrintable(id);  // not a blank page
    }
    state->setSection("");  // no section: the overview page, no item active
    settle();
    snap(window, "no-section");
    expectPageHeader("no section");
    state->setSection("overview");
    settle();
}

TEST_F(UiTest, OverlaysRender)
{
    state->setBusy(true);
    settle();
    snap(window, "busy");
    EXPECT_TRUE(findVisible("busyOverlay") != nullptr);
    EXPECT_TRUE(shows(window, L("Removendo os itens selecionados…")));
    state->setBusy(false);
    settle();
    EXPECT_EQ(findVisible("busyOverlay"), nullptr);

    state->setCelebrate(Celebration{1'230'000'000, 340'000'000});
    QTest::qWait(3400);  // the count-up and the fog have run
    snap(window, "celebration-freed");
    auto* amount = find("celebrationAmount");
    ASSERT_NE(amount, nullptr);
    EXPECT_FALSE(amount->property("text").toString().isEmpty());
    state->dismissCelebration();
    settle();

    state->setCelebrate(Celebration{0, 560'000'000});
    QTest::qWait(3400);
    snap(window, "celebration-trashed");
    state->dismissCelebration();
    settle();
}

TEST_F(UiTest, MessageAlertShowsAndDismissingClearsIt)
{
    state->setMessage("3 itens não puderam ser removidos (em uso ou protegidos pelo sistema): a, b, c");
    settle();
    snap(window, "message");
    EXPECT_TRUE(shows(window, "a, b, c"));
    // Escape dismisses the alert, which clears the message.
    QTest::keyClick(window, Qt::Key_Escape);
    settle();
    EXPECT_EQ(findVisible("confirmButton"), nullptr);
    EXPECT_FALSE(state->hasMessage());
}

TEST_F(UiTest, FullDiskAccessBannerRenders)
{
    state->setFda(false);
    QQmlComponent component(engine);
    component.setData("import QtQuick\nimport QtQuick.Controls.Basic\nimport Quillmoor\n"
                      "ApplicationWindow { width: 820; height: 160; visible: true; color: DS.bg\n"
                      "  LayoutMirroring.enabled: I18n.rightToLeft; LayoutMirroring.childrenInherit: true\n"
                      "  AppBackground { anchors.fill: parent }\n"
                      "  FDABanner { x: 20; y: 20; width: parent.width - 40 } }",
                      QUrl("qrc:/Quillmoor/BannerHarness.qml"));
    std::unique_ptr<QObject> object(component.create());
    ASSERT_NE(object, nullptr) << qPrintable(component.errorString());
    auto* w = qobject_cast<QQuickWindow*>(object.get());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    settle();
    snap(w, "fda-banner");
    EXPECT_TRUE(shows(w, L("Acesso Total ao Disco desativado")));
    state->setFda(true);
}

TEST_F(UiTest, SettingsWindowRenders)
{
    auto* settings = window->findChild<QQuickWindow*>("settings");
    ASSERT_NE(settings, nullptr);
    QMetaObject::invokeMethod(settings, "open");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(settings));
    settle();
    snap(settings, "settings");
    EXPECT_TRUE(shows(settings, L("Geral")));
    EXPECT_TRUE(shows(settings, L("Sons")));
    settings->close();
    settle();
}

TEST_F(UiTest, SidebarFollowsMouseAndKeyboard)
{
    state->setSection("overview");
    settle();
    auto* sidebar = find("sidebar");
    ASSERT_NE(sidebar, nullptr);
    // Click the third item ("Arquivos grandes"): rows are 36 high below the header.
    QList<QQuickItem*> rows;
    QList<QQuickItem*> pending{sidebar};
    while (!pending.isEmpty()) {
        QQuickItem* item = pending.takeLast();
        if (item->property("section").isValid() && item->property("active").isValid())
            rows << item;
        pending << item->childItems();
    }
    ASSERT_EQ(rows.size(), 7);
    std::sort(rows.begin(), rows.end(), [](QQuickItem* a, QQuickItem* b) {
        return a->mapToScene({0, 0}).y() < b->mapToScene({0, 0}).y();
    });
    const QPointF centre = rows[2]->mapToScene(QPointF(rows[2]->width() / 2, rows[2]->height() / 2));
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    settle(200);
    EXPECT_EQ(state->section(), "large");

    // Keyboard: focus the fourth item, move down one, press Return.
    rows[3]->forceActiveFocus();
    QTest::keyClick(window, Qt::Key_Down);
    QTest::keyClick(window, Qt::Key_Return);
    settle(200);
    EXPECT_EQ(state->section(), "orbitMap");
    state->setSection("overview");
    settle();
}

TEST_F(UiTest, JunkPageBeforeDuringAndAfterAScan)
{
    state->setSection("junk");
    settle();
    snap(window, "junk-idle");
    expectPageHeader("junk-idle");

    state->setJunkScanning(true);
    state->setJunkCurrent("Caches de apps");
    state->setJunkLive(1'234'000'000);
    settle(900);
    snap(window, "junk-scanning");
    EXPECT_TRUE(shows(window, L("Encontrado")));
    state->setSection("overview");
    settle(900);
    snap(window, "overview-scanning");
    // the line names the rule being checked (Arabic isolates the name with direction marks)
    EXPECT_TRUE(shownTexts(window).join('\n').contains("Caches de apps"));

    state->setJunkGroups(fixtureGroups());
    state->setJunkScanning(false);
    state->setJunkScanned(true);
    settle(900);
    snap(window, "overview-scanned");
    // four tiles, the largest groups first
    const QVariantList tiles = state->largestJunkGroups();
    ASSERT_EQ(tiles.size(), 4);
    EXPECT_EQ(tiles.first().toMap().value("total").toLongLong(), 4'500'000'000);

    state->setSection("junk");
    settle(900);
    snap(window, "junk-scanned");
    ASSERT_NE(findVisible("actionBarPrimary"), nullptr);
    EXPECT_TRUE(findVisible("actionBarPrimary")->isEnabled());  // ticked items: the button is live
    EXPECT_TRUE(shows(window, "Caches de apps") || shows(window, L("Caches de apps")));
    auto* card = findVisible("junkCard-caches");
    ASSERT_NE(card, nullptr);
    card->setProperty("expanded", true);
    settle();
    snap(window, "junk-expanded");

    // the group's box: mixed (two of three) → all on → all off
    EXPECT_TRUE(findVisible("groupCheck-caches")->property("mixed").toBool());
    click(findVisible("groupCheck-caches"));
    settle(100);
    EXPECT_TRUE(findVisible("groupCheck-caches")->property("on").toBool());
    click(findVisible("groupCheck-caches"));
    settle(100);
    EXPECT_FALSE(findVisible("groupCheck-caches")->property("on").toBool());
    EXPECT_FALSE(findVisible("groupCheck-caches")->property("mixed").toBool());

    // the confirmation names the emptying of the Trash only while its group is ticked
    ASSERT_TRUE(state->trashWillEmpty());
    click(findVisible("actionBarPrimary"));
    settle();
    snap(window, "junk-confirm");
    auto* message = findVisible("confirmMessage");
    ASSERT_NE(message, nullptr);
    const QString withTrash = message->property("text").toString();
    QTest::keyClick(window, Qt::Key_Escape);
    settle();
    state->toggleJunkGroup("trash");
    EXPECT_FALSE(state->trashWillEmpty());
    click(findVisible("actionBarPrimary"));
    settle();
    const QString withoutTrash = findVisible("confirmMessage")->property("text").toString();
    EXPECT_GT(withTrash.size(), withoutTrash.size());
    QTest::keyClick(window, Qt::Key_Escape);
    settle();
}

TEST_F(UiTest, ScanAndCleanFromTheOverviewEndToEnd)
{
    // A home with junk: a tool cache, an installer and something in the Trash.
    const std::filesystem::path home = FS::home();
    writeFile(home / ".cache/toolA/blob.bin", 300'000);
    writeFile(home / "Downloads/Setup-9.iso", 200'000);
    const std::filesystem::path trashFiles = FS::trashFolder();
    writeFile(trashFiles / "old-notes.txt", 100'000);
    writeFile(trashFiles.parent_path() / "info/old-notes.txt.trashinfo", 10);

    state->setJunkGroups({});
    state->setJunkScanned(false);
    state->setSection("overview");
    settle();
    const qint64 freedBefore = state->totalFreed();

    click(findVisible("startScanButton"));
    ASSERT_EVENTUALLY(state->junkScanned() && !state->junkScanning(), 20000);
    std::vector<QString> ids;
    for (const JunkGroup& group : state->junkGroups())
        ids.push_back(group.id);
    EXPECT_EQ(ids, (std::vector<QString>{"caches", "installers", "trash"}));
    settle(900);
    snap(window, "overview-real-scan");

    // The cache starts ticked, the installer does not: leave both as they are.
    click(findVisible("cleanNowButton"));
    settle();
    click(findVisible("confirmButton"));
    ASSERT_EVENTUALLY(state->celebrating(), 20000);
    settle(2000);
    snap(window, "celebration-after-clean");

    EXPECT_FALSE(std::filesystem::exists(home / ".cache/toolA"));
    EXPECT_FALSE(std::filesystem::exists(trashFiles / "old-notes.txt"));
    EXPECT_FALSE(std::filesystem::exists(trashFiles.parent_path() / "info/old-notes.txt.trashinfo"));
    EXPECT_TRUE(std::filesystem::exists(home / "Downloads/Setup-9.iso"));
    EXPECT_GT(state->totalFreed(), freedBefore);
    EXPECT_EQ(Prefs::readInt(*Prefs::standard(), "totalFreed"), state->totalFreed());
    // the removed items are pruned from the result; the installer stays listed
    ids.clear();
    for (const JunkGroup& group : state->junkGroups())
        ids.push_back(group.id);
    EXPECT_EQ(ids, (std::vector<QString>{"installers"}));
    state->dismissCelebration();
    settle();
}

TEST_F(UiTest, LinuxJunkPageFromARealScanWithAnItemInUse)
{
    // What a Linux desktop leaves: caches (one held open by a running
    // program), thumbnails, a developer cache, installers and the Trash.
    const std::filesystem::path home = FS::home();
    writeFile(home / ".cache/mozilla/firefox/cache2/entries/A1", 900'000);
    writeFile(home / ".cache/fontconfig/abc-le64.cache-8", 120'000);
    writeFile(home / ".cache/thumbnails/normal/0f3a.png", 60'000);
    writeFile(home / ".npm/_cacache/content-v2/sha512/aa", 400'000);
    writeFile(home / "Downloads/tool_2.1_amd64.deb", 700'000);
    writeFile(home / "Downloads/Editor-x86_64.AppImage", 500'000);
    writeFile(FS::trashFolder() / "old-draft.odt", 80'000);
    writeFile(FS::trashFolder().parent_path() / "info/old-draft.odt.trashinfo", 10);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::filesystem::path held = home / ".cache/mozilla/firefox/cache2/entries/A1";
    posix_spawn_file_actions_addopen(&actions, 3, held.c_str(), O_RDONLY, 0);
    char seconds[] = "60";
    char* args[] = {const_cast<char*>("/bin/sleep"), seconds, nullptr};
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, "/bin/sleep", &actions, nullptr, args, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    QThread::msleep(300);  // until the child runs sleep itself

    // The active profile's catalogue scanned as AppState::scanJunk does, its
    // result shown on the overview and then on the junk page.
    state->setSection("overview");
    settle();
    state->setJunkGroups(Sweeper::scanJunk(Profiles::active().junk.rules()));
    state->setJunkScanned(true);
    settle(900);
    snap(window, "overview-linux");
    state->setSection("junk");
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);

    std::vector<QString> ids;
    for (const JunkGroup& group : state->junkGroups())
        ids.push_back(group.id);
    EXPECT_EQ(ids, (std::vector<QString>{"caches", "thumbnails", "devcache", "installers", "trash"}));
    const JunkGroup& caches = state->junkGroups().front();
    ASSERT_FALSE(caches.items.empty());
    EXPECT_EQ(caches.items.front().name, "mozilla");
    EXPECT_FALSE(caches.items.front().selected);
    EXPECT_EQ(caches.items.front().note, LF("Em uso por %@", QStringLiteral("sleep")));

    settle(900);
    snap(window, "junk-linux");
    state->setSection("overview");
    settle(900);
    std::filesystem::remove_all(home / ".cache");
    std::filesystem::remove_all(home / ".npm");
    std::filesystem::remove_all(home / "Downloads");
    state->setJunkGroups({});
    state->setJunkScanned(false);
    settle();
}

TEST_F(UiTest, LargeFilesFoundChosenAndTrashed)
{
    // Two big files the walk must find (sparse: cheap to make), and big files
    // in places it must never look.
    const std::filesystem::path home = FS::home();
    auto sparse = [](const std::filesystem::path& path, std::uintmax_t bytes) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path).close();
        std::filesystem::resize_file(path, bytes);
    };
    sparse(home / "Videos/holiday 2024.mkv", 180'000'000);
    sparse(home / "Projects/backup.tar", 120'000'000);
    sparse(home / "Library/Caches/huge.bin", 900'000'000);
    sparse(home / ".hidden/huge.bin", 900'000'000);

    state->setSection("large");
    settle();
    snap(window, "large-idle");
    expectPageHeader("large-idle");

    // the threshold choice does not start a scan
    click(findVisible("thresholdChoice")->childItems().first()->childItems().first());
    settle(200);
    EXPECT_EQ(state->largeMin(), 100'000'000);
    EXPECT_FALSE(state->largeScanning());

    state->setLargeScanning(true);
    state->setLargeProgress(48'000);
    settle(600);
    snap(window, "large-scanning");
    state->setLargeScanning(false);
    settle();

    click(findVisible("scanIntroButton"));
    ASSERT_EVENTUALLY(state->largeScanned() && !state->largeScanning(), 20000);
    ASSERT_EQ(state->largeCount(), 2);
    EXPECT_EQ(state->largeFiles()[0].url.filename(), "holiday 2024.mkv");  // largest first
    settle();
    snap(window, "large-scanned");

    state->toggleLargeFile(state->largeFiles()[1].id.toString(QUuid::WithoutBraces));
    EXPECT_EQ(state->largeSelectedTotal(), 120'000'000);
    click(findVisible("actionBarPrimary"));
    settle();
    snap(window, "large-confirm");
    click(findVisible("confirmButton"));
    ASSERT_EVENTUALLY(!state->busy() && state->largeCount() == 1, 20000);
    EXPECT_FALSE(std::filesystem::exists(home / "Projects/backup.tar"));
    EXPECT_TRUE(std::filesystem::exists(FS::trashFolder() / "backup.tar"));
    EXPECT_TRUE(std::filesystem::exists(home / "Videos/holiday 2024.mkv"));
    ASSERT_EVENTUALLY(state->celebrating(), 5000);
    state->dismissCelebration();
    settle();
}

TEST_F(UiTest, UninstallerPicksAnAppAndUninstallsIt)
{
    Profiles::choose("macos");  // application bundles
    const std::filesystem::path apps = FS::home() / "fixture-apps";
    const std::filesystem::path lib = FS::home() / "Library";
    makeBundle(apps, "Notely", "com.maker.notely", "4.2.1", 180'000);
    makeBundle(apps, "Brushwork", "io.brush.work", "1.0", 60'000);
    makeBundle(apps, "Zip Tool", "org.zip.tool", "", 20'000);
    writeBytes(lib / "Caches/com.maker.notely/cache.db", 90'000);
    writeBytes(lib / "Application Support/Notely/notes.db", 40'000);
    writeBytes(lib / "Preferences/com.maker.notely.plist", 300);
    state->setAppFolders({apps});
    state->loadApps();
    ASSERT_TRUE(QTest::qWaitFor([&] { return state->appCount() == 3 && state->appSizes().size() == 3; }, 10000));

    state->setSection("uninstaller");
    settle();
    snap(window, "uninstaller-list");
    expectPageHeader("uninstaller-list");
    EXPECT_TRUE(shows(window, "Notely"));
    EXPECT_TRUE(shows(window, "Brushwork"));

    const std::filesystem::path notely = apps / "Notely.app";
    click(findVisible("appRow"));  // the first row: Brushwork
    ASSERT_TRUE(QTest::qWaitFor([&] { return !state->appLoading() && state->appFiles().size() == 1; }, 10000));
    state->selectApp(QString::fromStdString(notely.native()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !state->appLoading() && state->appFiles().size() == 4; }, 10000));
    EXPECT_EQ(state->appFiles()[0].url, notely);
    settle();
    snap(window, "uninstaller-selected");

    click(findVisible("actionBarPrimary"));
    settle();
    snap(window, "uninstaller-confirm");
    click(findVisible("confirmButton"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !state->busy() && state->appCount() == 2; }, 20000));
    EXPECT_TRUE(std::filesystem::exists(FS::trashFolder() / "Notely.app"));
    EXPECT_FALSE(std::filesystem::exists(lib / "Caches/com.maker.notely"));
    EXPECT_EQ(state->selectedApp(), "");
    ASSERT_TRUE(QTest::qWaitFor([&] { return state->celebrating(); }, 5000));
    state->dismissCelebration();
    settle();
    Profiles::choose("linux");
}

// A square PNG of one colour, as an application's icon.
void writeIcon(const std::filesystem::path& path, QColor colour)
{
    std::filesystem::create_directories(path.parent_path());
    QImage image(48, 48, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(colour);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(4, 4, 40, 40), 9, 9);
    painter.end();
    image.save(QString::fromStdString(path.string()));
}

TEST_F(UiTest, UninstallerOnLinuxRemovesThroughEachOwner)
{
    DesktopFixture fx;
    fx.populate();
    const auto pixmaps = fx.root / "usr/share/pixmaps";
    writeIcon(pixmaps / "mini.xterm.png", QColor("#3a3a3a"));
    writeIcon(fx.home / ".local/share/icons/hicolor/48x48/apps/notes.png", QColor("#f2b233"));
    writeIcon(fx.root / "usr/share/icons/hicolor/48x48/apps/gvim.png", QColor("#2e9e4f"));
    // Notes (an AppImage) and what it left: one folder another program answers to as well
    DesktopFixture::entry(fx.user, "appimagekit-notes.desktop",
                          "Name=Notes\nStartupWMClass=Notes\nIcon=notes\nExec="
                              + (fx.home / "Apps/Notes-2.1.AppImage").string() + " %U\n");
    DesktopFixture::program(fx.root / "opt/sync/notes-sync");
    DesktopFixture::entry(fx.user, "notes-sync.desktop",
                          "Name=Notes Sync\nStartupWMClass=appimagekit-notes\nExec="
                              + (fx.root / "opt/sync/notes-sync").string() + "\n");
    writeBytes(fx.home / ".config/Notes/settings.json", 12'000);
    writeBytes(fx.home / ".cache/notes/thumbs.db", 240'000);
    writeBytes(fx.home / ".local/share/appimagekit-notes/index", 30'000);
    writeBytes(fx.home / ".config/xterm/settings", 4'000);

    state->setAppPlaces({.bundleFolders = {}, .entries = fx.sources(), .tools = fx.runner(), .home = fx.home});
    state->setRemovalAdminRunner([](const std::string&) { return Shell::Result{false, "not in the UI test"}; });
    state->selectApp({});
    state->loadApps();
    ASSERT_TRUE(QTest::qWaitFor([&] { return state->appCount() == 10 && state->appSizes().size() >= 10; }, 10000));
    state->setSection("uninstaller");
    settle(700);
    snap(window, "uninstaller-linux-list");

    const auto idOf = [&](const QString& name) {
        for (const AppInfo& app : state->apps())
            if (app.name == name)
                return app.id();
        return QString();
    };
    const auto choose = [&](const QString& name) {
        state->selectApp(idOf(name));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !state->appLoading(); }, 10000));
        settle();
    };

    // a package: its plan is named in the confirmation
    choose("XTerm");
    snap(window, "uninstaller-linux-package");
    click(findVisible("actionBarPrimary"));
    settle();
    QQuickItem* message = findVisible("confirmMessage");
    ASSERT_NE(message, nullptr);
    EXPECT_TRUE(message->property("text").toString().contains("UXTerm, XTerm"));
    snap(window, "uninstaller-linux-confirm");
    QTest::keyClick(window, Qt::Key_Escape);
    settle();

    // nobody owns it: the uninstall button is off and says why
    choose("Shop Tool");
    EXPECT_FALSE(findVisible("actionBarPrimary")->isEnabled());
    EXPECT_EQ(state->selectedAppInfo()["why"].toString(), L("Nada instalou esta entrada: não há o que desinstalar."));
    snap(window, "uninstaller-linux-none");

    // an AppImage: the file and its entry go to the Trash with the ticked leftovers
    choose("Notes");
    ASSERT_GE(state->appFiles().size(), 4u);
    const auto shared = std::find_if(state->appFiles().begin(), state->appFiles().end(),
                                     [&](const JunkItem& i) { return i.url == fx.home / ".local/share/appimagekit-notes"; });
    ASSERT_NE(shared, state->appFiles().end());
    EXPECT_FALSE(shared->selected);
    EXPECT_EQ(shared->note, LF("Também usado por %@", "Notes Sync"));
    ASSERT_NE(findVisible("appFileNote"), nullptr);
    snap(window, "uninstaller-linux-appimage");
    click(findVisible("actionBarPrimary"));
    settle();
    click(findVisible("confirmButton"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !state->busy() && state->appCount() == 9; }, 20000));
    const std::filesystem::path trash = FS::trashFolder();
    EXPECT_TRUE(std::filesystem::exists(trash / "Notes-2.1.AppImage"));
    EXPECT_TRUE(std::filesystem::exists(trash / "appimagekit-notes.desktop"));
    EXPECT_FALSE(std::filesystem::exists(fx.home / "Apps/Notes-2.1.AppImage"));
    EXPECT_FALSE(std::filesystem::exists(fx.home / ".cache/notes"));
    EXPECT_TRUE(std::filesystem::exists(fx.home / ".local/share/appimagekit-notes/index"));  // unticked: kept
    ASSERT_TRUE(QTest::qWaitFor([&] { return state->celebrating(); }, 5000));
    state->dismissCelebration();
    settle();

    // a local entry: the entry goes to the Trash
    choose("My Tool");
    click(findVisible("actionBarPrimary"));
    settle();
    click(findVisible("confirmButton"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !state->busy() && state->appCount() == 8; }, 20000));
    EXPECT_TRUE(std::filesystem::exists(trash / "mytool.desktop"));
    EXPECT_FALSE(std::filesystem::exists(fx.user / "mytool.desktop"));
    if (state->celebrating())
        state->dismissCelebration();
    state->setSection("overview");
    settle();
}

TEST_F(UiTest, StartupItemsConfirmByOwner)
{
    const std::filesystem::path user = FS::home() / "fixture-launch/user";
    const std::filesystem::path all = FS::home() / "fixture-launch/all";
    const std::filesystem::path daemons = FS::home() / "fixture-launch/daemons";
    auto writeText = [](const std::filesystem::path& path, const std::string& text) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    };
    writeText(user / "com.maker.notely.helper.plist",
              xmlPlist({{"Label", "com.maker.notely.helper"}, {"Program", "/opt/notely/helper"}}));
    writeText(user / "broken.plist", "not a property list");
    writeText(all / "org.sync.agent.plist", xmlPlist({{"Label", "org.sync.agent"}},
              "<key>ProgramArguments</key><array><string>/usr/lib/sync/agent</string><string>--bg</string></array>"));
    writeText(daemons / "org.backup.daemon.plist",
              xmlPlist({{"Label", "org.backup.daemon"}, {"Program", "/usr/sbin/backupd"}}));
    state->setLaunchFolders({{user, "Usuário", true}, {all, "Todos os usuários", false},
                             {daemons, "Sistema (daemon)", false}});
    state->loadAgents();
    ASSERT_TRUE(QTest::qWaitFor([&] { return state->agentCount() == 4; }, 5000));
    state->setSection("startup");
    settle(900);
    snap(window, "startup-list");
    expectPageHeader("startup-list");
    EXPECT_TRUE(shows(window, "com.maker.notely.helper"));
    EXPECT_TRUE(shows(window, "org.backup.daemon"));

    // the user's own agent: it stops now and does not come back
    click(findVisible("agentRemove"));
    settle();
    snap(window, "startup-confirm-user");
    QTest::keyClick(window, Qt::Key_Escape);
    settle();

    // a daemon: the administrator password will be asked for
    state->setLaunchFolders({{daemons, "Sistema (daemon)", false}});
    state->loadAgents();
    ASSERT_TRUE(QTest::qWaitFor([&] { return state->agentCount() == 1; }, 5000));
    settle(600);
    click(findVisible("agentRemove"));
    settle();
    const QQuickItem* message = findVisible("confirmMessage");
    ASSERT_NE(message, nullptr);
    // (Arabic texts carry a direction mark in front)
    EXPECT_TRUE(message->property("text").toString().endsWith(L("Item do sistema: vai pedir sua senha de administrador.")));
    snap(window, "startup-confirm-system");
    QTest::keyClick(window, Qt::Key_Escape);
    settle();
    EXPECT_TRUE(std::filesystem::exists(daemons / "org.backup.daemon.plist"));
}

TEST_F(UiTest, SpacePageBrowsesSelectsAndTrashes)
{
    const std::filesystem::path home = FS::home();
    writeFile(home / "Projects/render-final.mov", 900'000);
    writeFile(home / "Projects/assets/textures.pak", 400'000);
    writeFile(home / "Projects/notes-for-the-next-meeting.txt", 30'000);
    writeFile(home / "Projects/old-backup.zip", 250'000);
    writeFile(home / "Music/album.flac", 500'000);
    writeFile(home / "Downloads/installer.iso", 700'000);
    writeFile(home / "diary.txt", 20'000);
    // a link to a folder: its own symbol, no size; opening it opens Projects
    std::filesystem::create_directory_symlink(home / "Projects", home / "Linked projects");

    state->setSection("orbitMap");
    settle();
    auto* view = findVisible("spaceView");
    ASSERT_NE(view, nullptr);
    auto* model = qvariant_cast<SpaceModel*>(view->property("model"));
    ASSERT_NE(model, nullptr);
    ASSERT_EVENTUALLY(!model->loading() && model->count() > 0, 20000);
    EXPECT_EQ(model->current(), home);
    auto* map = qobject_cast<OrbitMapItem*>(findVisible("orbitMap"));
    ASSERT_NE(map, nullptr);
    EXPECT_GT(map->planetCount(), 2);
    EXPECT_TRUE(map->isAnimating());
    settle(600);
    snap(window, "space-home");
    expectPageHeader("space-home");
    EXPECT_TRUE(shows(window, "Linked projects"));
    EXPECT_TRUE(shows(window, "diary.txt"));

    // The home folder's own Music folder cannot be ticked.
    const QString music = QString::fromStdString((home / "Music").native());
    model->toggle(music);
    EXPECT_FALSE(model->isSelected(music));

    // A click on the Projects planet enters the folder.
    const QString projects = QString::fromStdString((home / "Projects").native());
    const QPointF at = map->planetCentre(projects);
    ASSERT_GE(at.x(), 0);
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, map->mapToScene(at).toPoint());
    ASSERT_EVENTUALLY(model->current() == home / "Projects" && !model->loading(), 20000);
    EXPECT_EQ(model->historyCount(), 1);
    const QString movie = QString::fromStdString((home / "Projects/render-final.mov").native());
    const QString zip = QString::fromStdString((home / "Projects/old-backup.zip").native());
    model->toggle(movie);
    model->toggle(zip);
    model->setHovered(QString::fromStdString((home / "Projects/assets").native()));
    settle(600);
    snap(window, "space-folder");
    model->setHovered("");

    click(findVisible("placeButton"));
    settle();
    snap(window, "space-menu");
    QTest::keyClick(window, Qt::Key_Escape);
    settle();

    click(findVisible("actionBarPrimary"));
    settle();
    snap(window, "space-confirm");
    click(findVisible("confirmButton"));
    ASSERT_EVENTUALLY(!state->busy() && model->count() == 2 && !model->loading(), 20000);
    EXPECT_TRUE(std::filesystem::exists(FS::trashFolder() / "render-final.mov"));
    EXPECT_TRUE(std::filesystem::exists(FS::trashFolder() / "old-backup.zip"));
    EXPECT_EQ(model->selectedCount(), 0);
    ASSERT_EVENTUALLY(state->celebrating(), 5000);
    state->dismissCelebration();
    settle();

    // A click on the sun goes back.
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier,
                      map->mapToScene(QPointF(map->width() / 2, map->height() / 2)).toPoint());
    ASSERT_EVENTUALLY(model->current() == home, 5000);
    EXPECT_EQ(model->historyCount(), 0);
}

TEST_F(UiTest, ToolsPageRunsTheTickedRoutines)
{
    // the user's menu folder, so that "menus" can run
    std::filesystem::create_directories(FS::home() / ".local/share/applications");
    state->setSection("maintenance");
    settle();
    snap(window, "tools");
    expectPageHeader("tools");
    ASSERT_NE(findVisible("actionBarPrimary"), nullptr);
    auto* view = findVisible("toolsView");
    ASSERT_NE(view, nullptr);
    auto* tools = qvariant_cast<MaintenanceModel*>(view->property("model"));
    ASSERT_NE(tools, nullptr);
    snap(window, "tools");

    // A routine that cannot run here is unticked, cannot be ticked, and says why.
    QString userRoutine;
    for (const MaintTask& task : tools->tasks()) {
        if (task.available) {
            if (!task.admin && userRoutine.isEmpty())
                userRoutine = task.id;
            continue;
        }
        EXPECT_FALSE(tools->sel().contains(task.id)) << task.id.toStdString();
        click(findVisible("taskCard-" + task.id));
        settle(50);
        EXPECT_FALSE(tools->sel().contains(task.id)) << task.id.toStdString();
        auto* status = findVisible("taskStatus-" + task.id);
        ASSERT_NE(status, nullptr);
        EXPECT_TRUE(status->property("text").toString().contains(task.reason));
    }
    ASSERT_FALSE(userRoutine.isEmpty());

    // The prompt is dismissed; the user routine ticked too succeeds.
    tools->setRunners([](const std::string&) { QThread::msleep(600); return Shell::Result{true, {}}; },
                      [](const std::string&) { QThread::msleep(600); return Shell::Result{false, L("Cancelado")}; });
    click(findVisible("taskCard-" + userRoutine));
    settle(100);
    EXPECT_TRUE(tools->sel().contains(userRoutine));
    click(findVisible("actionBarPrimary"));
    settle(150);
    snap(window, "tools-running");

    // The run belongs to the application: away and back, it is still running,
    // and a second one cannot start.
    state->setSection("overview");
    settle(150);
    state->setSection("maintenance");
    settle(150);
    view = findVisible("toolsView");
    ASSERT_NE(view, nullptr);
    tools = qvariant_cast<MaintenanceModel*>(view->property("model"));
    ASSERT_NE(tools, nullptr);
    EXPECT_FALSE(tools->running().isEmpty());
    EXPECT_FALSE(state->runMaintenance(tools->tasks(), tools->sel()));
    auto* runStatus = findVisible("taskStatus-" + state->maintRunning());
    ASSERT_NE(runStatus, nullptr);
    EXPECT_TRUE(runStatus->property("text").toString().contains(L("Executando…")));
    ASSERT_EVENTUALLY(tools->running().isEmpty(), 10000);
    settle();
    EXPECT_EQ(tools->done(), QStringList{userRoutine});
    EXPECT_TRUE(state->hasMessage());
    snap(window, "tools-done");
    QTest::keyClick(window, Qt::Key_Escape);
    settle();
    auto* status = findVisible("taskStatus-" + userRoutine);
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->property("text").toString().contains(L("Concluído")));  // Arabic adds a direction mark

    // The real font and menu routines, where their programs are here (the
    // temporary home's caches and menu folder): they succeed and say so.
    const auto available = [&](const QString& id) {
        for (const MaintTask& task : tools->tasks())
            if (task.id == id)
                return task.available;
        return false;
    };
    if (!available("fonts") || !available("menus"))
        return;
    tools->setRunners({}, [](const std::string&) { return Shell::Result{false, "no administrator here"}; });
    for (const QString& id : tools->sel())
        tools->toggle(id);
    tools->toggle("fonts");
    tools->toggle("menus");
    state->dismissMessage();
    click(findVisible("actionBarPrimary"));
    ASSERT_EVENTUALLY(!tools->running().isEmpty(), 2000);
    ASSERT_EVENTUALLY(tools->running().isEmpty(), 60000);
    settle();
    EXPECT_TRUE(tools->done().contains("fonts"));
    EXPECT_TRUE(tools->done().contains("menus"));
    EXPECT_FALSE(state->hasMessage()) << qPrintable(state->message());
    EXPECT_TRUE(findVisible("taskStatus-menus")->property("text").toString().contains(L("Concluído")));
    snap(window, "tools-fonts-menus");
}

TEST_F(UiTest, StartupEntriesSwitchOffAndOnAgain)
{
    const std::filesystem::path system = FS::home() / "fixture-xdg/autostart";
    const auto writeText = [](const std::filesystem::path& path, const std::string& text) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    };
    writeText(system / "xdg-user-dirs.desktop",
              "[Desktop Entry]\nType=Application\nName=User folders update\nExec=xdg-user-dirs-update\n");
    writeText(system / "at-spi-dbus-bus.desktop",
              "[Desktop Entry]\nType=Application\nName=AT-SPI D-Bus Bus\nExec=/usr/libexec/at-spi-bus-launcher --launch-immediately\n");
    writeText(system / "org.kde.kdeconnect.daemon.desktop",
              "[Desktop Entry]\nType=Application\nName=KDE Connect\nExec=kdeconnectd\nOnlyShowIn=KDE;\n");
    writeText(system / "blueman.desktop",
              "[Desktop Entry]\nType=Application\nName=Blueman Applet\nExec=blueman-applet\nX-GNOME-Autostart-enabled=false\n");
    LinuxStartup::Sources sources;
    sources.userFolder = Paths::configHome() / "autostart";
    sources.systemFolders = {system};
    sources.desktops = {"GNOME"};
    sources.user = [](const std::string&) { return Shell::Result{false, "offline"}; };
    sources.admin = [](const std::string&) { return Shell::Result{false, L("Cancelado")}; };
    state->setStartupPart(Profiles::StartupSources{
        .scan = [sources] { return LinuxStartup::scan(sources); },
        .setOn = [sources](const AgentItem& item, bool on) { return LinuxStartup::setOn(item, on, sources); }});
    state->loadAgents();
    ASSERT_EVENTUALLY(state->agentCount() == 5, 5000);  // four entries and the login item
    state->setSection("startup");
    settle(900);
    snap(window, "startup-linux");

    auto* lock = findVisible("agentLock-at-spi-dbus-bus.desktop");
    EXPECT_NE(lock, nullptr);
    EXPECT_EQ(findVisible("agentSwitch-at-spi-dbus-bus.desktop"), nullptr);
    EXPECT_NE(findVisible("agentElsewhere"), nullptr);

    auto* toggle = findVisible("agentSwitch-xdg-user-dirs.desktop");
    ASSERT_NE(toggle, nullptr);
    EXPECT_TRUE(toggle->property("checked").toBool());
    click(toggle);
    const std::filesystem::path override = sources.userFolder / "xdg-user-dirs.desktop";
    ASSERT_EVENTUALLY(std::filesystem::exists(override), 5000);
    ASSERT_EVENTUALLY(!findVisible("agentSwitch-xdg-user-dirs.desktop")->property("checked").toBool(), 5000);
    settle(600);
    snap(window, "startup-linux-off");
    click(findVisible("agentSwitch-xdg-user-dirs.desktop"));
    ASSERT_EVENTUALLY(!std::filesystem::exists(override), 5000);
    ASSERT_EVENTUALLY(findVisible("agentSwitch-xdg-user-dirs.desktop")->property("checked").toBool(), 5000);

    // The own login item, switched on from the page, is on in the settings too.
    click(findVisible("agentSwitch-com.halvick.Quillmoor.desktop"));
    ASSERT_EVENTUALLY(state->launchAtLogin(), 5000);
    EXPECT_EQ(state->setLaunchAtLogin(false), QString());
    ASSERT_EVENTUALLY(!findVisible("agentSwitch-com.halvick.Quillmoor.desktop")->property("checked").toBool(), 5000);
    state->setStartupPart(std::nullopt);
}

TEST_F(UiTest, OverviewShowsLiveGaugesAndShortcutsWhileShown)
{
    state->setJunkGroups({});
    state->setJunkScanned(false);
    state->setSection("overview");
    settle(900);  // the gauges have faded in
    auto* page = findVisible("overviewView");
    ASSERT_NE(page, nullptr);
    auto* mon = page->findChild<QObject*>("overviewMonitor");
    ASSERT_NE(mon, nullptr);
    EXPECT_TRUE(mon->property("running").toBool());
    ASSERT_EVENTUALLY(mon->property("cpuHistory").value<QList<qreal>>().size() >= 2, 6000);
    // the large-files count once a scan has finished (an earlier test ran one), "—" before
    const QString largeValue = findVisible("largeShortcut")->findChild<QQuickItem*>("shortcutValue")->property("text").toString();
    EXPECT_EQ(largeValue, state->largeScanned() ? QString::number(state->largeCount()) : QString("—"));

    // the whole page, shortcuts included
    const QSize size = window->size();
    window->resize(size.width(), 1000);
    settle();
    snap(window, "overview-complete");

    // a shortcut leads to its section; leaving the overview stops its monitor
    QPointer<QObject> watched(mon);
    click(findVisible("startupShortcut"));
    settle();
    window->resize(size);
    EXPECT_EQ(state->section(), "startup");
    EXPECT_TRUE(watched.isNull() || !watched->property("running").toBool());
    state->setSection("overview");
    settle();
}

TEST_F(UiTest, PanelOpensFromTheSidebarAndEmptiesTheTrash)
{
    const std::filesystem::path home = FS::home();
    const std::filesystem::path trash = FS::trashFolder();
    writeFile(trash / "old-video.mkv", 2'000'000);
    writeFile(trash.parent_path() / "info/old-video.mkv.trashinfo", 10);

    auto* panel = window->findChild<QQuickWindow*>("panelWindow");
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(panel->isVisible());
    // no tray in the test bed: the sidebar offers the panel
    click(findVisible("panelButton"));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel));
    EXPECT_EQ(panel->width(), 320);
    auto* mon = panel->findChild<QObject*>("panelMonitor");
    ASSERT_NE(mon, nullptr);
    EXPECT_TRUE(mon->property("running").toBool());
    ASSERT_EVENTUALLY(mon->property("trashKnown").toBool(), 5000);
    settle(900);
    snap(panel, "panel");

    auto* emptyButton = panel->findChild<QQuickItem*>("emptyTrashButton");
    ASSERT_NE(emptyButton, nullptr);
    ASSERT_TRUE(emptyButton->isVisible());
    click(emptyButton);
    settle();
    snap(panel, "panel-empty-confirm");
    const qint64 freedBefore = state->totalFreed();
    QQuickItem* confirm = nullptr;
    QList<QQuickItem*> pending{panel->contentItem()};
    while (!pending.isEmpty() && !confirm) {
        QQuickItem* item = pending.takeFirst();
        if (item->objectName() == "confirmButton" && item->isVisible())
            confirm = item;
        pending << item->childItems();
    }
    click(confirm);
    ASSERT_EVENTUALLY(!std::filesystem::exists(trash / "old-video.mkv"), 5000);
    EXPECT_FALSE(std::filesystem::exists(trash.parent_path() / "info/old-video.mkv.trashinfo"));
    ASSERT_EVENTUALLY(state->totalFreed() > freedBefore, 5000);
    ASSERT_EVENTUALLY(mon->property("trashSize").toLongLong() == 0, 5000);
    settle();
    snap(panel, "panel-after-empty");

    // a laptop on battery with a stick plugged in: the power level and a volume row with eject
    const std::filesystem::path fake = home / "fixtures/laptop";
    const std::filesystem::path stick = fake / "media/STICK";
    std::filesystem::create_directories(stick);
    std::filesystem::create_directories(fake / "sys/class/power_supply/BAT0");
    std::ofstream(fake / "sys/class/power_supply/BAT0/type") << "Battery\n";
    std::ofstream(fake / "sys/class/power_supply/BAT0/capacity") << "57\n";
    std::ofstream(fake / "sys/class/power_supply/BAT0/status") << "Discharging\n";
    std::filesystem::create_directories(fake / "proc/self");
    const std::filesystem::path share = fake / "net/share";
    std::filesystem::create_directories(share);
    std::ofstream(fake / "proc/self/mountinfo") << "60 28 7:7 / " << stick.native() << " rw - vfat /dev/loop7 rw\n"
                                                << "61 28 0:60 / " << share.native() << " rw - nfs4 nas:/share rw\n";
    std::ofstream(fake / "proc/stat") << "cpu  100 0 50 850 0 0 0 0 0 0\n";
    std::ofstream(fake / "proc/meminfo") << "MemTotal: 8000000 kB\nMemAvailable: 2000000 kB\n";
    auto* monitor = qobject_cast<SystemMonitor*>(mon);
    ASSERT_NE(monitor, nullptr);
    monitor->setRoots({fake / "proc", fake / "sys", fake / "dev"});
    monitor->refresh();
    settle();
    EXPECT_EQ(monitor->volumes().size(), 2u);
    EXPECT_TRUE(monitor->hasBattery());
    EXPECT_EQ(monitor->model(), L("Notebook"));  // a laptop, named as Linux names it
    snap(panel, "panel-laptop");
    EXPECT_TRUE(shows(panel, "STICK"));
    EXPECT_TRUE(shows(panel, "share"));
    // only the stick, a block device, can be ejected; the share gets no button
    QList<QQuickItem*> ejectButtons;
    pending = {panel->contentItem()};
    while (!pending.isEmpty()) {
        QQuickItem* item = pending.takeFirst();
        if (item->objectName() == "ejectButton" && item->isVisible())
            ejectButtons << item;
        pending << item->childItems();
    }
    ASSERT_EQ(ejectButtons.size(), 1);

    // ejecting runs in the background: the row says so meanwhile
    auto* actions = panel->findChild<PanelActions*>("panelActions");
    ASSERT_NE(actions, nullptr);
    std::atomic<bool> release{false};
    actions->setEjector([&](const std::string&) {
        while (!release)
            QThread::msleep(10);
        return std::optional<QString>();
    });
    click(ejectButtons.first());
    settle();
    EXPECT_EQ(actions->ejecting().size(), 1);
    EXPECT_TRUE(shows(panel, L("Ejetando…")));
    snap(panel, "panel-ejecting");
    release = true;
    ASSERT_EVENTUALLY(actions->ejecting().isEmpty(), 5000);

    // "Abrir Quillmoor" hides the panel, whose monitor rests
    click(panel->findChild<QQuickItem*>("openMainButton"));
    settle();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(mon->property("running").toBool());
}

TEST_F(UiTest, TelemetrySymbolsAreGlyphsOfTheIconFont)
{
    // a name the icon font has no ligature for draws as nothing (or as its letters)
    const QFont font(QStringLiteral("Material Icons"), 20);
    for (const char* symbol : {"powerplug", "battery.100.bolt", "battery.25", "battery.50", "battery.75", "battery.100",
                               "externaldrive", "eject.fill", "ellipsis.circle", "circle.hexagongrid", "sparkles",
                               "memorychip", "wifi", "trash", "trash.fill", "arrow.up.right", "internaldrive", "cpu",
                               "app.badge", "doc.on.doc", "power", "chevron.forward", "menubar.rectangle", "link"}) {
        QTextLayout layout(materialGlyphFor(symbol), font);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        int glyphs = 0;
        for (const QGlyphRun& run : layout.glyphRuns())
            glyphs += int(run.glyphIndexes().size());
        EXPECT_EQ(glyphs, 1) << symbol;
    }
}

} // namespace

int main(int argc, char** argv)
{
    TempHome home;
    qInstallMessageHandler(collectWarnings);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    Profiles::active();  // as the program settles it at start
    QApplication::setLayoutDirection(appLayoutDirection());
    installFonts(app);
    QQuickStyle::setStyle("Basic");
    return RUN_ALL_TESTS();
}
