import QtQuick
import QtQuick.Controls.Basic
import Quillmoor

// The main action of a view: a filled capsule in the primary colour. Space,
// Enter or Return press it while it has keyboard focus.
Button {
    id: control
    property bool compact: false
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()

    font.pixelSize: compact ? 12 : 13
    font.weight: Font.DemiBold
    leftPadding: compact ? 14 : 20
    rightPadding: compact ? 14 : 20
    topPadding: compact ? 7 : 10
    bottomPadding: compact ? 7 : 10
    scale: down ? 0.97 : 1
    opacity: enabled ? 1 : 0.45
    Behavior on scale { NumberAnimation { duration: 120; easing.type: Easing.OutQuad } }

    contentItem: Text {
        textFormat: Text.PlainText
        text: control.text
        font: control.font
        color: DS.bg
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }
    background: Item {
        implicitHeight: 24
        SoftShadow {
            anchors.fill: parent
            radius: height / 2
            color: DS.primary
            strength: control.down ? 0.2 : 0.35
            blur: 14
            offsetY: 4
            Behavior on strength { NumberAnimation { duration: 120; easing.type: Easing.OutQuad } }
        }
        Rectangle {
            anchors.fill: parent
            radius: height / 2
            color: control.down ? DS.primaryDeep : DS.primary
            Behavior on color { ColorAnimation { duration: 120; easing.type: Easing.OutQuad } }
            FocusRing { shown: control.visualFocus; around: parent.radius }
        }
    }
}
