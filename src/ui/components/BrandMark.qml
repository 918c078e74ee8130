import QtQuick
import Quillmoor

// The program's mark: a small sun with one planet on its orbit.
Item {
    id: mark
    property real size: 28
    implicitWidth: size
    implicitHeight: size

    Rectangle {
        anchors.centerIn: parent
        width: mark.size
        height: mark.size
        radius: width / 2
        color: "transparent"
        border.width: 1.2
        border.color: DS.withAlpha(DS.glow, 0.45)
    }
    Rectangle {
        anchors.centerIn: parent
        width: mark.size * 0.46
        height: width
        radius: width / 2
        gradient: Gradient {
            GradientStop { position: 0; color: DS.glow }
            GradientStop { position: 1; color: DS.primaryDeep }
        }
    }
    Rectangle {
        x: mark.size * 0.80 - width / 2
        y: mark.size * 0.18 - height / 2
        width: mark.size * 0.2
        height: width
        radius: width / 2
        color: DS.primary
    }
}
