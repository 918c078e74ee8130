import QtQuick
import Quillmoor

// A thin bar filled to `value` (0..1) in `color`.
Item {
    id: bar
    property real value: 0
    property color color: DS.primary
    implicitHeight: 8

    Rectangle {
        anchors.fill: parent
        radius: height / 2
        color: Qt.rgba(1, 1, 1, 0.07)
    }
    Rectangle {
        // grows from the leading edge (the right in a mirrored layout)
        anchors.left: parent.left
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        // whole pixels: a change too small to see starts no animation (and no frames)
        width: Math.max(height, Math.round(parent.width * Math.max(0, Math.min(1, bar.value))))
        radius: height / 2
        color: bar.color
        Behavior on width { NumberAnimation { duration: 600; easing.type: Easing.OutCubic } }
    }
}
