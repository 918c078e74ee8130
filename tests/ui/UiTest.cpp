// The real window offscreen over a temporary home: every page and overlay snapped
// to a PNG and checked for what it must show; any warning fails the test.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <tuple>

#include <sys/stat.h>

#include <QApplication>
#include <QDir>
#include <QJsonDocument>
#include <QPointer>
#include <QQmlApplicationEngine>
#include <QQmlComponent>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QTest>
#include <QTextLayout>
#include <QThread>
#include <QtQml/qqmlextensionplugin.h>

#include "app/FeatureStates.h"
#include "engines/autoclean/AutoSettings.h"
#include "engines/dupes/Lint.h"
#include "engines/dupes/SimilarScan.h"
#include "app/MaintenanceModel.h"
#include "app/VolumeEject.h"
#include "engines/junk/SnapshotGroups.h"
#include "engines/large/LargeFiles.h"
#include "engines/removal/PlanText.h"
#include "profiles/SystemPlaces.h"
#include "i18n/L.h"
#include "i18n/Lang.h"
#include "i18n/ShownText.h"
#include "monitor/SystemMonitor.h"
#include "platform/FS.h"
#include "platform/Fmt.h"
#include "platform/Paths.h"
#include "platform/Prefs.h"
#include "platform/Shell.h"
#include "engines/startup/LinuxStartup.h"
#include "platform/Admin.h"
#include "support/FixtureSystem.h"
#include "profiles/Profile.h"
#include "space/SpaceModel.h"
#include "support/Bundles.h"
#include "support/DesktopFixture.h"
#include "support/TempHome.h"
#include "support/WaitFor.h"
#include "app/Fonts.h"
#include "ui/OrbitMapItem.h"
#include "ui/Symbols.h"

Q_IMPORT_QML_PLUGIN(QuillmoorPlugin)

namespace {

namespace fs = std::filesystem;

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

// A file in the Trash with its information file beside it.
void trashFixture(const std::string& name, std::size_t bytes)
{
    writeBytes(FS::trashFolder() / name, bytes);
    writeBytes(FS::trashFolder().parent_path() / "info" / (name + ".trashinfo"), 10);
}

QString textOf(const fs::path& path) { return QString::fromStdString(path.native()); }

QString languageCode()
{
    static const char* const codes[] = {"en", "es", "it", "fr", "de", "ja", "zh", "ar"};
    return appLang() == Lang::pt ? QStringLiteral("pt") : QString::fromLatin1(codes[rawValue(appLang())]);
}

// A square PNG of one colour, as an application's icon.
void writeIcon(const fs::path& path, QColor colour)
{
    fs::create_directories(path.parent_path());
    QImage image(48, 48, QImage::Format_ARGB32);
    image.fill(colour);
    image.save(QString::fromStdString(path.string()));
}

class UiTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        auto prefs = Prefs::standard();
        prefs->setValue("totalFreed", 12'400'000'000LL);  // so the sidebar shows a figure
        prefs->setValue("soundEnabled", false);           // no audio device in the test bed
        prefs->sync();

        states = new FeatureStates();
        // this machine's applications stay out: the pages list fixtures only
        states->uninstaller.setAppBackend(LinuxApps::backend({}, [](const std::string&) { return Shell::Result{false, {}}; }));
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
        delete states;
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

    // TEXT without the direction marks and isolates the window sets around
    // texts and names in a right-to-left interface.
    static QString bare(QString text)
    {
        text.removeIf([](QChar c) { return c == QChar(0x200E) || c == QChar(0x200F) || (c >= QChar(0x2066) && c <= QChar(0x2069)); });
        return text;
    }

    // Whether a text ending in EXPECTED can be seen in W (the marks of a
    // right-to-left interface aside).
    static bool shows(const QString& expected, QQuickWindow* w = window)
    {
        for (const QString& text : shownTexts(w))
            if (bare(text).endsWith(bare(expected)))
                return true;
        return false;
    }

    // The same, marks and all.
    static bool showsAsIs(const QString& expected, QQuickWindow* w = window)
    {
        for (const QString& text : shownTexts(w))
            if (text.endsWith(expected))
                return true;
        return false;
    }

    // The visible items under ROOT that KEEP accepts, breadth first (through the
    // visual tree, so delegates and popups are found too).
    static QList<QQuickItem*> visibleItems(QQuickItem* root, const std::function<bool(QQuickItem*)>& keep)
    {
        QList<QQuickItem*> found;
        QList<QQuickItem*> pending{root};
        while (!pending.isEmpty()) {
            QQuickItem* item = pending.takeFirst();
            if (!item->isVisible())
                continue;
            if (keep(item))
                found << item;
            pending << item->childItems();
        }
        return found;
    }

    // The header of the page in view shows its eyebrow and its headline.
    static void expectPageHeader(const QString& what)
    {
        const QList<QQuickItem*> headers = visibleItems(window->contentItem(), [](QQuickItem* item) {
            return item->property("l1").isValid() && item->property("eyebrow").isValid();
        });
        ASSERT_FALSE(headers.isEmpty()) << qPrintable(what);
        const QString l1 = headers.first()->property("l1").toString();
        EXPECT_FALSE(l1.isEmpty()) << qPrintable(what);
        EXPECT_TRUE(shows(l1)) << qPrintable(what + ": " + l1);
        EXPECT_TRUE(shows(headers.first()->property("eyebrow").toString())) << qPrintable(what);
    }

    static void settle(int ms = 450) { QTest::qWait(ms); }

    static void snap(const QString& name, QQuickWindow* w = window)
    {
        const QImage image = w->grabWindow();
        ASSERT_FALSE(image.isNull());
        const QString path = outDir + "/" + languageCode() + "-" + name + ".png";
        ASSERT_TRUE(image.save(path)) << qPrintable(path);
    }

    // A snapshot of the page in view, whose header must show.
    static void snapPage(const QString& name)
    {
        snap(name);
        expectPageHeader(name);
    }

    static void showSection(const QString& id, int ms = 450)
    {
        states->shell.setSection(id);
        settle(ms);
    }

    static QQuickItem* find(const char* name) { return window->findChild<QQuickItem*>(name); }

    // The visible items with that object name (pages keep hidden copies).
    static QList<QQuickItem*> allVisible(const QString& name, QQuickWindow* w = window)
    {
        return visibleItems(w->contentItem(), [&](QQuickItem* item) { return item->objectName() == name; });
    }

    static QQuickItem* findVisible(const QString& name, QQuickWindow* w = window)
    {
        const QList<QQuickItem*> found = allVisible(name, w);
        return found.isEmpty() ? nullptr : found.first();
    }

    // The first visible item under ROOT whose text ends in TEXT (a button, a label).
    static QQuickItem* shownItem(const QString& text, QQuickItem* root = window->contentItem())
    {
        const QList<QQuickItem*> found = visibleItems(root, [&](QQuickItem* item) {
            return item->property("text").toString().endsWith(text);
        });
        return found.isEmpty() ? nullptr : found.first();
    }

    static QString shownText(const QString& name)
    {
        QQuickItem* item = findVisible(name);
        if (!item) {
            ADD_FAILURE() << "nothing visible named " << qPrintable(name);
            return {};
        }
        return item->property("text").toString();
    }

    static bool checked(const QString& name) { return findVisible(name)->property("checked").toBool(); }

    static void click(QQuickItem* item)
    {
        ASSERT_NE(item, nullptr);
        const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
        QTest::mouseClick(item->window(), Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    }

    static QString focused()
    {
        QQuickItem* item = window->activeFocusItem();
        return item ? item->objectName() : QString();
    }

    // Presses Tab (Shift+Tab when BACK) until the item named NAME has the
    // keyboard focus; false when it is not reached in 40 presses.
    static bool tabTo(const QString& name, bool back = false)
    {
        for (int i = 0; i < 40 && focused() != name; ++i)
            QTest::keyClick(window, back ? Qt::Key_Backtab : Qt::Key_Tab, back ? Qt::ShiftModifier : Qt::NoModifier);
        return focused() == name;
    }

    static void escape()
    {
        QTest::keyClick(window, Qt::Key_Escape);
        settle();
    }

    // Opens the confirmation of the page's action (snapped as SNAPNAME when given) and accepts it.
    static void confirm(const QString& snapName = {}, const char* button = "actionBarPrimary")
    {
        click(findVisible(button));
        settle();
        if (!snapName.isEmpty())
            snap(snapName);
        click(findVisible("confirmButton"));
    }

    static void dismissCelebration()
    {
        ASSERT_EVENTUALLY(states->removals.celebrating(), 5000);
        states->removals.dismissCelebration();
        settle();
    }

    static std::vector<QString> junkIds() { return listOf(states->junk.junkGroups(), &JunkGroup::id); }

    static FeatureStates* states;
    static QQmlApplicationEngine* engine;
    static QQuickWindow* window;
    static QString outDir;
};

FeatureStates* UiTest::states = nullptr;
QQmlApplicationEngine* UiTest::engine = nullptr;
QQuickWindow* UiTest::window = nullptr;
QString UiTest::outDir;

TEST_F(UiTest, MainWindowHasItsIdentityAndMinimumSize)
{
    EXPECT_EQ(window->objectName(), "main");
    EXPECT_EQ(engine->singletonInstance<JunkState*>(qmlTypeId("Quillmoor", 1, 0, "JunkState")), &states->junk);
    EXPECT_EQ(engine->singletonInstance<ShellState*>(qmlTypeId("Quillmoor", 1, 0, "ShellState")), &states->shell);
    EXPECT_GE(window->minimumWidth(), 1080);
    EXPECT_GE(window->minimumHeight(), 700);
    ASSERT_NE(find("rootView"), nullptr);
    // Arabic mirrors the window: the sidebar moves to the right-hand side.
    auto* sidebar = find("sidebar");
    ASSERT_NE(sidebar, nullptr);
    const QPointF topLeft = sidebar->mapToScene(QPointF(0, 0));
    if (appLang() == Lang::ar)
        EXPECT_GT(topLeft.x(), window->width() / 2);
    else
        EXPECT_LT(topLeft.x(), 1);
}

TEST_F(UiTest, EverySectionRenders)
{
    for (const QVariant& entry : states->shell.sections()) {
        const QString id = entry.toMap().value("id").toString();
        showSection(id);
        snapPage("section-" + id);
        EXPECT_GE(shownTexts(window, find("sidebar")).size(), 5) << qPrintable(id);  // not a blank page
    }
    showSection("");  // no section: the overview page, no item active
    snapPage("no-section");
    showSection("overview");
}

TEST_F(UiTest, OverlaysRender)
{
    // a removal that waits until the picture is taken
    std::atomic<bool> release{false};
    states->removals.performWork([&release] {
        while (!release)
            QThread::msleep(10);
        return RemovalOutcome{};
    });
    settle();
    snap("busy");
    EXPECT_NE(findVisible("busyOverlay"), nullptr);
    EXPECT_TRUE(shows(L("Removendo os itens selecionados…")));
    release = true;
    ASSERT_EVENTUALLY(!states->removals.busy(), 5000);
    settle();
    EXPECT_EQ(findVisible("busyOverlay"), nullptr);

    for (const auto& [name, celebration] : {std::pair{"celebration-freed", Celebration{1'230'000'000, 340'000'000}},
                                            std::pair{"celebration-trashed", Celebration{0, 560'000'000, "XTerm"}}}) {
        states->removals.setCelebrate(celebration);
        QTest::qWait(3400);  // the count-up and the fog have run
        snap(name);
        ASSERT_NE(find("celebrationAmount"), nullptr);
        EXPECT_FALSE(find("celebrationAmount")->property("text").toString().isEmpty()) << name;
        states->removals.dismissCelebration();
        settle();
    }
}

TEST_F(UiTest, MessageAlertShowsAndDismissingClearsIt)
{
    states->shell.setMessage("3 itens não puderam ser removidos (em uso ou protegidos pelo sistema): a, b, c");
    settle();
    snap("message");
    EXPECT_TRUE(shows("a, b, c"));
    escape();  // dismissing the alert clears the message
    EXPECT_EQ(findVisible("confirmButton"), nullptr);
    EXPECT_FALSE(states->shell.hasMessage());
}

TEST_F(UiTest, FullDiskAccessBannerRenders)
{
    {
        // the protected places cannot be read
        const ScopedEnv home("HOME", "/no/such/home");
        const ScopedEnv data("XDG_DATA_HOME", "/no/such/data");
        states->shell.refreshFda();
    }
    ASSERT_FALSE(states->shell.fda());
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
    snap("fda-banner", w);
    EXPECT_TRUE(shows(L("Acesso Total ao Disco desativado"), w));
    states->shell.refreshFda();
    EXPECT_TRUE(states->shell.fda());
}

TEST_F(UiTest, SettingsWindowRenders)
{
    auto* settings = window->findChild<QQuickWindow*>("settings");
    ASSERT_NE(settings, nullptr);
    QMetaObject::invokeMethod(settings, "open");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(settings));
    settle();
    snap("settings", settings);
    EXPECT_TRUE(shows(L("Geral"), settings));
    EXPECT_TRUE(shows(L("Sons"), settings));
    EXPECT_TRUE(shows(L("Espaço livre mínimo (GB)"), settings));

    // The never-touch tab, empty: it says what the list is for.
    click(findVisible("settingsTabNeverTouch", settings));
    settle();
    EXPECT_TRUE(shows(L("Nenhum local na lista."), settings));
    snap("settings-never-touch-empty", settings);

    // Filled: a folder, a file, one that is gone, a link, a long name and an odd one.
    const fs::path home = FS::home() / "Kept";  // gone at the end: the other pages list the home folder
    writeBytes(home / "Projects/keep/plan.txt", 100);
    writeBytes(home / "notes/secret.txt", 100);
    fs::create_directories(home / "Music");
    fs::create_directory_symlink(home / "Music", home / "Music link");
    fs::create_directories(home / "Archive/2019/Client – a very long project name that will not fit/final");
    fs::create_directories(home / "Família");
    for (const fs::path& place : {home / "Projects/keep", home / "notes/secret.txt", home / "Old exports", home / "Music link",
                                  home / "Archive/2019/Client – a very long project name that will not fit/final", home / "Família"})
        EXPECT_EQ(states->neverTouch.add(textOf(place)), "");
    settle();
    EXPECT_EQ(allVisible("neverTouchPath", settings).size(), 6);
    EXPECT_EQ(allVisible("neverTouchMissing", settings).size(), 1);
    EXPECT_EQ(allVisible("neverTouchLink", settings).size(), 1);
    EXPECT_TRUE(shows(L("Não existe mais"), settings));

    // A path typed in: the whole file system is refused beside the field; a file is taken.
    QQuickItem* field = findVisible("neverTouchField", settings);
    ASSERT_NE(field, nullptr);
    field->forceActiveFocus();
    QTest::keyClick(settings, '/');
    QTest::keyClick(settings, Qt::Key_Return);
    settle(200);
    EXPECT_TRUE(shows(L("O sistema de arquivos inteiro não pode ser ignorado."), settings));
    snap("settings-never-touch", settings);
    field->setProperty("text", textOf(home / "notes"));
    click(findVisible("neverTouchAdd", settings));
    settle(200);
    EXPECT_EQ(states->neverTouch.places().size(), 7);
    EXPECT_EQ(field->property("text").toString(), "");

    // Removed by keyboard: Tab onto the first row's button, Delete; the focus stays on the list.
    const auto settingsFocus = [&] { return settings->activeFocusItem() ? settings->activeFocusItem()->objectName() : QString(); };
    for (int i = 0; i < 30 && settingsFocus() != "neverTouchRemove"; ++i)
        QTest::keyClick(settings, Qt::Key_Tab);
    ASSERT_EQ(settingsFocus(), "neverTouchRemove");
    QTest::keyClick(settings, Qt::Key_Delete);
    settle(200);
    EXPECT_EQ(states->neverTouch.places().size(), 6);
    EXPECT_EQ(settingsFocus(), "neverTouchRemove");
    QTest::keyClick(settings, Qt::Key_Space);
    settle(200);
    EXPECT_EQ(states->neverTouch.places().size(), 5);
    // ...and by mouse.
    click(findVisible("neverTouchRemove", settings));
    settle(200);
    EXPECT_EQ(states->neverTouch.places().size(), 4);

    // The folder picker of the settings window adds a folder.
    click(findVisible("neverTouchAddFolder", settings));
    settle();
    snap("settings-never-touch-picker", settings);
    QTest::keyClick(settings, Qt::Key_Escape);
    settle();
    for (const QVariant& place : states->neverTouch.places())
        states->neverTouch.remove(place.toMap().value("key").toString());
    fs::remove_all(home);

    // Automatic cleaning: off at first, its groups dimmed; daily by a click,
    // the Trash added by keyboard.
    click(findVisible("settingsTabAutoClean", settings));
    settle();
    EXPECT_EQ(states->autoClean.interval(), "off");
    snap("settings-auto-clean-off", settings);
    click(findVisible("autoCleanInterval", settings)->childItems().first()->childItems().at(1));
    settle(200);
    EXPECT_EQ(states->autoClean.interval(), "daily");
    findVisible("autoCleanGroup-trash", settings)->forceActiveFocus();
    QTest::keyClick(settings, Qt::Key_Space);
    settle(200);
    EXPECT_TRUE(AutoClean::load(*Prefs::standard()).groups.contains("trash"));
    EXPECT_TRUE(shows(LF("Só o que está na Lixeira há mais de %ld dias", 30), settings));
    snap("settings-auto-clean", settings);
    states->autoClean.setGroupOn("trash", false);
    states->autoClean.setInterval("off");

    settings->close();
    settle();
}

// A low-space notice's action, chosen while the window is closed to the tray.
TEST_F(UiTest, TheLowSpaceNoticesActionOpensTheJunkPage)
{
    states->shell.setSection("overview");
    window->hide();
    emit states->lowSpace.openSection("junk");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    EXPECT_EQ(states->shell.section(), "junk");
}

TEST_F(UiTest, SidebarFollowsMouseAndKeyboard)
{
    showSection("overview");
    auto* sidebar = find("sidebar");
    ASSERT_NE(sidebar, nullptr);
    QList<QQuickItem*> rows = visibleItems(sidebar, [](QQuickItem* item) {
        return item->property("section").isValid() && item->property("active").isValid();
    });
    ASSERT_EQ(rows.size(), 8);
    std::sort(rows.begin(), rows.end(), [](QQuickItem* a, QQuickItem* b) {
        return a->mapToScene({0, 0}).y() < b->mapToScene({0, 0}).y();
    });
    click(rows[2]);  // the third item, "Arquivos grandes"
    settle(200);
    EXPECT_EQ(states->shell.section(), "large");

    // Keyboard: focus the fifth item ("Apps"), move down one, press Return.
    rows[4]->forceActiveFocus();
    QTest::keyClick(window, Qt::Key_Down);
    QTest::keyClick(window, Qt::Key_Return);
    settle(200);
    EXPECT_EQ(states->shell.section(), "orbitMap");
    showSection("overview");
}

TEST_F(UiTest, JunkPageBeforeDuringAndAfterAScan)
{
    showSection("junk");
    snapPage("junk-idle");

    states->junk.setJunkScanning(true);
    states->junk.setJunkCurrent("Caches de apps");
    states->junk.setJunkLive(1'234'000'000);
    settle(900);
    snap("junk-scanning");
    EXPECT_TRUE(shows(L("Encontrado")));
    showSection("overview", 900);
    snap("overview-scanning");
    // the line names the rule being checked (Arabic isolates the name with direction marks)
    EXPECT_TRUE(shownTexts(window).join('\n').contains("Caches de apps"));

    states->junk.setJunkGroups(fixtureGroups());
    states->junk.setJunkScanning(false);
    states->junk.setJunkScanned(true);
    settle(900);
    snap("overview-scanned");
    const QVariantList tiles = states->junk.largestJunkGroups();  // four tiles, the largest groups first
    ASSERT_EQ(tiles.size(), 4);
    EXPECT_EQ(tiles.first().toMap().value("total").toLongLong(), 4'500'000'000);

    showSection("junk", 900);
    snap("junk-scanned");
    ASSERT_NE(findVisible("actionBarPrimary"), nullptr);
    EXPECT_TRUE(findVisible("actionBarPrimary")->isEnabled());  // ticked items: the button is live
    EXPECT_TRUE(shows("Caches de apps") || shows(L("Caches de apps")));
    auto* card = findVisible("junkCard-caches");
    ASSERT_NE(card, nullptr);
    card->setProperty("expanded", true);
    settle();
    snap("junk-expanded");

    // the group's box: mixed (two of three) → all on → all off
    const auto box = [] { return findVisible("groupCheck-caches"); };
    EXPECT_TRUE(box()->property("mixed").toBool());
    click(box());
    settle(100);
    EXPECT_TRUE(box()->property("on").toBool());
    click(box());
    settle(100);
    EXPECT_FALSE(box()->property("on").toBool());
    EXPECT_FALSE(box()->property("mixed").toBool());

    // the confirmation shows the plan's own lines, and its list one click away
    click(findVisible("actionBarPrimary"));
    settle();
    EXPECT_EQ(bare(shownText("confirmMessage")), Plan::summaryLines(states->junk.cleanPlanRecord()).join('\n'));
    click(findVisible("confirmListToggle"));
    settle();
    snap("junk-confirm");
    escape();
    EXPECT_TRUE(states->junk.cleanPlan().isEmpty());  // closed: no plan follows the list any more
}

TEST_F(UiTest, JunkPageWithTheSystemsGroups)
{
    // A system with downloaded packages, a core dump, rotated logs and an old
    // kernel nothing needs; the package tools answer from recorded lines.
    const fs::path root = FS::home() / "system-root";
    writeBytes(root / "var/cache/apt/archives/libreoffice-core_7.4_amd64.deb", 3'000'000);
    writeBytes(root / "var/cache/apt/archives/firefox-esr_115_amd64.deb", 2'000'000);
    writeBytes(root / "var/lib/systemd/coredump/core.gedit.1000.1.zst", 800'000);
    writeBytes(root / "var/log/syslog", 1'000);
    writeBytes(root / "var/log/syslog.2.gz", 90'000);
    writeBytes(root / "var/log/syslog.1", 40'000);
    const FixtureSystem system(root, {{"apt-get -s autoremove", "Remv linux-image-6.1.0-17-amd64 [6.1.69-1]\n"},
                                      {"dpkg-query", "linux-image-6.1.0-17-amd64\t6.1.69-1\t398000\toptional\tno\n"},
                                      {"uname -r", "6.1.0-18-amd64\n"}});
    states->junk.setJunkGroups({});
    states->junk.setJunkScanned(false);
    showSection("junk");
    states->junk.scanJunk();
    ASSERT_EVENTUALLY(states->junk.junkScanned() && !states->junk.junkSystemPending(), 20000);
    EXPECT_EQ(junkIds(), (std::vector<QString>{"pkgcache", "coredumps", "oldlogs", "autoremove"}));
    auto* card = findVisible("junkCard-pkgcache");
    ASSERT_NE(card, nullptr);
    EXPECT_NE(findVisible("adminChip-pkgcache"), nullptr);
    card->setProperty("expanded", true);
    findVisible("junkCard-oldlogs")->setProperty("expanded", true);  // each rotated log its own row
    settle(900);
    snap("junk-system");

    // The confirmation says what runs as administrator, and by which tool.
    click(findVisible("actionBarPrimary"));
    settle();
    EXPECT_TRUE(shownText("confirmMessage").contains("apt-get clean")) << qPrintable(shownText("confirmMessage"));
    EXPECT_TRUE(shownText("confirmMessage").contains(LF("Com senha de administrador: %@", "")));
    snap("junk-system-confirm");

    // A dismissed prompt: nothing of the system's goes, and each group says so.
    int asked = 0;
    Admin::setRunner([&asked](const Admin::Request&) {
        ++asked;
        return Admin::Reply{false, L("Cancelado"), {}, {}};
    });
    click(findVisible("confirmButton"));
    ASSERT_EVENTUALLY(states->shell.hasMessage(), 20000);
    Admin::setRunner({});
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(states->shell.message().contains(L("Pacotes baixados"))) << qPrintable(states->shell.message());
    EXPECT_TRUE(states->shell.message().contains(L("Cancelado")));
    EXPECT_TRUE(fs::exists(root / "var/lib/systemd/coredump/core.gedit.1000.1.zst"));
    EXPECT_EQ(junkIds(), (std::vector<QString>{"pkgcache", "coredumps", "oldlogs", "autoremove"}));
    settle();
    snap("junk-system-cancelled");
    states->shell.dismissMessage();
    states->junk.setJunkGroups({});
    states->junk.setJunkScanned(false);
    settle();
}

TEST_F(UiTest, JunkPageWithContainerStorage)
{
    // Podman's storage as Debian 12's podman printed it: a created container,
    // the image only it uses, unused images and two volumes.
    const auto recorded = [](const char* name) {
        return QString::fromStdString(readFile(fs::path(QUILLMOOR_RECORDED_DIR) / "podman" / name));
    };
    const FixtureSystem system(FS::home() / "container-system-root",  // none of the other tests' system files
                               {{"podman images", recorded("images.json")},
                                {"podman ps", recorded("ps.json")},
                                {"podman image inspect", recorded("image-inspect.json")},
                                {"podman container inspect", recorded("container-inspect.json")},
                                {"podman volume ls", recorded("volumes.json")}});
    states->junk.setJunkGroups({});
    states->junk.setJunkScanned(false);
    showSection("junk");
    states->junk.scanJunk();
    ASSERT_EVENTUALLY(states->junk.junkScanned() && !states->junk.junkSystemPending(), 20000);
    EXPECT_EQ(junkIds(), (std::vector<QString>{"podman", "podmanvolumes"}));
    EXPECT_EQ(findVisible("adminChip-podman"), nullptr);  // the user's own storage: no password
    settle(900);  // both groups' cards in
    for (const char* card : {"junkCard-podmanvolumes", "junkCard-podman"}) {  // the lower one first, while shown
        ASSERT_NE(findVisible(card), nullptr) << card;
        findVisible(card)->setProperty("expanded", true);
        settle(900);
        snap(QStringLiteral("junk-") + card);
    }

    // Volumes hold data: the group's box says so and ticks none of them.
    click(findVisible("groupCheck-podmanvolumes"));
    settle();
    EXPECT_TRUE(states->shell.hasMessage());
    EXPECT_EQ(states->junk.junkGroups().back().selectedTotal(), 0);
    states->shell.dismissMessage();

    // The plan names the tool; the image its container keeps and the volumes stay out.
    click(findVisible("actionBarPrimary"));
    settle();
    const QString message = shownText("confirmMessage");
    EXPECT_TRUE(message.contains("podman image rm")) << qPrintable(message);
    EXPECT_FALSE(message.contains("podman volume rm")) << qPrintable(message);
    EXPECT_FALSE(message.contains(LF("Com senha de administrador: %@", "")));
    snap("junk-containers-confirm");
    escape();
    states->junk.setJunkGroups({});
    states->junk.setJunkScanned(false);
    settle();
}

TEST_F(UiTest, JunkPageMeasuresSnapshotsOnlyTheAdministratorCanRead)
{
    // Snapper as Debian 12's printed it, its snapshots moved back a few weeks;
    // this user may list the configuration but not its snapshots.
    const auto recorded = [](const char* name) {
        return QString::fromStdString(readFile(fs::path(QUILLMOOR_RECORDED_DIR) / "snapper" / name));
    };
    const QString configs = recorded("list-configs.json");
    const QString list = recorded("list.json").replace("2026-12-09", "2026-11-01");
    const FixtureSystem system(FS::home() / "snapshot-system-root", {{"list-configs", configs}});
    SystemJunk::SnapperOutputs unread;
    unread.configs = configs.toUtf8();
    unread.mayMeasure = true;
    states->junk.setJunkGroups({*SystemJunk::snapperGroup(unread, QDateTime::currentDateTime())});
    states->junk.setJunkScanned(true);
    showSection("junk");
    settle(900);
    ASSERT_NE(findVisible("junkCard-snapper"), nullptr);
    findVisible("junkCard-snapper")->setProperty("expanded", true);
    settle(900);
    snap("junk-snapshots-unread");

    // The list stands for snapshots nobody has seen yet: nothing to tick.
    click(findVisible("itemCheck-snapper"));
    settle();
    EXPECT_EQ(states->shell.message(), L("Use Medir para ler esta lista primeiro."));
    states->shell.dismissMessage();

    // Measured as the administrator: the list as root read it.
    std::vector<Admin::Request> asked;
    Admin::setRunner([&](const Admin::Request& request) {
        asked.push_back(request);
        Admin::Reply reply{true, {}, {QString()}, {}};
        reply.details = {QString::fromUtf8(QJsonDocument::fromJson(list.toUtf8()).toJson(QJsonDocument::Compact))};
        return reply;
    });
    click(findVisible("measure-snapper"));
    ASSERT_EVENTUALLY(states->junk.measuringGroup().isEmpty() && states->junk.junkGroups().size() == 1
                          && states->junk.junkGroups()[0].items.size() == 4, 20000);
    Admin::setRunner({});
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].actions, (std::vector<Admin::Action>{{Admin::kMeasureSnapshots, {"sbt"}}}));
    settle(900);
    findVisible("junkCard-snapper")->setProperty("expanded", true);
    settle(900);
    EXPECT_EQ(findVisible("measure-snapper"), nullptr);
    snap("junk-snapshots-measured");

    // One by one: the group's box ticks none; a snapshot's own box ticks it.
    click(findVisible("groupCheck-snapper"));
    settle();
    EXPECT_EQ(states->shell.message(), L("Cada instantâneo é um caminho de volta: marque um a um os que podem sair."));
    states->shell.dismissMessage();
    click(findVisible("itemCheck-snapper"));
    settle();
    click(findVisible("actionBarPrimary"));
    settle();
    EXPECT_TRUE(shownText("confirmMessage").contains("snapper")) << qPrintable(shownText("confirmMessage"));
    snap("junk-snapshots-confirm");
    escape();
    states->junk.setJunkGroups({});
    states->junk.setJunkScanned(false);
    settle();
}

TEST_F(UiTest, RealScanAndCleanFromTheOverviewLeaveWhatIsInUse)
{
    // What a Linux desktop leaves: caches (one held open by a running
    // program), thumbnails, a developer cache, installers and the Trash.
    const fs::path home = FS::home();
    const fs::path held = home / ".cache/mozilla/firefox/cache2/entries/A1";
    writeBytes(held, 900'000);
    writeBytes(home / ".cache/toolA/blob.bin", 300'000);
    writeBytes(home / ".cache/fontconfig/abc-le64.cache-8", 120'000);
    writeBytes(home / ".cache/thumbnails/normal/0f3a.png", 60'000);
    writeBytes(home / ".npm/_cacache/content-v2/sha512/aa", 400'000);
    writeBytes(home / "Downloads/tool_2.1_amd64.deb", 700'000);
    writeBytes(home / "Downloads/Setup-9.iso", 200'000);
    trashFixture("old-notes.txt", 100'000);

    states->junk.setJunkGroups({});
    states->junk.setJunkScanned(false);
    showSection("overview");
    const qint64 freedBefore = states->removals.totalFreed();
    {
        const Sleeper holding(held, {});
        ASSERT_TRUE(holding.started());
        click(findVisible("startScanButton"));
        ASSERT_EVENTUALLY(states->junk.junkScanned() && !states->junk.junkScanning(), 20000);
    }
    EXPECT_EQ(junkIds(), (std::vector<QString>{"caches", "thumbnails", "devcache", "installers", "trash"}));
    ASSERT_FALSE(states->junk.junkGroups().front().items.empty());
    EXPECT_FALSE(states->junk.junkGroups().front().items.front().selected);  // mozilla's, held open
    settle(900);
    snap("overview-real-scan");
    showSection("junk", 900);
    snap("junk-linux");
    showSection("overview");

    // Clean what starts ticked: the caches not in use, the thumbnails, the
    // developer cache and the Trash; the installers are not ticked.
    confirm("overview-confirm", "cleanNowButton");
    ASSERT_EVENTUALLY(states->removals.celebrating(), 20000);
    settle(2000);
    snap("celebration-after-clean");
    EXPECT_TRUE(fs::exists(held));
    for (const char* gone : {".cache/toolA", ".cache/fontconfig", ".cache/thumbnails/normal/0f3a.png", ".npm/_cacache"})
        EXPECT_FALSE(fs::exists(home / gone)) << gone;
    EXPECT_FALSE(fs::exists(FS::trashFolder() / "old-notes.txt"));
    EXPECT_TRUE(fs::exists(home / "Downloads/Setup-9.iso"));
    EXPECT_TRUE(fs::exists(home / "Downloads/tool_2.1_amd64.deb"));
    EXPECT_GT(states->removals.totalFreed(), freedBefore);
    // groups left empty are gone from the result; what was left stays listed
    EXPECT_EQ(junkIds(), (std::vector<QString>{"caches", "installers"}));
    dismissCelebration();

    for (const char* folder : {".cache", ".npm", "Downloads"})
        fs::remove_all(home / folder);
    states->junk.setJunkGroups({});
    states->junk.setJunkScanned(false);
    settle();
}

TEST_F(UiTest, JunkPageByKeyboardAlone)
{
    const fs::path home = FS::home();
    for (const char* tool : {"toolB", "toolC", "toolD", "toolE", "toolF", "toolG", "toolH", "toolI"})
        writeBytes(home / ".cache" / tool / "blob.bin", 200'000);  // so that the expanded card reaches below
    writeBytes(home / ".cache/thumbnails/normal/1a2b.png", 60'000);
    trashFixture("draft.txt", 90'000);
    states->junk.setJunkGroups({});
    states->junk.setJunkScanned(false);
    showSection("junk");

    // From the section's row in the sidebar, Tab reaches the page's button; Enter scans.
    QList<QQuickItem*> rows = visibleItems(find("sidebar"), [](QQuickItem* item) {
        return item->property("section").toMap().value("id") == "junk";
    });
    ASSERT_EQ(rows.size(), 1);
    rows.first()->forceActiveFocus();
    ASSERT_TRUE(tabTo("scanIntroButton"));
    QTest::keyClick(window, Qt::Key_Return);
    ASSERT_EVENTUALLY(states->junk.junkScanned() && !states->junk.junkScanning(), 20000);
    settle(900);
    ASSERT_EQ(junkIds(), (std::vector<QString>{"caches", "thumbnails", "trash"}));

    // The group's box, its expand control and its items, in order both ways;
    // the focused control is ringed.
    ASSERT_TRUE(tabTo("groupCheck-caches"));
    EXPECT_TRUE(window->activeFocusItem()->findChild<QQuickItem*>("focusRing")->isVisible());
    QTest::keyClick(window, Qt::Key_Tab);
    EXPECT_EQ(focused(), "groupExpand-caches");
    QTest::keyClick(window, Qt::Key_Return);
    settle();
    QTest::keyClick(window, Qt::Key_Tab);
    EXPECT_EQ(focused(), "itemCheck-caches");
    const bool ticked = states->junk.junkGroups().front().items.front().selected;
    QTest::keyClick(window, Qt::Key_Space);
    EXPECT_NE(states->junk.junkGroups().front().items.front().selected, ticked);
    QTest::keyClick(window, Qt::Key_Enter);
    EXPECT_EQ(states->junk.junkGroups().front().items.front().selected, ticked);
    QTest::keyClick(window, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focused(), "groupExpand-caches");
    QTest::keyClick(window, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focused(), "groupCheck-caches");

    // Further down, the focused box is scrolled into view.
    ASSERT_TRUE(tabTo("groupCheck-trash"));
    settle();
    auto* list = findVisible("junkGroups");
    const QRectF seen = list->mapRectToScene(QRectF(0, 0, list->width(), list->height()));
    QQuickItem* box = window->activeFocusItem();
    EXPECT_TRUE(seen.contains(box->mapRectToScene(QRectF(0, 0, box->width(), box->height()))));
    snap("junk-keyboard");

    // The action bar's button, then the confirmation's: Return cleans.
    ASSERT_TRUE(tabTo("actionBarPrimary"));
    snap("junk-keyboard-button");
    QTest::keyClick(window, Qt::Key_Return);
    settle();
    ASSERT_NE(findVisible("confirmButton"), nullptr);
    QTest::keyClick(window, Qt::Key_Return);
    dismissCelebration();
    EXPECT_FALSE(fs::exists(FS::trashFolder() / "draft.txt"));
    EXPECT_FALSE(fs::exists(home / ".cache/thumbnails/normal/1a2b.png"));
    fs::remove_all(home / ".cache");
    states->junk.setJunkGroups({});
    states->junk.setJunkScanned(false);
}

TEST_F(UiTest, LargeFilesFoundChosenAndTrashed)
{
    // Two big files the walk must find (sparse: cheap to make), and big files
    // in places it must never look.
    const fs::path home = FS::home();
    for (const auto& [path, bytes] : {std::pair{"Videos/holiday 2024.mkv", 180'000'000}, {"Projects/backup.tar", 120'000'000},
                                      {".local/share/Trash/files/huge.bin", 900'000'000}, {".hidden/huge.bin", 900'000'000}})
        sparseFile(home / path, bytes);

    showSection("large");
    snapPage("large-idle");

    // the threshold choice does not start a scan
    click(findVisible("thresholdChoice")->childItems().first()->childItems().first());
    settle(200);
    EXPECT_EQ(states->large.largeMin(), 100'000'000);
    EXPECT_FALSE(states->large.largeScanning());

    states->large.setLargeScanning(true);
    states->large.setLargeProgress(48'000);
    settle(600);
    snap("large-scanning");
    states->large.setLargeScanning(false);
    settle();

    click(findVisible("scanIntroButton"));
    ASSERT_EVENTUALLY(states->large.largeScanned() && !states->large.largeScanning(), 20000);
    ASSERT_EQ(states->large.largeCount(), 2);
    settle();
    snap("large-scanned");
    EXPECT_TRUE(shownText("largeDateHeading").endsWith(L("Último acesso")));  // the date shown is the last read

    states->large.toggleLargeFile(states->large.largeFiles()[1].id.toString(QUuid::WithoutBraces));  // the smaller
    confirm("large-confirm");
    ASSERT_EVENTUALLY(!states->removals.busy() && states->large.largeCount() == 1, 20000);
    EXPECT_TRUE(fs::exists(FS::trashFolder() / "backup.tar"));
    EXPECT_TRUE(fs::exists(home / "Videos/holiday 2024.mkv"));
    dismissCelebration();

    // Back from the history, by keyboard alone: another file has its place
    // now, so it goes back beside it under a name typed there.
    sparseFile(home / "Projects/backup.tar", 10);
    findVisible("freedTotal")->forceActiveFocus();
    QTest::keyClick(window, Qt::Key_Return);
    ASSERT_EVENTUALLY(findVisible("historyRecord-0") != nullptr && findVisible("historyRecord-0")->hasActiveFocus(), 5000);
    QTest::keyClick(window, Qt::Key_Return);
    settle(300);
    EXPECT_TRUE(shows(LF("Já existe um item em %@.", "~/Projects/backup.tar")));
    snap("history-occupied");
    QTest::keyClick(window, Qt::Key_Tab);
    ASSERT_EQ(window->activeFocusItem(), findVisible("restoreOtherName"));
    for (const char key : std::string_view("backup (old).tar"))
        QTest::keyClick(window, key);
    QTest::keyClick(window, Qt::Key_Return);
    settle(300);
    EXPECT_EQ(fs::file_size(home / "Projects/backup (old).tar"), 120'000'000u);
    EXPECT_EQ(fs::file_size(home / "Projects/backup.tar"), 10u);
    EXPECT_FALSE(fs::exists(FS::trashFolder() / "backup.tar"));
    EXPECT_EQ(findVisible("restoreOtherName"), nullptr);
    EXPECT_TRUE(shownText("restoreReason").contains("backup (old).tar"));
    snap("history-restored");
    QTest::keyClick(window, Qt::Key_Escape);
    settle();
    EXPECT_FALSE(states->history.shown());
    fs::remove_all(home / "Projects");
}

TEST_F(UiTest, AlwaysIgnoreFromALargeFilesRowByMouseAndByKeyboard)
{
    const fs::path home = FS::home();
    for (const auto& [path, bytes] : {std::pair{"Ignore me/first.iso", 900'000'000}, {"Ignore me/second.iso", 800'000'000}})
        sparseFile(home / path, bytes);
    states->large.setLargeMin(500'000'000);
    showSection("large");
    states->large.scanLarge();
    ASSERT_EVENTUALLY(states->large.largeScanned() && !states->large.largeScanning(), 20000);
    const auto shownPaths = [] { return listOf(states->large.shownLargeFiles(), &LargeFile::url); };
    ASSERT_EQ(shownPaths().front(), home / "Ignore me/first.iso");
    settle();

    // By mouse: a right click on the largest row, then "Sempre ignorar".
    QQuickItem* box = findVisible("largeCheck-0");
    ASSERT_NE(box, nullptr);
    // The name follows the box in the reading direction.
    const bool rtl = appLayoutDirection() == Qt::RightToLeft;
    const QPointF overName = box->mapToScene(QPointF(rtl ? -80 : box->width() + 80, box->height() / 2));
    QTest::mouseClick(window, Qt::RightButton, Qt::NoModifier, overName.toPoint());
    settle(300);
    snap("large-row-menu");
    click(findVisible("alwaysIgnore"));
    settle(300);
    EXPECT_EQ(shownPaths().front(), home / "Ignore me/second.iso");
    EXPECT_EQ(states->large.ignoredCount(), 1);
    EXPECT_TRUE(shows(LP(1, "%ld itens ignorados", 1)));

    // By keyboard: the menu key on the focused row's box, then the menu's only row.
    findVisible("largeCheck-0")->forceActiveFocus();
    QTest::keyClick(window, Qt::Key_Menu);
    settle(300);
    ASSERT_NE(findVisible("alwaysIgnore"), nullptr);
    QTest::keyClick(window, Qt::Key_Down);
    QTest::keyClick(window, Qt::Key_Return);
    settle(300);
    EXPECT_TRUE(shownPaths().empty() || shownPaths().front() != home / "Ignore me/second.iso");
    EXPECT_EQ(states->large.ignoredCount(), 2);
    EXPECT_TRUE(shows(LP(2, "%ld itens ignorados", 2)));
    snap("large-ignored");

    // A new walk neither lists nor enters them, and says so.
    states->large.scanLarge();
    ASSERT_EVENTUALLY(states->large.largeScanned() && !states->large.largeScanning(), 20000);
    EXPECT_EQ(states->large.ignoredCount(), 2);
    for (const QVariant& place : states->neverTouch.places())
        states->neverTouch.remove(place.toMap().value("key").toString());
    fs::remove_all(home / "Ignore me");
}

TEST_F(UiTest, DuplicatesFoundGuardedAndTrashed)
{
    // A photo folder copied twice, a download saved three times (one of them
    // with a second name), a copy inside node_modules, a song with a name
    // outside the search; a file of the same size with other bytes, a unique
    // file and copies below the minimum size are no copies.
    const fs::path top = FS::home() / "Arquivo";
    const auto bytes = [](std::size_t size, char seed) {
        std::string text(size, '\0');
        for (std::size_t i = 0; i < size; ++i)
            text[i] = char(seed + char(i * 13 % 241));
        return text;
    };
    const auto write = [&](const fs::path& path, const std::string& text, int daysOld) {
        writeFile(path, text);
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(24 * daysOld));
    };
    const std::string photo1 = bytes(300'000, 'a'), photo2 = bytes(250'000, 'b'), report = bytes(600'000, 'c');
    const std::string data = bytes(200'000, 'd'), song = bytes(500'000, 'e');
    for (const auto& [folder, age] : {std::pair{"Photos", 30}, {"Photos (copy)", 20}, {"Backup/Photos", 10}}) {
        write(top / folder / "IMG_0001.jpg", photo1, age);
        write(top / folder / "IMG_0002.jpg", photo2, age);
    }
    write(top / "Photos/IMG_0003.jpg", bytes(300'000, 'z'), 30);
    write(top / "Downloads/report.pdf", report, 9);
    write(top / "Downloads/report (1).pdf", report, 8);
    write(top / "Downloads/report (2).pdf", report, 7);
    fs::create_directories(top / "Mail");
    fs::create_hard_link(top / "Downloads/report (1).pdf", top / "Mail/report.pdf");
    write(top / "Vendor/data.bin", data, 6);
    write(top / "Code/app/node_modules/pkg/data.bin", data, 5);
    write(top / "Music/song copy.flac", song, 4);
    write(top / "Music/song.flac", song, 3);
    fs::create_hard_link(top / "Music/song.flac", FS::home() / "song elsewhere.flac");
    write(top / "notes.txt", bytes(150'000, 'n'), 2);
    write(top / "tiny/a.txt", bytes(2'000, 't'), 2);
    write(top / "tiny/b.txt", bytes(2'000, 't'), 2);

    showSection("duplicates");
    snapPage("dupes-idle");

    // A search held up by two huge twins (sparse: nothing on the disk) shows its
    // figures while it reads them, and its stop keeps nothing.
    const fs::path discs = FS::home() / "Discos";
    for (int i = 0; i < 20; ++i)
        for (const char* copy : {"a", "b"})
            writeFile(discs / "parts" / (std::to_string(i) + copy), bytes(100'000, char('A' + i)));
    sparseFile(discs / "disk.img", 1LL << 39);
    sparseFile(discs / "disk copy.img", 1LL << 39);
    states->dupes.chooseDupesFolder(textOf(discs));
    states->dupes.setDupesMin(0);
    states->dupes.scanDupes();
    ASSERT_EVENTUALLY(states->dupes.dupesPhase() == L("Comparando o conteúdo"), 20000);
    settle(300);
    snap("dupes-scanning");
    EXPECT_TRUE(states->dupes.dupesScanning());
    click(shownItem(L("Parar")));
    ASSERT_EVENTUALLY(!states->dupes.dupesScanning(), 5000);
    EXPECT_FALSE(states->dupes.dupesScanned());
    fs::remove_all(discs);

    states->dupes.chooseDupesFolder(textOf(top));
    click(shownItem(states->dupes.dupesMinOptions().at(1).toMap().value("label").toString(), findVisible("dupesMinChoice")));
    settle(200);
    EXPECT_EQ(states->dupes.dupesMin(), 100'000);
    click(findVisible("scanIntroButton"));
    ASSERT_EVENTUALLY(states->dupes.dupesScanned() && !states->dupes.dupesScanning(), 20000);
    ASSERT_EQ(states->dupes.dupesGroupCount(), 5);
    EXPECT_EQ(states->dupes.dupesReclaimable(), 2 * 600'000 + 2 * 300'000 + 2 * 250'000 + 200'000);
    EXPECT_EQ(states->dupes.dupesSelectedCount(), 6);
    const auto copyRow = [&](const fs::path& path) {
        for (const QVariantMap& row : states->dupes.dupesModel()->rows())
            if (row.value("path").toString() == textOf(path))
                return row;
        ADD_FAILURE() << path;
        return QVariantMap();
    };
    EXPECT_EQ(copyRow(top / "Code/app/node_modules/pkg/data.bin").value("note"), L("Parte de um projeto"));
    const QVariantMap partial = copyRow(top / "Music/song.flac");
    EXPECT_EQ(partial.value("note"), L("Tem outros nomes fora desta busca"));
    EXPECT_EQ(partial.value("cost").toLongLong(), 0);
    EXPECT_FALSE(partial.value("selected").toBool());
    states->dupes.setGroups(std::vector(states->dupes.groups()), 1);  // as if one file could not be read
    settle();
    snap("dupes-scanned");
    EXPECT_TRUE(shows(LP(1, "%ld arquivos não puderam ser lidos", 1)));
    EXPECT_EQ(shows(L("Substituir por cópia compartilhada")), states->dupes.dupesShareOffered());
    QMetaObject::invokeMethod(findVisible("dupesList"), "positionViewAtEnd");
    settle();
    snap("dupes-scanned-end");
    EXPECT_TRUE(shows(L("Tem outros nomes fora desta busca")));

    // A row brought into view, and its tick box.
    const auto showRow = [&](const fs::path& path) {
        const QList<QVariantMap> rows = states->dupes.dupesModel()->rows();
        for (int i = 0; i < rows.size(); ++i)
            if (rows[i].value("path").toString() == textOf(path))
                QMetaObject::invokeMethod(findVisible("dupesList"), "positionViewAtIndex", Q_ARG(int, i), Q_ARG(int, 4));
        settle(200);
        return findVisible("dupeCheck-" + copyRow(path).value("rowId").toString());
    };
    const fs::path keptReport = top / "Downloads/report.pdf", report2 = top / "Downloads/report (2).pdf";
    const QString refused = L("A mantida fica: use “Manter esta” em outra cópia");

    // The kept report takes no tick, by mouse or by keyboard, and its row says why.
    QQuickItem* keptBox = showRow(keptReport);
    ASSERT_NE(keptBox, nullptr);
    EXPECT_TRUE(copyRow(keptReport).value("kept").toBool());
    click(keptBox);
    settle(200);
    EXPECT_FALSE(copyRow(keptReport).value("selected").toBool());
    EXPECT_NE(findVisible("dupeRefusal"), nullptr);
    EXPECT_TRUE(shows(refused));
    snap("dupes-refused");
    click(showRow(report2));  // untick another copy: the kept one still refuses
    settle(200);
    EXPECT_FALSE(copyRow(report2).value("selected").toBool());
    EXPECT_EQ(findVisible("dupeRefusal"), nullptr);  // a refusal is said once
    keptBox = showRow(keptReport);
    keptBox->forceActiveFocus();
    QTest::keyClick(window, Qt::Key_Space);
    settle(200);
    EXPECT_FALSE(copyRow(keptReport).value("selected").toBool());
    EXPECT_TRUE(shows(refused));

    // "Keep this one" from the row's menu by mouse (a right click) moves the
    // badge: the new kept copy is unticked, the old one ticked by the rules.
    QQuickItem* box2 = showRow(report2);
    ASSERT_NE(box2, nullptr);
    QQuickItem* list = findVisible("dupesList");
    const QPointF inRow(list->mapToScene(QPointF(list->width() / 2, 0)).x(),
                        box2->mapToScene(QPointF(0, box2->height() / 2)).y());  // over the name, either way round
    QTest::mouseClick(window, Qt::RightButton, Qt::NoModifier, inRow.toPoint());
    settle(300);
    snap("dupes-copy-menu");
    click(findVisible("dupeKeepThis"));
    settle(300);
    EXPECT_TRUE(copyRow(report2).value("kept").toBool());
    EXPECT_FALSE(copyRow(report2).value("selected").toBool());
    EXPECT_FALSE(copyRow(keptReport).value("kept").toBool());
    EXPECT_TRUE(copyRow(keptReport).value("selected").toBool());
    // ...and back by keyboard: the menu key on the report's box, then the menu's first row.
    showRow(keptReport)->forceActiveFocus();
    QTest::keyClick(window, Qt::Key_Menu);
    settle(300);
    ASSERT_NE(findVisible("dupeKeepThis"), nullptr);
    QTest::keyClick(window, Qt::Key_Down);
    QTest::keyClick(window, Qt::Key_Return);
    settle(300);
    EXPECT_TRUE(copyRow(keptReport).value("kept").toBool());
    EXPECT_FALSE(copyRow(keptReport).value("selected").toBool());
    EXPECT_TRUE(copyRow(report2).value("selected").toBool());
    EXPECT_EQ(focused(), "dupeCheck-" + copyRow(keptReport).value("rowId").toString());  // the focus moved with it

    // Both ticked copies of the second photo unticked, one by mouse and one by keyboard.
    const fs::path photoCopy = top / "Photos (copy)/IMG_0002.jpg", photoBackup = top / "Backup/Photos/IMG_0002.jpg";
    click(showRow(photoCopy));
    showRow(photoBackup)->forceActiveFocus();
    QTest::keyClick(window, Qt::Key_Space);
    settle(200);
    EXPECT_FALSE(copyRow(photoCopy).value("selected").toBool() || copyRow(photoBackup).value("selected").toBool());
    QMetaObject::invokeMethod(findVisible("dupesList"), "positionViewAtBeginning");
    settle();
    EXPECT_TRUE(shownText("dupesDateHeading").endsWith(L("Modificado em")));

    const auto trashed = [] {
        fs::create_directories(FS::trashFolder());
        return std::distance(fs::directory_iterator(FS::trashFolder()), fs::directory_iterator());
    };
    const auto before = trashed();
    confirm("dupes-confirm");
    ASSERT_EVENTUALLY(!states->removals.busy() && states->dupes.dupesGroupCount() == 3, 20000);
    EXPECT_EQ(trashed() - before, 5);  // four copies, one of them with its second name
    for (const char* gone : {"Photos (copy)/IMG_0001.jpg", "Backup/Photos/IMG_0001.jpg", "Downloads/report (1).pdf",
                             "Mail/report.pdf", "Downloads/report (2).pdf"})
        EXPECT_FALSE(fs::exists(top / gone)) << gone;
    for (const char* left : {"Photos/IMG_0001.jpg", "Photos/IMG_0002.jpg", "Photos (copy)/IMG_0002.jpg",
                             "Backup/Photos/IMG_0002.jpg", "Downloads/report.pdf", "Vendor/data.bin",
                             "Code/app/node_modules/pkg/data.bin", "Music/song.flac", "Music/song copy.flac"})
        EXPECT_TRUE(fs::exists(top / left)) << left;
    // What the user unticked stays unticked.
    EXPECT_EQ(states->dupes.dupesSelectedCount(), 0);
    dismissCelebration();

    states->dupes.setGroups({}, 0);
    settle();
    snap("dupes-none");
    EXPECT_TRUE(shows(L("Nenhuma cópia encontrada")));
    states->dupes.chooseDupesFolder("");
}

// The duplicates page's other views, shown with fixture lists: the pictures
// that look alike (thumbnails, resolution, format; nothing ticked until
// "Select the smaller ones") and the empty folders and broken links; the
// views are switched by keyboard and by mouse, each keeping its list.
TEST_F(UiTest, DuplicatesPageViewsForPicturesAndLint)
{
    showSection("duplicates");
    const auto viewChoice = [](int index) { return findVisible("dupesViewChoice-" + QString::number(index)); };
    ASSERT_NE(viewChoice(0), nullptr);
    ASSERT_TRUE(tabTo("dupesViewChoice-0"));
    // the arrow towards the next choice: the left one in a mirrored page
    const Qt::Key onward = appLang() == Lang::ar ? Qt::Key_Left : Qt::Key_Right;
    QTest::keyClick(window, onward);
    EXPECT_EQ(states->dupes.dupesView(), 1);
    QTest::keyClick(window, onward);
    EXPECT_EQ(states->dupes.dupesView(), 2);
    QTest::keyClick(window, onward);  // the last choice stays
    EXPECT_EQ(states->dupes.dupesView(), 2);
    EXPECT_EQ(focused(), "dupesViewChoice-2");
    QTest::keyClick(window, appLang() == Lang::ar ? Qt::Key_Right : Qt::Key_Left);
    EXPECT_EQ(states->dupes.dupesView(), 1);
    ASSERT_TRUE(tabTo("dupesViewChoice-0", true));
    QTest::keyClick(window, Qt::Key_Space);
    EXPECT_EQ(states->dupes.dupesView(), 0);
    click(viewChoice(1));
    settle();
    ASSERT_EQ(states->dupes.dupesView(), 1);
    snapPage("dupes-similar-idle");
    EXPECT_NE(findVisible("dupesLevelChoice"), nullptr);
    click(findVisible("dupesLevelChoice-2"));
    EXPECT_EQ(states->dupes.dupesLevel(), 3);
    states->dupes.setDupesLevel(2);

    // Three pictures of one photo, the largest kept; real files, so the thumbnails show.
    const fs::path photos = FS::home() / "Fotos do verão";
    fs::create_directories(photos);
    const auto picture = [&](const char* name, int width, int height, bool kept) {
        const fs::path path = photos / name;
        QImage image(width / 10, height / 10, QImage::Format_RGB32);
        image.fill(QColor("#3d7ab8"));
        EXPECT_TRUE(image.save(textOf(path), "PNG"));
        struct stat st {};
        ::stat(path.c_str(), &st);
        Dupes::ShownCopy copy;
        copy.copy.file = {path.native(), st.st_dev, st.st_ino, std::int64_t(st.st_size), std::int64_t(st.st_mtim.tv_sec) * 1'000'000'000, 1};
        copy.picture = {width, height, "PNG", kept ? 0 : 4};
        copy.kept = kept;
        return copy;
    };
    Dupes::Group group;
    group.similar = true;
    group.copies = {picture("praia.png", 4000, 3000, true), picture("praia (menor).png", 1600, 1200, false),
                    picture("praia WhatsApp.png", 800, 600, false)};
    Dupes::Group second;
    second.similar = true;
    second.copies = {picture("pôr do sol.png", 3000, 2000, true), picture("pôr do sol editada.png", 2400, 1600, false)};
    states->dupes.setGroups({group, second}, 2, 1);
    settle(900);  // the thumbnails are read in the background
    snap("dupes-similar");
    EXPECT_EQ(states->dupes.dupesSelectedCount(), 0);
    EXPECT_TRUE(shows(LP(2, "%ld imagens não puderam ser lidas", 2)));
    EXPECT_TRUE(shows(LP(1, "%ld imagens grandes demais", 1)));
    EXPECT_TRUE(shows(LP(3, "%ld fotos parecidas", 3)));
    EXPECT_TRUE(shows("4000 × 3000"));
    EXPECT_FALSE(shows(L("Substituir por cópia compartilhada")));
    const QList<QQuickItem*> thumbs = allVisible("dupeThumb");
    ASSERT_FALSE(thumbs.isEmpty());
    EXPECT_EQ(thumbs.first()->property("status").toInt(), 1);  // Image.Ready

    click(findVisible("dupesSelectSmaller"));
    settle(200);
    EXPECT_EQ(states->dupes.dupesSelectedCount(), 3);
    for (const QVariantMap& row : states->dupes.dupesModel()->rows()) {
        if (row.value("kind") == "copy") {
            EXPECT_EQ(row.value("selected").toBool(), !row.value("kept").toBool()) << qPrintable(row.value("name").toString());
        }
    }
    snap("dupes-similar-ticked");

    // The empty folders and broken links, chosen by mouse.
    click(viewChoice(2));
    settle();
    ASSERT_EQ(states->dupes.dupesView(), 2);
    snapPage("dupes-lint-idle");
    EXPECT_NE(findVisible("lintIntro"), nullptr);
    const fs::path home = FS::home();
    const auto item = [](Lint::Kind kind, const fs::path& path, int folders, const char* target = "") {
        Lint::Item found;
        found.kind = kind;
        found.path = path.native();
        found.folders = folders;
        found.target = target;
        found.selected = true;
        return found;
    };
    states->lint.setItems({item(Lint::Kind::EmptyFolder, home / "Projetos/antigo", 3),
                           item(Lint::Kind::EmptyFolder, home / "Downloads/vazia", 1),
                           item(Lint::Kind::BrokenLink, home / "Área de Trabalho/relatório.pdf", 1,
                                "/media/pendrive/relatório final.pdf")});
    settle();
    snap("dupes-lint");
    EXPECT_TRUE(shows(L("Pasta vazia")));
    EXPECT_TRUE(shows(L("Link quebrado")));
    EXPECT_TRUE(shows(LP(3, "%ld pastas", 3)));
    click(findVisible("lintCheck-1"));
    settle(200);
    EXPECT_EQ(states->lint.lintSelectedCount(), 2);
    click(findVisible("actionBarPrimary"));
    settle();
    snap("dupes-lint-confirm");
    EXPECT_FALSE(states->lint.lintPlan().isEmpty());
    escape();
    EXPECT_TRUE(states->lint.lintPlan().isEmpty());

    // Back to the pictures: their list and ticks were kept.
    click(viewChoice(1));
    settle();
    EXPECT_EQ(states->dupes.dupesGroupCount(), 2);
    EXPECT_EQ(states->dupes.dupesSelectedCount(), 3);

    states->dupes.setGroups({}, 0);
    states->lint.setItems({});
    click(viewChoice(0));
    settle();
    fs::remove_all(photos);
}

TEST_F(UiTest, UninstallerOnLinuxRemovesThroughEachOwner)
{
    DesktopFixture fx;
    fx.populate();
    writeIcon(fx.root / "usr/share/pixmaps/mini.xterm.png", QColor("#3a3a3a"));
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

    states->uninstaller.setAppBackend(LinuxApps::backend(fx.sources(), fx.runner()));
    states->removals.setRemovalAdminRunner([](const Admin::Request&) { return Admin::Reply{false, "not in the UI test", {}, {}}; });
    states->uninstaller.selectApp({});
    states->uninstaller.loadApps();
    ASSERT_EVENTUALLY(states->uninstaller.appCount() == 10 && states->uninstaller.appSizes().size() >= 10, 10000);
    showSection("uninstaller", 700);
    snapPage("uninstaller-linux-list");
    EXPECT_TRUE(shows("Calculator"));

    // a click on a row chooses its application (the first: Calculator)
    click(findVisible("appRow"));
    ASSERT_EVENTUALLY(!states->uninstaller.appLoading()
                          && states->uninstaller.selectedAppInfo()["name"].toString() == "Calculator",
                      10000);
    // a Flatpak goes by flatpak, which no Trash gives back
    settle();
    click(findVisible("actionBarPrimary"));
    settle();
    EXPECT_TRUE(shownText("confirmMessage").contains("flatpak uninstall")) << qPrintable(shownText("confirmMessage"));
    snap("uninstaller-flatpak-confirm");
    escape();

    const auto choose = [&](const QString& name) {
        QString id;
        for (const AppInfo& app : states->uninstaller.apps())
            if (app.name == name && id.isEmpty())
                id = app.id();
        states->uninstaller.selectApp(id);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !states->uninstaller.appLoading(); }, 10000));
        settle();
    };

    // a package: the confirmation names what goes with it, not the application or its own package again
    choose("XTerm");
    snap("uninstaller-linux-package");
    click(findVisible("actionBarPrimary"));
    settle();
    EXPECT_TRUE(shownText("confirmMessage").contains("UXTerm"));
    EXPECT_TRUE(shownText("confirmMessage").contains(LF("Com senha de administrador: %@", "XTerm")));
    snap("uninstaller-linux-confirm");
    escape();
    // it names the Trash only while a leftover is ticked
    for (const JunkItem& file : std::vector<JunkItem>(states->uninstaller.appFiles().begin() + 1, states->uninstaller.appFiles().end()))
        if (file.selected)
            states->uninstaller.toggleAppFile(file.id.toString(QUuid::WithoutBraces));
    click(findVisible("actionBarPrimary"));
    settle();
    EXPECT_FALSE(shownText("confirmMessage").contains(L("Para a Lixeira (podem ser restaurados): %@").section('(', 0, 0)));
    escape();

    // nobody owns it: the uninstall button is off and says why
    choose("Shop Tool");
    EXPECT_FALSE(findVisible("actionBarPrimary")->isEnabled());
    snap("uninstaller-linux-none");

    // an AppImage: the file and its entry go to the Trash with the ticked leftovers
    choose("Notes");
    ASSERT_GE(states->uninstaller.appFiles().size(), 4u);
    const auto shared = std::find_if(states->uninstaller.appFiles().begin(), states->uninstaller.appFiles().end(),
                                     [&](const JunkItem& i) { return i.url == fx.home / ".local/share/appimagekit-notes"; });
    ASSERT_NE(shared, states->uninstaller.appFiles().end());
    EXPECT_FALSE(shared->selected);
    EXPECT_EQ(shared->note, LF("Também usado por %@", "Notes Sync"));
    ASSERT_NE(findVisible("appFileNote"), nullptr);
    snap("uninstaller-linux-appimage");
    confirm("uninstaller-appimage-confirm");
    ASSERT_EVENTUALLY(!states->removals.busy() && states->uninstaller.appCount() == 9, 20000);
    const fs::path trash = FS::trashFolder();
    EXPECT_TRUE(fs::exists(trash / "Notes-2.1.AppImage"));
    EXPECT_TRUE(fs::exists(trash / "appimagekit-notes.desktop"));
    EXPECT_FALSE(fs::exists(fx.home / "Apps/Notes-2.1.AppImage"));
    EXPECT_FALSE(fs::exists(fx.home / ".cache/notes"));
    EXPECT_TRUE(fs::exists(fx.home / ".local/share/appimagekit-notes/index"));  // unticked: kept
    EXPECT_EQ(states->uninstaller.selectedApp(), "");  // the removed application is no longer chosen
    dismissCelebration();
    showSection("overview");
}

TEST_F(UiTest, StartupItemsConfirmByOwner)
{
    const fs::path user = FS::home() / "fixture-launch/user";
    const fs::path all = FS::home() / "fixture-launch/all";
    const fs::path daemons = FS::home() / "fixture-launch/daemons";
    writeFile(user / "com.maker.notely.helper.plist",
              xmlPlist({{"Label", "com.maker.notely.helper"}, {"Program", "/opt/notely/helper"}}));
    writeFile(user / "broken.plist", "not a property list");
    writeFile(all / "org.sync.agent.plist", xmlPlist({{"Label", "org.sync.agent"}},
              "<key>ProgramArguments</key><array><string>/usr/lib/sync/agent</string><string>--bg</string></array>"));
    writeFile(daemons / "org.backup.daemon.plist",
              xmlPlist({{"Label", "org.backup.daemon"}, {"Program", "/usr/sbin/backupd"}}));
    states->startup.setStartupBackend(MacStartup::backend({{user, "Usuário", true}, {all, "Todos os usuários", false},
                             {daemons, "Sistema (daemon)", false}}));
    states->startup.loadAgents();
    ASSERT_EVENTUALLY(states->startup.agentCount() == 4, 5000);
    showSection("startup", 900);
    snapPage("startup-list");
    EXPECT_TRUE(shows("com.maker.notely.helper"));
    EXPECT_TRUE(shows("org.backup.daemon"));

    // the user's own agent: it stops now and does not come back
    click(findVisible("agentRemove"));
    settle();
    snap("startup-confirm-user");
    escape();

    // a daemon: the administrator password will be asked for
    states->startup.setStartupBackend(MacStartup::backend({{daemons, "Sistema (daemon)", false}}));
    states->startup.loadAgents();
    ASSERT_EVENTUALLY(states->startup.agentCount() == 1, 5000);
    settle(600);
    click(findVisible("agentRemove"));
    settle();
    EXPECT_TRUE(shownText("confirmMessage").contains(LF("Com senha de administrador: %@", "")));
    snap("startup-confirm-system");
    escape();
    EXPECT_TRUE(fs::exists(daemons / "org.backup.daemon.plist"));
}

TEST_F(UiTest, SpacePageBrowsesSelectsAndTrashes)
{
    const fs::path home = FS::home();
    writeBytes(home / "Projects/render-final.mov", 900'000);
    writeBytes(home / "Projects/assets/textures.pak", 400'000);
    writeBytes(home / "Projects/notes-for-the-next-meeting.txt", 30'000);
    writeBytes(home / "Projects/old-backup.zip", 250'000);
    writeBytes(home / "Music/album.flac", 500'000);
    writeBytes(home / "Downloads/installer.iso", 700'000);
    writeBytes(home / "diary.txt", 20'000);
    // a link to a folder: its own symbol, no size; opening it opens Projects
    fs::create_directory_symlink(home / "Projects", home / "Linked projects");

    showSection("orbitMap");
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
    snapPage("space-home");
    EXPECT_TRUE(shows("Linked projects"));
    EXPECT_TRUE(shows("diary.txt"));

    // The pointer over the map holds the planets still, so a click a moment
    // later still lands on the small planet aimed at (a file: it is selected).
    const QString diary = textOf(home / "diary.txt");
    const QPoint aim = map->mapToScene(map->planetCentre(diary)).toPoint();
    ASSERT_GE(map->planetCentre(diary).x(), 0);
    QTest::mouseMove(window, aim);
    QTest::qWait(1200);
    EXPECT_FALSE(map->isAnimating());
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, aim);
    EXPECT_TRUE(model->isSelected(diary));
    model->toggle(diary);
    QTest::mouseMove(window, QPoint(2, 2));  // away: the planets turn again
    EXPECT_TRUE(map->isAnimating());

    // "Sempre ignorar" from a planet's menu (a right click): the planet wears
    // a lock at once, its row says "Ignorado", and its tick is refused.
    const QString projects = textOf(home / "Projects");
    const QPoint onProjects = map->mapToScene(map->planetCentre(projects)).toPoint();
    ASSERT_GE(map->planetCentre(projects).x(), 0);
    QTest::mouseMove(window, onProjects);
    QTest::qWait(300);
    QTest::mouseClick(window, Qt::RightButton, Qt::NoModifier, map->mapToScene(map->planetCentre(projects)).toPoint());
    settle(300);
    snap("space-entry-menu");
    click(findVisible("spaceAlwaysIgnore"));
    settle(200);
    EXPECT_TRUE(model->isIgnored(projects));
    EXPECT_EQ(allVisible("spaceIgnored").size(), 1);
    model->toggle(projects);
    EXPECT_FALSE(model->isSelected(projects));
    EXPECT_EQ(model->refusal(), L("Está na lista Nunca tocar"));
    // the reason under the pointer, over the map
    QTest::mouseMove(window, map->mapToScene(map->planetCentre(projects)).toPoint());
    QTest::qWait(1000);
    EXPECT_TRUE(shows(L("Está na lista Nunca tocar")));
    snap("space-ignored");
    // ...and from the keyboard: the Menu key on the list's current row; its item is off for what is ignored.
    QQuickItem* entries = findVisible("spaceEntries");
    ASSERT_NE(entries, nullptr);
    entries->forceActiveFocus();
    entries->setProperty("currentIndex", [&] {
        for (int i = 0; i < model->count(); ++i)
            if (model->entries()[std::size_t(i)].id() == projects)
                return i;
        return -1;
    }());
    QTest::keyClick(window, Qt::Key_F10, Qt::ShiftModifier);
    settle(300);
    ASSERT_NE(findVisible("spaceAlwaysIgnore"), nullptr);
    EXPECT_FALSE(findVisible("spaceAlwaysIgnore")->isEnabled());
    escape();
    for (const QVariant& place : states->neverTouch.places())
        states->neverTouch.remove(place.toMap().value("key").toString());
    settle(200);
    EXPECT_FALSE(model->isIgnored(projects));
    QTest::mouseMove(window, QPoint(2, 2));

    // A click on the Projects planet enters the folder.
    const QPointF at = map->planetCentre(textOf(home / "Projects"));
    ASSERT_GE(at.x(), 0);
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, map->mapToScene(at).toPoint());
    ASSERT_EVENTUALLY(model->current() == home / "Projects" && !model->loading(), 20000);
    EXPECT_EQ(model->historyCount(), 1);
    model->toggle(textOf(home / "Projects/render-final.mov"));
    model->toggle(textOf(home / "Projects/old-backup.zip"));
    model->setHovered(textOf(home / "Projects/assets"));
    settle(600);
    snap("space-folder");
    model->setHovered("");

    click(findVisible("placeButton"));
    settle();
    snap("space-menu");
    escape();

    confirm("space-confirm");
    ASSERT_EVENTUALLY(!states->removals.busy() && model->count() == 2 && !model->loading(), 20000);
    EXPECT_TRUE(fs::exists(FS::trashFolder() / "render-final.mov"));
    EXPECT_EQ(model->selectedCount(), 0);
    dismissCelebration();

    // A click on the sun goes back.
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier,
                      map->mapToScene(QPointF(map->width() / 2, map->height() / 2)).toPoint());
    ASSERT_EVENTUALLY(model->current() == home, 5000);
    EXPECT_EQ(model->historyCount(), 0);
}

TEST_F(UiTest, ToolsPageRunsTheTickedRoutines)
{
    fs::create_directories(FS::home() / ".local/share/applications");  // so that "menus" can run
    showSection("maintenance");
    snapPage("tools");
    ASSERT_NE(findVisible("actionBarPrimary"), nullptr);
    // the page's model; asked again after a page change, which builds the page anew
    const auto toolsModel = [] {
        QQuickItem* view = findVisible("toolsView");
        return view ? qvariant_cast<MaintenanceModel*>(view->property("model")) : nullptr;
    };
    auto* tools = toolsModel();
    ASSERT_NE(tools, nullptr);

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
        EXPECT_TRUE(shownText("taskStatus-" + task.id).contains(task.reason)) << task.id.toStdString();
    }
    ASSERT_FALSE(userRoutine.isEmpty());

    // A routine that frees what the junk scan found says how much.
    JunkGroup cache;
    cache.id = "pkgcache";
    cache.admin = true;
    cache.items.push_back({QUuid::createUuid(), "/var/cache/apt/archives", "archives", 182'000'000, true, {}, {}, true});
    states->junk.setJunkGroups({cache});
    settle(50);
    const auto packages = std::find_if(tools->tasks().begin(), tools->tasks().end(),
                                       [](const MaintTask& task) { return task.id == "packages"; });
    if (packages != tools->tasks().end() && packages->available) {
        EXPECT_TRUE(shownText("taskStatus-packages").contains(Fmt::bytes(182'000'000)));
    }
    snap("tools-found");
    states->junk.setJunkGroups({});

    // The prompt is dismissed; the user routine ticked too succeeds.
    states->maintenance.setMaintenanceRunners([](const std::string&) { QThread::msleep(600); return Shell::Result{true, {}}; },
                      [](const Admin::Request&) { QThread::msleep(600); return Admin::Reply{false, L("Cancelado"), {}, {}}; });
    // The box and the card around it each toggle the routine once per click.
    for (const char* target : {"taskCheck-", "taskCard-", "taskCheck-"}) {
        const bool before = tools->sel().contains(userRoutine);
        click(findVisible(target + userRoutine));
        settle(100);
        EXPECT_NE(tools->sel().contains(userRoutine), before) << target;
    }
    EXPECT_TRUE(tools->sel().contains(userRoutine));
    click(findVisible("actionBarPrimary"));
    settle(150);
    snap("tools-running");

    // The run belongs to the application: away and back, it is still running,
    // and a second one cannot start.
    showSection("overview", 150);
    showSection("maintenance", 150);
    tools = toolsModel();
    ASSERT_NE(tools, nullptr);
    EXPECT_FALSE(tools->running().isEmpty());
    EXPECT_FALSE(states->maintenance.runMaintenance(tools->tasks(), tools->sel()));
    EXPECT_TRUE(shownText("taskStatus-" + states->maintenance.maintRunning()).contains(L("Executando…")));
    ASSERT_EVENTUALLY(tools->running().isEmpty(), 10000);
    settle();
    EXPECT_EQ(tools->done(), QStringList{userRoutine});
    EXPECT_TRUE(states->shell.hasMessage());
    snap("tools-done");
    escape();
    EXPECT_TRUE(shownText("taskStatus-" + userRoutine).contains(L("Concluído")));  // Arabic adds a direction mark

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
    states->maintenance.setMaintenanceRunners({}, [](const Admin::Request&) { return Admin::Reply{false, "no administrator here", {}, {}}; });
    for (const QString& id : tools->sel())
        tools->toggle(id);
    tools->toggle("fonts");
    tools->toggle("menus");
    states->shell.dismissMessage();
    click(findVisible("actionBarPrimary"));
    ASSERT_EVENTUALLY(!tools->running().isEmpty(), 2000);
    ASSERT_EVENTUALLY(tools->running().isEmpty(), 60000);
    settle();
    EXPECT_TRUE(tools->done().contains("fonts"));
    EXPECT_TRUE(tools->done().contains("menus"));
    EXPECT_FALSE(states->shell.hasMessage()) << qPrintable(states->shell.message());
    EXPECT_TRUE(shownText("taskStatus-menus").contains(L("Concluído")));
    snap("tools-fonts-menus");
}

// Closed to the tray, the window lets go of its pages; the work under way
// goes on in the state objects and the window shows its end when it opens.
TEST_F(UiTest, WorkGoesOnWhileTheWindowIsClosedToTheTray)
{
    const fs::path home = FS::home();
    writeBytes(home / ".cache/toolB/blob.bin", 300'000);
    writeBytes(home / ".cache/toolC/blob.bin", 200'000);
    sparseFile(home / "Videos/film.mkv", 1'200'000'000);  // above every minimum the page offers
    const qint64 freed = states->removals.totalFreed();
    const auto closeToTray = [] {
        window->hide();
        settle(100);
        EXPECT_EQ(find("rootView"), nullptr);  // the pages are gone while nobody sees them
    };
    const auto reopen = [](const QString& section) {
        states->shell.setSection(section);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        settle();
        ASSERT_NE(find("rootView"), nullptr);
    };

    // A junk scan ends while the window is closed; an unticked item stays unticked.
    states->junk.setJunkScanned(false);
    states->junk.scanJunk();
    closeToTray();
    ASSERT_EVENTUALLY(states->junk.junkScanned() && !states->junk.junkScanning(), 20000);
    const JunkGroup caches = states->junk.junkGroups().front();
    ASSERT_GE(caches.items.size(), 2u);
    const QString item = caches.items.front().id.toString(QUuid::WithoutBraces);
    states->junk.toggleJunkItem(caches.id, item);
    reopen("junk");
    snap("junk-after-tray");
    EXPECT_FALSE(states->junk.junkGroups().front().items.front().selected);
    EXPECT_NE(findVisible("junkCard-" + caches.id), nullptr);
    EXPECT_EQ(states->removals.totalFreed(), freed);

    // The large-file walk.
    states->large.scanLarge();
    closeToTray();
    ASSERT_EVENTUALLY(states->large.largeScanned() && !states->large.largeScanning(), 20000);
    reopen("large");
    EXPECT_TRUE(shows("film.mkv"));

    // A maintenance run.
    showSection("maintenance");
    auto* tools = qvariant_cast<MaintenanceModel*>(findVisible("toolsView")->property("model"));
    ASSERT_NE(tools, nullptr);
    QString routine;
    for (const MaintTask& task : tools->tasks())
        if (task.available && !task.admin && routine.isEmpty())
            routine = task.id;
    ASSERT_FALSE(routine.isEmpty());
    states->maintenance.setMaintenanceRunners([](const std::string&) { QThread::msleep(600); return Shell::Result{true, {}}; }, {});
    ASSERT_TRUE(states->maintenance.runMaintenance(tools->tasks(), {routine}));
    closeToTray();
    EXPECT_FALSE(states->maintenance.maintRunning().isEmpty());  // still at work with no window
    ASSERT_EVENTUALLY(states->maintenance.maintRunning().isEmpty(), 10000);
    reopen("maintenance");
    EXPECT_TRUE(states->maintenance.maintDone().contains(routine));
    EXPECT_TRUE(shownText("taskStatus-" + routine).contains(L("Concluído")));
    states->shell.dismissMessage();

    fs::remove_all(home / ".cache");
    fs::remove_all(home / "Videos");
    states->junk.setJunkGroups({});
    states->junk.setJunkScanned(false);
    settle();
}

TEST_F(UiTest, StartupEntriesSwitchOffAndOnAgain)
{
    const fs::path system = FS::home() / "fixture-xdg/autostart";
    for (const auto& [file, body] :
         {std::pair{"xdg-user-dirs.desktop", "Name=User folders update\nExec=xdg-user-dirs-update\n"},
          {"at-spi-dbus-bus.desktop", "Name=AT-SPI D-Bus Bus\nExec=/usr/libexec/at-spi-bus-launcher --launch-immediately\n"},
          {"org.kde.kdeconnect.daemon.desktop", "Name=KDE Connect\nExec=kdeconnectd\nOnlyShowIn=KDE;\n"},
          {"blueman.desktop", "Name=Blueman Applet\nExec=blueman-applet\nX-GNOME-Autostart-enabled=false\n"}})
        writeFile(system / file, std::string("[Desktop Entry]\nType=Application\n") + body);
    LinuxStartup::Sources sources = Profiles::linuxStartupPlaces();
    sources.systemdRunning = false;
    sources.userFolder = Paths::configHome() / "autostart";
    sources.systemFolders = {system};
    sources.desktops = {"GNOME"};
    sources.user = [](const std::string&) { return Shell::Result{false, "offline"}; };
    sources.admin = [](const Admin::Request&) { return Admin::Reply{false, L("Cancelado"), {}, {}}; };
    states->startup.setStartupBackend(LinuxStartup::backend(sources));
    states->startup.loadAgents();
    ASSERT_EVENTUALLY(states->startup.agentCount() == 5, 5000);  // four entries and the login item
    showSection("startup", 900);
    snap("startup-linux");

    EXPECT_NE(findVisible("agentLock-at-spi-dbus-bus.desktop"), nullptr);
    EXPECT_EQ(findVisible("agentSwitch-at-spi-dbus-bus.desktop"), nullptr);
    EXPECT_NE(findVisible("agentElsewhere"), nullptr);

    const QString toggle = "agentSwitch-xdg-user-dirs.desktop";
    ASSERT_NE(findVisible(toggle), nullptr);
    EXPECT_TRUE(checked(toggle));
    click(findVisible(toggle));
    const fs::path override = sources.userFolder / "xdg-user-dirs.desktop";
    ASSERT_EVENTUALLY(fs::exists(override), 5000);
    ASSERT_EVENTUALLY(!checked(toggle), 5000);
    settle(600);
    snap("startup-linux-off");
    click(findVisible(toggle));
    ASSERT_EVENTUALLY(!fs::exists(override), 5000);
    ASSERT_EVENTUALLY(checked(toggle), 5000);

    // The own login item, switched on from the page, is on in the settings
    // too, and its row stays where it was (listed last while it was off).
    const auto rowOf = [&](const QString& key) {
        const std::vector<AgentItem>& agents = states->startup.agents();
        return std::find_if(agents.begin(), agents.end(), [&](const AgentItem& a) { return a.key == key; }) - agents.begin();
    };
    const auto ownRow = rowOf("com.halvick.Quillmoor.desktop");
    EXPECT_EQ(ownRow, 4);
    click(findVisible("agentSwitch-com.halvick.Quillmoor.desktop"));
    ASSERT_EVENTUALLY(states->startup.launchAtLogin(), 5000);
    ASSERT_EVENTUALLY(checked("agentSwitch-com.halvick.Quillmoor.desktop"), 5000);
    EXPECT_EQ(rowOf("com.halvick.Quillmoor.desktop"), ownRow);
    EXPECT_EQ(states->startup.setLaunchAtLogin(false), QString());
    ASSERT_EVENTUALLY(!checked("agentSwitch-com.halvick.Quillmoor.desktop"), 5000);
    states->startup.setStartupBackend(std::nullopt);
}

TEST_F(UiTest, OverviewShowsLiveGaugesAndShortcutsWhileShown)
{
    states->junk.setJunkGroups({});
    states->junk.setJunkScanned(false);
    showSection("overview", 900);  // the gauges have faded in
    auto* page = findVisible("overviewView");
    ASSERT_NE(page, nullptr);
    auto* mon = page->findChild<QObject*>("overviewMonitor");
    ASSERT_NE(mon, nullptr);
    EXPECT_TRUE(mon->property("running").toBool());
    ASSERT_EVENTUALLY(mon->property("cpuHistory").value<QList<qreal>>().size() >= 2, 6000);
    // the large-files count once a scan has finished (an earlier test ran one), "—" before
    const QString largeValue = findVisible("largeShortcut")->findChild<QQuickItem*>("shortcutValue")->property("text").toString();
    EXPECT_EQ(largeValue, states->large.largeScanned() ? QString::number(states->large.largeCount()) : QString("—"));

    // the whole page, shortcuts included
    const QSize size = window->size();
    window->resize(size.width(), 1000);
    settle();
    snap("overview-complete");

    // a shortcut leads to its section; leaving the overview stops its monitor
    QPointer<QObject> watched(mon);
    click(findVisible("startupShortcut"));
    settle();
    window->resize(size);
    EXPECT_EQ(states->shell.section(), "startup");
    EXPECT_TRUE(watched.isNull() || !watched->property("running").toBool());
    showSection("overview");
}

TEST_F(UiTest, PanelOpensFromTheSidebarAndEmptiesTheTrash)
{
    trashFixture("old-video.mkv", 2'000'000);
    auto* panel = window->findChild<QQuickWindow*>("panelWindow");
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(panel->isVisible());
    click(findVisible("panelButton"));  // no tray in the test bed: the sidebar offers the panel
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel));
    auto* mon = panel->findChild<QObject*>("panelMonitor");
    ASSERT_NE(mon, nullptr);
    EXPECT_TRUE(mon->property("running").toBool());
    ASSERT_EVENTUALLY(mon->property("trashKnown").toBool(), 5000);
    settle(900);
    snap("panel", panel);

    auto* emptyButton = panel->findChild<QQuickItem*>("emptyTrashButton");
    ASSERT_NE(emptyButton, nullptr);
    ASSERT_TRUE(emptyButton->isVisible());
    click(emptyButton);
    settle();
    snap("panel-empty-confirm", panel);
    click(findVisible("confirmButton", panel));
    ASSERT_EVENTUALLY(!fs::exists(FS::trashFolder() / "old-video.mkv"), 5000);
    ASSERT_EVENTUALLY(mon->property("trashSize").toLongLong() == 0, 5000);
    settle();
    snap("panel-after-empty", panel);

    // a laptop on battery with a stick and a network share: the power level and two volume rows
    const fs::path fake = FS::home() / "fixtures/laptop";
    const fs::path stick = fake / "media/STICK";
    const fs::path share = fake / "net/share";
    fs::create_directories(stick);
    fs::create_directories(share);
    writeFile(fake / "sys/class/power_supply/BAT0/type", "Battery\n");
    writeFile(fake / "sys/class/power_supply/BAT0/capacity", "57\n");
    writeFile(fake / "sys/class/power_supply/BAT0/status", "Discharging\n");
    writeFile(fake / "proc/self/mountinfo", "60 28 7:7 / " + stick.native() + " rw - vfat /dev/loop7 rw\n"
                                            "61 28 0:60 / " + share.native() + " rw - nfs4 nas:/share rw\n");
    writeFile(fake / "proc/stat", "cpu  100 0 50 850 0 0 0 0 0 0\n");
    writeFile(fake / "proc/meminfo", "MemTotal: 8000000 kB\nMemAvailable: 2000000 kB\n");
    auto* monitor = qobject_cast<SystemMonitor*>(mon);
    ASSERT_NE(monitor, nullptr);
    monitor->setRoots({fake / "proc", fake / "sys", fake / "dev"});
    monitor->refresh();
    settle();
    snap("panel-laptop", panel);
    EXPECT_TRUE(shows("STICK", panel));
    EXPECT_TRUE(shows("share", panel));
    // only the stick, a block device, can be ejected; the share gets no button
    const QList<QQuickItem*> ejectButtons = allVisible("ejectButton", panel);
    ASSERT_EQ(ejectButtons.size(), 1);

    // ejecting runs in the background: the row says so meanwhile
    auto* ejection = panel->findChild<VolumeEject*>("volumeEject");
    ASSERT_NE(ejection, nullptr);
    std::atomic<bool> release{false};
    ejection->setEjector([&](const std::string&) {
        while (!release)
            QThread::msleep(10);
        return std::optional<QString>();
    });
    click(ejectButtons.first());
    settle();
    EXPECT_EQ(ejection->ejecting().size(), 1);
    EXPECT_TRUE(shows(L("Ejetando…"), panel));
    snap("panel-ejecting", panel);
    release = true;
    ASSERT_EVENTUALLY(ejection->ejecting().isEmpty(), 5000);

    // "Abrir Quillmoor" hides the panel, whose monitor rests
    click(panel->findChild<QQuickItem*>("openMainButton"));
    settle();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(mon->property("running").toBool());
}

// Long paths, a name with no break in it and a name carrying its own
// direction controls, on Arquivos grandes, Duplicados and the panel; nothing
// found and nothing selected; the window's own folder picker, by keyboard; and
// every page at 1280×800 and at the smallest window. Every name reads as
// itself (its marks written out, in a right-to-left window one left-to-right
// run), every figure keeps clear of its card's edge, every tile label fits.
TEST_F(UiTest, LongNamesNothingFoundAndTheFolderPicker)
{
    const fs::path home = FS::home();
    const fs::path top = home / "Long";
    const fs::path deep = top / "Projects/webapp/assets/rendered-frames-for-the-final-cut/2024-holiday-edition";
    const std::string hash = "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08e5f3c1a7";
    const std::string marked = "invoice\u202Efdp.exe";  // reads "invoiceexe.pdf" if its mark is obeyed
    const bool rtl = appLayoutDirection() == Qt::RightToLeft;
    // No raw mark of a name reaches the screen; its written-out form does.
    const auto marksEscaped = [](QQuickWindow* w, const QString& what) {
        const QString all = shownTexts(w).join('\n');
        EXPECT_FALSE(all.contains(QChar(0x202E))) << qPrintable(what);
        EXPECT_TRUE(all.contains("invoice<U+202E>fdp.exe") || all.contains("LABEL<U+202E>evil")) << qPrintable(what);
    };
    // The painted words of a Text, in the window.
    const auto painted = [](QQuickItem* text) {
        const qreal wide = text->property("contentWidth").toReal();
        const int align = text->property("effectiveHorizontalAlignment").toInt();
        const qreal x = (align & Qt::AlignRight) ? text->width() - wide : (align & Qt::AlignHCenter) ? (text->width() - wide) / 2 : 0;
        return text->mapRectToScene(QRectF(x, 0, wide, text->height()));
    };
    // Every text seen inside BOX stays MARGIN clear of its sides.
    const auto textsInside = [&](QQuickItem* box, qreal margin, const QString& what) {
        ASSERT_NE(box, nullptr) << qPrintable(what);
        const QRectF inside = box->mapRectToScene(QRectF(0, 0, box->width(), box->height())).adjusted(margin, 0, -margin, 0);
        for (QQuickItem* text : visibleItems(box, [](QQuickItem* i) { return i->inherits("QQuickText") && !i->property("text").toString().trimmed().isEmpty(); })) {
            const QRectF words = painted(text);
            if (words.center().y() < inside.top() || words.center().y() > inside.bottom())
                continue;  // scrolled out of the list
            EXPECT_GE(words.left(), inside.left() - 0.5) << qPrintable(what + ": " + text->property("text").toString());
            EXPECT_LE(words.right(), inside.right() + 0.5) << qPrintable(what + ": " + text->property("text").toString());
        }
    };
    const auto actionBarClear = [&](const QString& what) {
        for (QQuickItem* bar : allVisible("actionBar"))
            textsInside(bar, 12, what + " (action bar)");
    };

    // Arquivos grandes: a long hash, a marked name deep down, and a plain one.
    sparseFile(deep / (hash + ".bin"), 300'000'000);
    sparseFile(deep / marked, 200'000'000);
    sparseFile(home / "Videos/holiday.mkv", 150'000'000);
    showSection("large");
    states->large.setLargeMin(100'000'000);
    states->large.scanLarge();
    ASSERT_EVENTUALLY(states->large.largeScanned() && !states->large.largeScanning(), 20000);
    ASSERT_EQ(states->large.largeCount(), 3);
    states->large.toggleLargeFile(states->large.largeFiles()[0].id.toString(QUuid::WithoutBraces));
    settle();
    snap("long-large");
    marksEscaped(window, "large");
    EXPECT_TRUE(showsAsIs(isolatedRun(FS::pretty(deep), rtl))) << "the folder, one left-to-right run";
    textsInside(findVisible("largeFiles"), 4, "large");
    actionBarClear("large");

    // Nothing over 5 GB: a sentence, what can be done, and nothing selected.
    states->large.setLargeMin(5'000'000'000);
    states->large.scanLarge();
    ASSERT_EVENTUALLY(states->large.largeScanned() && !states->large.largeScanning(), 20000);
    settle();
    snap("zero-large");
    EXPECT_EQ(states->large.largeCount(), 0);
    EXPECT_TRUE(shows(states->large.largeSummary()));
    EXPECT_TRUE(states->large.largeSummary().contains(isolatedRun(QStringLiteral("5\u00A0GB"), rtl)));
    EXPECT_NE(findVisible("largeEmpty"), nullptr);
    EXPECT_TRUE(shows(L("Nada selecionado")));
    EXPECT_FALSE(shows(Fmt::bytes(0)));
    states->large.setLargeMin(500'000'000);
    states->large.setLargeFiles({});

    // Duplicados: the same long and marked names, copied.
    const std::string body(120'000, 'q');
    for (const fs::path& folder : {deep, top / "Backup"}) {
        writeFile(folder / (hash + ".dat"), body);
        writeFile(folder / marked, body + "x");
    }
    showSection("duplicates");
    states->dupes.chooseDupesFolder(textOf(top));
    states->dupes.setDupesMin(0);
    states->dupes.scanDupes();
    ASSERT_EVENTUALLY(states->dupes.dupesScanned() && !states->dupes.dupesScanning(), 20000);
    ASSERT_EQ(states->dupes.dupesGroupCount(), 2);
    settle();
    snap("long-dupes");
    marksEscaped(window, "dupes");
    EXPECT_TRUE(showsAsIs(isolatedRun(FS::pretty(deep), rtl)));
    textsInside(findVisible("dupesList"), 4, "dupes");
    actionBarClear("dupes");
    states->dupes.selectNoDupes();
    settle();
    EXPECT_NE(findVisible("actionBarNothing"), nullptr);
    snap("zero-selected");

    // The folder picker: titled, in the window's language, by keyboard alone.
    click(findVisible("dupesPlaceButton"));
    settle();
    click(findVisible("dupesPlaceChoose"));
    settle();
    snap("picker");
    ASSERT_NE(findVisible("folderPickerTitle"), nullptr);
    EXPECT_TRUE(shows(L("Pasta onde procurar cópias")));
    EXPECT_TRUE(shows(L("Escolher")));
    EXPECT_TRUE(shows(L("Cancelar")));
    EXPECT_EQ(focused(), "folderPickerList");
    const auto pathShown = [] { return findVisible("folderPickerPath")->property("text").toString(); };
    EXPECT_EQ(pathShown(), FS::pretty(top));
    QTest::keyClick(window, 'p');  // to "Projects", then into it and back
    QTest::keyClick(window, Qt::Key_Return);
    settle(100);
    EXPECT_EQ(pathShown(), FS::pretty(top / "Projects"));
    QTest::keyClick(window, Qt::Key_Backspace);
    settle(100);
    EXPECT_EQ(pathShown(), FS::pretty(top));
    EXPECT_TRUE(shownText("folderPickerChoice").contains(FS::pretty(top / "Projects")));
    QTest::keyClick(window, 'b');
    QTest::keyClick(window, Qt::Key_Return, Qt::ControlModifier);  // chooses Backup
    ASSERT_EVENTUALLY(states->dupes.dupesFolder() == textOf(top / "Backup"), 2000);
    EXPECT_EQ(findVisible("folderPickerTitle"), nullptr);
    ASSERT_EVENTUALLY(states->dupes.dupesScanned() && !states->dupes.dupesScanning(), 20000);
    states->dupes.setGroups({}, 0);
    settle();
    snap("zero-dupes");
    EXPECT_NE(findVisible("dupesEmpty"), nullptr);
    EXPECT_NE(findVisible("dupesEmptyChoose"), nullptr);
    states->dupes.chooseDupesFolder("");
    states->dupes.setDupesMin(1'000'000);

    // Limpeza with nothing found.
    states->junk.setJunkGroups({});
    states->junk.setJunkScanned(true);
    showSection("junk");
    snap("zero-junk");
    EXPECT_NE(findVisible("junkEmpty"), nullptr);
    EXPECT_TRUE(shows(L("Limpar")));
    states->junk.setJunkScanned(false);

    // The panel: a volume with a long label carrying a mark; the tiles' labels fit.
    auto* panel = window->findChild<QQuickWindow*>("panelWindow");
    ASSERT_NE(panel, nullptr);
    const fs::path fake = home / "fixtures/long-volume";
    const fs::path stick = fake / "media/BACKUP-DRIVE-2024-WITH-A-VERY-LONG-LABEL\u202Eevil";
    fs::create_directories(stick);
    writeFile(fake / "proc/self/mountinfo", "60 28 7:7 / " + stick.native() + " rw - vfat /dev/loop7 rw\n");
    writeFile(fake / "proc/stat", "cpu  100 0 50 850 0 0 0 0 0 0\n");
    writeFile(fake / "proc/meminfo", "MemTotal: 8000000 kB\nMemAvailable: 2000000 kB\n");
    click(findVisible("panelButton"));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel));
    auto* monitor = qobject_cast<SystemMonitor*>(panel->findChild<QObject*>("panelMonitor"));
    ASSERT_NE(monitor, nullptr);
    monitor->setRoots({fake / "proc", fake / "sys", fake / "dev"});
    monitor->refresh();
    settle(900);
    snap("long-panel", panel);
    marksEscaped(panel, "panel");
    const QList<QQuickItem*> labels = allVisible("pillLabel", panel);
    ASSERT_EQ(labels.size(), 4);
    for (QQuickItem* label : labels) {
        EXPECT_LE(label->property("contentWidth").toReal(), label->width() + 0.5) << qPrintable(label->property("text").toString());
        EXPECT_LE(label->property("lineCount").toInt(), 2) << qPrintable(label->property("text").toString());
        textsInside(label->parentItem()->parentItem(), 4, "tile");
    }
    textsInside(findVisible("volumeRow", panel), 0, "panel");
    monitor->setRoots({});
    panel->hide();
    settle();

    // Every page at the size the issue names and at the smallest the window allows.
    const QSize size = window->size();
    for (const QSize& at : {QSize(1280, 800), QSize(window->minimumWidth(), window->minimumHeight())}) {
        window->resize(at);
        for (const QVariant& entry : states->shell.sections()) {
            const QString id = entry.toMap().value("id").toString();
            showSection(id);
            snap(QString("size-%1x%2-%3").arg(at.width()).arg(at.height()).arg(id));
            actionBarClear(id);
        }
    }
    window->resize(size);
    showSection("overview");
    fs::remove_all(top);
    fs::remove_all(home / "Videos");
}

TEST_F(UiTest, TelemetrySymbolsAreGlyphsOfTheIconFont)
{
    // a name the icon font has no ligature for draws as nothing (or as its letters)
    const QFont font(QStringLiteral("Material Icons"), 20);
    for (const char* symbol : {"powerplug", "battery.100.bolt", "battery.25", "battery.50", "battery.75", "battery.100",
                               "externaldrive", "eject.fill", "ellipsis.circle", "circle.hexagongrid", "sparkles",
                               "memorychip", "wifi", "trash", "trash.fill", "arrow.up.right", "internaldrive", "cpu",
                               "app.badge", "doc.on.doc", "square.on.square", "power", "chevron.forward", "menubar.rectangle", "link"}) {
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
    // The system's junk is read under a root that holds nothing, with no package tool.
    useNoSystem(home.path());
    QApplication::setLayoutDirection(appLayoutDirection());
    installFonts(app);
    QQuickStyle::setStyle("Basic");
    return RUN_ALL_TESTS();
}
