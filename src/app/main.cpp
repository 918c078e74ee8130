// The program's entry: the runtime log, the crash handler, the one AppState,
// and the QML windows (the main window, the tray panel and the settings window).
#include <QApplication>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QSystemTrayIcon>
#include <QtQml/qqmlextensionplugin.h>

#include "app/AppState.h"
#include "app/CrashHandler.h"
#include "app/GraphicsBackend.h"
#include "app/RuntimeLog.h"
#include "i18n/Lang.h"
#include "platform/Paths.h"
#include "profiles/Profile.h"
#include "ui/Fonts.h"

Q_IMPORT_QML_PLUGIN(QuillmoorPlugin)

int main(int argc, char* argv[])
{
    RuntimeLog::open(Paths::logFolder());
    CrashHandler::install();
    // The profile is settled once, before anything reads the file system or a text.
    qInfo("profile: %s", qPrintable(Profiles::active().name));

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmoor"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLMOOR_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("com.halvick.Quillmoor"));
    QApplication::setLayoutDirection(appLayoutDirection());
    installFonts(app);
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    chooseSceneGraphBackend();
    // With a tray icon the program stays there when its window is closed, as a
    // menu-bar program does; without one, closing the window quits.
    QApplication::setQuitOnLastWindowClosed(!QSystemTrayIcon::isSystemTrayAvailable());

    AppState state(nullptr);  // the one state object, for the life of the process

    QQmlApplicationEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    QObject::connect(&engine, &QQmlApplicationEngine::objectCreationFailed, &app,
                     [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
    engine.load(QUrl(QStringLiteral("qrc:/Quillmoor/Main.qml")));
    return app.exec();
}
