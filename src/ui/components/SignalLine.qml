import QtQuick
import Quillmoor

// A line of small bars that ripples like a signal while `active`, and lies
// flat and dim otherwise.
Item {
    id: line
    property bool active: false
    property color color: DS.primary
    property real phase: 0
    readonly property int bars: Math.max(8, Math.floor(width / 6))

    implicitHeight: 28
    NumberAnimation on phase {
        from: 0; to: Math.PI * 2; duration: 1400
        loops: Animation.Infinite
        running: line.active && line.visible
    }
    Row {
        anchors.verticalCenter: parent.verticalCenter
        spacing: 3
        Repeater {
            model: line.bars
            Rectangle {
                readonly property real wave: line.active
                    ? Math.abs(Math.sin(line.phase + index * 0.45) * Math.sin(index * 0.13 + line.phase / 2))
                    : 0
                width: 3
                height: 2 + wave * (line.height - 2)
                radius: 1.5
                anchors.verticalCenter: parent.verticalCenter
                color: line.color
                opacity: line.active ? 0.35 + 0.65 * wave : 0.25
            }
        }
    }
}
