import QtQuick
import QtQuick.Layouts
import Quillmoor

// One line of the tray panel: an icon in a fixed slot, a title above a detail
// in figures, and an accessory (placed inside the row) at the far end.
// Figures in the detail come isolated (I18n.isolate), so that they keep their
// order in a right-to-left line.
Item {
    id: row
    property string symbol
    property string title
    property string detail
    default property alias trailing: accessory.data

    implicitHeight: 40
    RowLayout {
        anchors.fill: parent
        spacing: 10
        Icon {
            Layout.preferredWidth: 22
            symbol: row.symbol
            size: 18
            color: DS.primary
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 1
            Text {
                textFormat: Text.PlainText
                Layout.fillWidth: true
                text: row.title
                color: DS.text
                font.pixelSize: 12
                font.weight: Font.DemiBold
                // a volume's label may be one long word: its end shows too
                elide: Text.ElideMiddle
                horizontalAlignment: Text.AlignLeft
            }
            Text {
                textFormat: Text.PlainText
                objectName: "telemetryDetail"
                Layout.fillWidth: true
                text: I18n.directed(row.detail)
                color: DS.muted
                font: DS.figureFont(row.detail, 11)
                elide: Text.ElideRight
                horizontalAlignment: Text.AlignLeft
            }
        }
        Item {
            id: accessory
            implicitWidth: childrenRect.width
            implicitHeight: childrenRect.height
            Layout.alignment: Qt.AlignVCenter
        }
    }
}
