import QtQuick
import Quillmoor

// Shows the item in the desktop's file browser.
Rectangle {
    id: button
    property string path

    width: 26
    height: 26
    radius: 7
    color: hover.hovered ? Qt.rgba(1, 1, 1, 0.06) : "transparent"
    border.width: activeFocus ? 1 : 0
    border.color: DS.primary
    activeFocusOnTab: true
    Accessible.role: Accessible.Button
    Accessible.name: I18n.L("Mostrar no Finder")

    Icon { anchors.centerIn: parent; symbol: "magnifyingglass.circle"; size: 16; color: hover.hovered ? DS.text : DS.muted }
    HoverHandler { id: hover; cursorShape: Qt.PointingHandCursor }
    TapHandler { onTapped: Files.reveal(button.path) }
    Keys.onPressed: (event) => {
        if (event.key === Qt.Key_Space || event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
            Files.reveal(button.path)
            event.accepted = true
        }
    }
}
