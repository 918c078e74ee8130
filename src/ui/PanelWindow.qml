import QtQuick
import Quillmoor

// The frameless window of the tray panel, 320 wide, beside the tray icon (or
// at the screen's corner when the sidebar opened it). Clicking elsewhere or
// pressing Escape hides it; hidden, its monitor rests.
Window {
    id: window
    objectName: "panelWindow"
    property var tray: null

    signal openMain(string section)
    signal openSettings()

    flags: Qt.Tool | Qt.FramelessWindowHint | Qt.WindowStaysOnTopHint
    width: 320
    height: panel.implicitHeight
    color: DS.bg
    visible: false

    property bool wasActive: false
    // when a click elsewhere last closed it: a click on the tray icon closes it
    // that way first, and must not open it again at once
    property double closedByClickAt: 0

    function openPanel() {
        const spot = tray ? tray.panelPosition(Qt.size(width, height)) : Qt.point(x, y)
        x = spot.x
        y = spot.y
        wasActive = false
        show()
        raise()
        requestActivate()
    }
    function toggle() {
        if (visible)
            hide()
        else if (Date.now() - closedByClickAt > 300)
            openPanel()
    }

    onActiveChanged: {
        if (active)
            wasActive = true
        else if (wasActive && visible) {
            closedByClickAt = Date.now()
            hide()  // a click elsewhere closes it, as a tray menu does
        }
    }

    MenuBarPanel {
        id: panel
        anchors.fill: parent
        shown: window.visible
        LayoutMirroring.enabled: I18n.rightToLeft
        LayoutMirroring.childrenInherit: true
        onOpenMain: (section) => { window.hide(); window.openMain(section) }
        onOpenSettings: { window.hide(); window.openSettings() }
        onDismiss: window.hide()
    }
    Rectangle {
        // a hairline frame, since the window has none
        anchors.fill: parent
        color: "transparent"
        border.width: 1
        border.color: DS.border
    }
}
