import QtQuick
import Quillmoor

// An application's icon: its image file when there is one that loads, else
// the generic application tile.
Item {
    id: appIcon
    property string source: ""
    implicitWidth: 30
    implicitHeight: 30

    Image {
        id: picture
        anchors.fill: parent
        source: appIcon.source
        sourceSize: Qt.size(60, 60)
        fillMode: Image.PreserveAspectFit
        smooth: true
        visible: status === Image.Ready
    }
    Chip {
        anchors.centerIn: parent
        visible: picture.status !== Image.Ready
        symbol: "app"
        tint: DS.primary
    }
}
