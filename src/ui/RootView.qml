import QtQuick
import Quillmoor

// The main window's content: the sky, the sidebar beside the page of the
// current section, and the shared overlays (busy veil, celebration, message).
Item {
    id: root
    signal openSettings()
    signal openPanel()
    // Whether the desktop shows the tray icon; without one the sidebar opens the panel.
    property bool trayAvailable: false

    AppBackground { anchors.fill: parent }

    Sidebar {
        id: sidebar
        objectName: "sidebar"
        anchors.left: parent.left
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        width: 232
        onOpenSettings: root.openSettings()
        showPanelButton: !root.trayAvailable
        onOpenPanel: root.openPanel()
    }

    PageArea {
        id: pageArea
        pages: ({
            "overview": overviewPage,
            "junk": junkPage,
            "large": largePage,
            "duplicates": duplicatesPage,
            "uninstaller": uninstallerPage,
            "startup": startupPage,
            "orbitMap": spacePage,
            "maintenance": toolsPage
        })
        anchors.left: sidebar.right
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: parent.bottom
    }

    // The removal history, over the page, opened from the sidebar's freed total.
    Rectangle {
        id: historyOverlay
        objectName: "historyOverlay"
        anchors.fill: pageArea
        visible: HistoryState.shown
        color: DS.bg
        Loader {
            anchors.fill: parent
            // once the overlay shows: an item not yet visible cannot take the focus
            active: historyOverlay.visible
            focus: true
            sourceComponent: HistoryView { focus: true }
            onLoaded: item.takeFocus()
        }
    }

    BusyOverlay {
        objectName: "busyOverlay"
        anchors.fill: parent
        visible: RemovalState.busy
    }

    Loader {
        objectName: "celebration"
        anchors.fill: parent
        active: RemovalState.celebrating
        sourceComponent: CelebrationView {
            freed: RemovalState.celebrateFreed
            trashed: RemovalState.celebrateTrashed
            removed: RemovalState.celebrateRemoved
            report: RemovalState.celebrateReport
            onDismiss: RemovalState.dismissCelebration()
        }
    }

    MessageAlert { objectName: "messageAlert" }

    Component { id: overviewPage; OverviewView {} }
    Component { id: junkPage; JunkView {} }
    Component { id: largePage; LargeFilesView {} }
    Component { id: duplicatesPage; DuplicatesView {} }
    Component { id: uninstallerPage; UninstallerView {} }
    Component { id: startupPage; StartupView {} }
    Component { id: spacePage; SpaceView {} }
    Component { id: toolsPage; ToolsView {} }

    // Coming back to the program re-reads whether the protected places can be read.
    Connections {
        target: Qt.application
        function onStateChanged() {
            if (Qt.application.state === Qt.ApplicationActive)
                ShellState.refreshFda()
        }
    }
}
