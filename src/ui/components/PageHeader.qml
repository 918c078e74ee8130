import QtQuick
import QtQuick.Layouts
import Quillmoor

// The top of a page: a small upper-case eyebrow, a two-line headline (the
// second line accented), a muted sub-line, and an optional accessory on the right.
Item {
    id: header
    property string eyebrow
    property string l1
    property string l2
    property string sub
    default property alias trailing: accessory.data

    implicitHeight: column.implicitHeight

    ColumnLayout {
        id: column
        anchors.left: parent.left
        anchors.right: accessory.left
        anchors.rightMargin: 16
        spacing: 6
        Eyebrow { text: header.eyebrow; color: DS.primary }
        Text {
            textFormat: Text.PlainText
            Layout.fillWidth: true
            text: header.l1
            color: DS.text
            font.pixelSize: 30
            font.weight: Font.Bold
            elide: Text.ElideRight
            horizontalAlignment: Text.AlignLeft
        }
        Text {
            textFormat: Text.PlainText
            Layout.fillWidth: true
            Layout.topMargin: -6
            text: header.l2
            color: DS.glow
            font.pixelSize: 30
            font.weight: Font.Bold
            elide: Text.ElideRight
            horizontalAlignment: Text.AlignLeft
        }
        Text {
            textFormat: Text.PlainText
            Layout.fillWidth: true
            text: header.sub
            color: DS.muted
            font.pixelSize: 13
            wrapMode: Text.WordWrap
            horizontalAlignment: Text.AlignLeft
        }
    }
    Row {
        id: accessory
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.topMargin: 18
        spacing: 8
    }
}
