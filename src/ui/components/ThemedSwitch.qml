import QtQuick
import QtQuick.Controls.Basic
import Quillmoor

// An on/off switch in the theme's colours. Space, Enter or Return flip it
// while it has keyboard focus.
Switch {
    id: control
    Keys.onReturnPressed: { toggle(); toggled() }
    Keys.onEnterPressed: { toggle(); toggled() }
    indicator: Rectangle {
        implicitWidth: 38
        implicitHeight: 22
        x: control.mirrored ? control.leftPadding : control.width - width - control.rightPadding
        y: control.height / 2 - height / 2
        radius: height / 2
        color: control.checked ? DS.primary : Qt.rgba(1, 1, 1, 0.12)
        Behavior on color { ColorAnimation { duration: 120 } }
        FocusRing { shown: control.visualFocus; around: parent.radius }
        Rectangle {
            readonly property real travel: parent.width - width - 6
            x: 3 + ((control.checked !== control.mirrored) ? travel : 0)
            y: 3
            width: 16
            height: 16
            radius: 8
            color: control.checked ? DS.bg : DS.text
            Behavior on x { NumberAnimation { duration: 120 } }
        }
    }
    contentItem: Text {
        textFormat: Text.PlainText
        text: control.text
        color: DS.text
        font.pixelSize: 13
        verticalAlignment: Text.AlignVCenter
        horizontalAlignment: Text.AlignLeft
        leftPadding: control.mirrored ? control.indicator.width + control.spacing : 0
        rightPadding: control.mirrored ? 0 : control.indicator.width + control.spacing
    }
}
