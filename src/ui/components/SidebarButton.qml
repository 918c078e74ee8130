import QtQuick
import Quillmoor

// A plain button of the sidebar's foot: an icon and a label, no frame.
FocusScope {
    id: button
    property string symbol
    property string label
    signal activated()

    implicitHeight: 30
    activeFocusOnTab: true
    Accessible.role: Accessible.Button
    Accessible.name: label

    Rectangle {
        anchors.fill: parent
        radius: 8
        color: hover.hovered ? Qt.rgba(1, 1, 1, 0.05) : "transparent"
        FocusRing { shown: button.activeFocus; around: parent.radius }
    }
    Icon {
        id: icon
        anchors.left: parent.left
        anchors.leftMargin: 8
        anchors.verticalCenter: parent.verticalCenter
        width: 22
        symbol: button.symbol
        size: 16
        color: DS.muted
    }
    Text {
        textFormat: Text.PlainText
        anchors.left: icon.right
        anchors.leftMargin: 8
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        text: button.label
        color: hover.hovered ? DS.text : DS.muted
        font.pixelSize: 12
        elide: Text.ElideRight
        horizontalAlignment: Text.AlignLeft
    }
    HoverHandler { id: hover; cursorShape: Qt.PointingHandCursor }
    TapHandler { onTapped: button.activated() }
    Keys.onPressed: (event) => {
        if (event.key === Qt.Key_Return || event.key === Qt.Key_Enter || event.key === Qt.Key_Space) {
            button.activated()
            event.accepted = true
        }
    }
}
