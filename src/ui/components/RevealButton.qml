import QtQuick
import Quillmoor

// Shows the item in the desktop's file browser; says so when nothing could.
Rectangle {
    id: button
    property string path

    function reveal() {
        const problem = Files.reveal(button.path)
        if (problem !== "")
            ShellState.message = problem
    }

    width: 26
    height: 26
    radius: 7
    color: hover.hovered ? Qt.rgba(1, 1, 1, 0.06) : "transparent"
    activeFocusOnTab: true
    Accessible.role: Accessible.Button
    Accessible.name: I18n.L("Mostrar no Finder")
    FocusRing { shown: button.activeFocus; around: button.radius }
    HintTip { shown: hover.hovered; text: I18n.L("Mostrar no Finder") }

    Icon { anchors.centerIn: parent; symbol: "magnifyingglass.circle"; size: 16; color: hover.hovered ? DS.text : DS.muted }
    HoverHandler { id: hover; cursorShape: Qt.PointingHandCursor }
    TapHandler { gesturePolicy: TapHandler.ReleaseWithinBounds; onTapped: button.reveal() }
    Keys.onPressed: (event) => {
        if (event.key === Qt.Key_Space || event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
            button.reveal()
            event.accepted = true
        }
    }
}
