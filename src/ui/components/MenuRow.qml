import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillmoor

// One row of a menu drawn in the theme: a symbol, the text, and a switch
// when the row is `checkable`.
MenuItem {
    id: row
    property string symbol

    implicitWidth: 300
    implicitHeight: 36
    leftPadding: 10
    rightPadding: 10
    contentItem: RowLayout {
        spacing: 10
        Icon { symbol: row.symbol; size: 17; color: DS.muted }
        Text {
            textFormat: Text.PlainText
            Layout.fillWidth: true
            text: row.text
            color: DS.text
            font.pixelSize: 13
            elide: Text.ElideRight
            horizontalAlignment: Text.AlignLeft
        }
        Rectangle {
            visible: row.checkable
            implicitWidth: 30
            implicitHeight: 18
            radius: 9
            color: row.checked ? DS.primary : Qt.rgba(1, 1, 1, 0.12)
            Rectangle {
                x: (row.checked !== row.mirrored) ? parent.width - width - 3 : 3
                y: 3
                width: 12
                height: 12
                radius: 6
                color: row.checked ? DS.bg : DS.text
            }
        }
    }
    indicator: Item {}
    background: Rectangle {
        radius: 7
        color: row.highlighted ? Qt.rgba(1, 1, 1, 0.07) : "transparent"
    }
}
