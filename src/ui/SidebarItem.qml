import QtQuick
import Quillmoor

// One section in the sidebar: its icon in a fixed slot and its label. The
// active one sits on a tinted shape with a marker; the others light up on hover.
// The whole row is the click target; Enter or Space activates it from the keyboard.
FocusScope {
    id: item
    property var section            // one entry of ShellState.sections
    property bool active: false
    signal activated()

    readonly property color tint: DS.tints[section.tint] || DS.primary
    implicitHeight: 36
    activeFocusOnTab: true
    Accessible.role: Accessible.Button
    Accessible.name: I18n.L(section.label)

    Rectangle {
        id: shape
        anchors.fill: parent
        radius: 9
        color: item.active ? DS.withAlpha(item.tint, 0.16)
                           : (hover.hovered ? Qt.rgba(1, 1, 1, 0.05) : "transparent")
        Behavior on color { ColorAnimation { duration: 150 } }
        FocusRing { shown: item.activeFocus; around: parent.radius }
    }
    Rectangle {
        // the marker on the leading edge of the active item
        visible: item.active
        anchors.left: parent.left
        anchors.verticalCenter: parent.verticalCenter
        width: 3
        height: 18
        radius: 1.5
        color: item.tint
    }
    Icon {
        id: icon
        anchors.left: parent.left
        anchors.leftMargin: 10
        anchors.verticalCenter: parent.verticalCenter
        width: 24
        symbol: item.section.icon
        size: 18
        color: item.active ? item.tint : DS.muted
    }
    Text {
        textFormat: Text.PlainText
        anchors.left: icon.right
        anchors.leftMargin: 10
        anchors.right: parent.right
        anchors.rightMargin: 8
        anchors.verticalCenter: parent.verticalCenter
        text: I18n.L(item.section.label)
        color: item.active ? DS.text : (hover.hovered ? DS.text : DS.muted)
        font.pixelSize: 13
        font.weight: item.active ? Font.DemiBold : Font.Medium
        elide: Text.ElideRight
        horizontalAlignment: Text.AlignLeft
    }

    HoverHandler { id: hover; cursorShape: Qt.PointingHandCursor }
    TapHandler { onTapped: item.activated() }
    Keys.onPressed: (event) => {
        if (event.key === Qt.Key_Return || event.key === Qt.Key_Enter || event.key === Qt.Key_Space) {
            item.activated()
            event.accepted = true
        }
    }
}
