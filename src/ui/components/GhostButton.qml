import QtQuick
import QtQuick.Controls.Basic
import Quillmoor

// A secondary action: an outlined capsule. Space, Enter or Return press it
// while it has keyboard focus.
Button {
    id: control
    property bool compact: false
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()

    font.pixelSize: compact ? 12 : 13
    font.weight: Font.Medium
    leftPadding: compact ? 12 : 18
    rightPadding: compact ? 12 : 18
    topPadding: compact ? 6 : 9
    bottomPadding: compact ? 6 : 9
    scale: down ? 0.97 : 1
    opacity: enabled ? 1 : 0.45
    Behavior on scale { NumberAnimation { duration: 120; easing.type: Easing.OutQuad } }

    contentItem: Text {
        textFormat: Text.PlainText
        text: control.text
        font: control.font
        color: DS.text
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }
    background: Rectangle {
        implicitHeight: 24
        radius: height / 2
        color: Qt.rgba(1, 1, 1, control.down ? 0.08 : (control.hovered ? 0.05 : 0.03))
        border.width: 1
        border.color: DS.border
        FocusRing { shown: control.visualFocus; around: parent.radius }
    }
}
