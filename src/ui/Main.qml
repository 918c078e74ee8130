import QtQuick
import QtQuick.Controls.Basic
import Quillmoor

// The main window ("main") and the settings window.
ApplicationWindow {
    id: main
    objectName: "main"
    title: "Quillmoor"
    width: 1180
    height: 760
    minimumWidth: 1080
    minimumHeight: 700
    visible: true
    color: DS.bg

    property alias settingsWindow: settings
    property alias panelWindow: panelWindow

    // Brings this window forward, on a section when one is given.
    function openMain(section) {
        if (section !== "")
            ShellState.section = section
        show()
        raise()
        requestActivate()
    }

    // The window's content exists only while the window is shown: closed to
    // the tray, the program keeps its state objects and nothing drawn.
    Loader {
        id: content
        anchors.fill: parent
        active: main.visible
        sourceComponent: RootView {
            objectName: "rootView"
            LayoutMirroring.enabled: I18n.rightToLeft
            LayoutMirroring.childrenInherit: true
            onOpenSettings: settings.open()
            trayAvailable: tray.available
            onOpenPanel: panelWindow.toggle()
        }
    }

    SettingsWindow { id: settings }

    TrayIcon {
        id: tray
        onClicked: panelWindow.toggle()
    }
    PanelWindow {
        id: panelWindow
        tray: tray
        onOpenMain: (section) => main.openMain(section)
        onOpenSettings: settings.open()
    }

    // A low-space notice's action, even while the window is closed to the tray.
    Connections {
        target: LowSpaceWatcher
        function onOpenSection(section) { main.openMain(section) }
    }
    // An automatic clean's notice: the window, on its history.
    Connections {
        target: AutoCleanState
        function onOpenHistory() { main.openMain("") }
    }

    Shortcut {
        sequences: [StandardKey.Preferences, "Ctrl+,"]
        onActivated: settings.open()
    }
    Shortcut {
        sequences: [StandardKey.Quit]
        onActivated: Qt.quit()
    }
}
