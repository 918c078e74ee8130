// The program's entry: the runtime log, the crash handler, the feature
// states, and the QML windows (the main window, the tray panel and the settings window).
#include <QApplication>
#include <QSocketNotifier>
#include <QIcon>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QQuickStyle>
#include <QSystemTrayIcon>
#include <QtQml/qqmlextensionplugin.h>

#include <cstring>
#include <memory>

#include "app/FeatureStates.h"
#include "app/CrashHandler.h"
#include "app/GraphicsBackend.h"
#include "app/HiddenWindowMemory.h"
#include "app/RuntimeLog.h"
#include "i18n/Lang.h"
#include "platform/Installation.h"
#include "platform/LoginItem.h"
#include "platform/Paths.h"
#include "platform/Quitting.h"
#include "platform/Sound.h"
#include "profiles/Profile.h"
#include "app/Fonts.h"

Q_IMPORT_QML_PLUGIN(QuillmoorPlugin)

int main(int argc, char* argv[])
{
    if (argc == 2 && std::strcmp(argv[1], kProbeRendererArgument) == 0)
        return probeRenderer(argc, argv);
    RuntimeLog::open(Paths::logFolder());
    CrashHandler::install();
    // The profile is settled once, before anything reads the file system or a text.
    qInfo("profile: %s", qPrintable(Profiles::active().name));

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmoor"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLMOOR_VERSION));
    // The desktop groups the window under the installed entry: Wayland by
    // this name, X11 by the window class, which is the application's name.
    QApplication::setDesktopFileName(QLatin1String(Installation::kAppId));
    // An installation outside the usual data folders still finds its icon.
    if (const auto prefix = Installation::prefixOf(QCoreApplication::applicationFilePath()))
        QIcon::setThemeSearchPaths(QStringList{*prefix + QStringLiteral("/share/icons")} + QIcon::themeSearchPaths());
    QApplication::setWindowIcon(QIcon::fromTheme(QLatin1String(Installation::kAppId)));
    // A login item left pointing at a program that is gone starts this one instead.
    LoginItem::repairItem(LoginItem::programToStart());
    QApplication::setLayoutDirection(appLayoutDirection());
    installFonts(app);
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    chooseSceneGraphBackend();
    // With a tray icon the program stays there when its window is closed, as a
    // menu-bar program does; without one, closing the window quits.
    QApplication::setQuitOnLastWindowClosed(!QSystemTrayIcon::isSystemTrayAvailable());

    // SIGTERM (a logout), SIGINT and SIGHUP end the event loop like the Quit
    // item does, so the work under way ends the same careful way.
    std::unique_ptr<QSocketNotifier> quitSignal;
    if (const int wake = Quitting::onSignals(); wake >= 0) {
        quitSignal = std::make_unique<QSocketNotifier>(wake, QSocketNotifier::Read);
        QObject::connect(quitSignal.get(), &QSocketNotifier::activated, &app, [] { QCoreApplication::quit(); });
    }

    FeatureStates states;  // for the life of the process
    states.lowSpace.start();
    states.autoClean.start();

    QQmlApplicationEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    QObject::connect(&engine, &QQmlApplicationEngine::objectCreationFailed, &app,
                     [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
    engine.load(QUrl(QStringLiteral("qrc:/Quillmoor/Main.qml")));
    if (auto* window = qobject_cast<QQuickWindow*>(engine.rootObjects().value(0)))
        releaseMemoryWhenHidden(engine, *window);
    const int status = app.exec();
    // Walks stop, a removal ends after its current item, and a program we
    // started (a package tool) is waited for: nothing outlives the states.
    Quitting::finishBackgroundWork([](const QString& text) { qInfo("%s", qPrintable(text)); });
    Sound::settle();
    return status;
}
