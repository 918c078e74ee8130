import QtQuick
import Quillmoor

// Three steps in a row, the current one lit, the earlier ones done.
Row {
    id: steps
    property var labels: []
    property int current: 0
    spacing: 8

    Repeater {
        model: steps.labels
        Row {
            spacing: 8
            Rectangle {
                anchors.verticalCenter: parent.verticalCenter
                width: 20
                height: 20
                radius: 10
                color: index <= steps.current ? DS.primary : "transparent"
                border.width: 1.5
                border.color: index <= steps.current ? DS.primary : DS.border
                Text {
                    textFormat: Text.PlainText
                    anchors.centerIn: parent
                    text: index + 1
                    color: index <= steps.current ? DS.bg : DS.muted
                    font.pixelSize: 10
                    font.weight: Font.Bold
                }
            }
            Text {
                textFormat: Text.PlainText
                anchors.verticalCenter: parent.verticalCenter
                text: modelData
                color: index === steps.current ? DS.text : DS.muted
                font.pixelSize: 12
                font.weight: index === steps.current ? Font.DemiBold : Font.Normal
            }
            Rectangle {
                visible: index < steps.labels.length - 1
                anchors.verticalCenter: parent.verticalCenter
                width: 26
                height: 1
                color: DS.border
            }
        }
    }
}
