import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillmoor

// A quick action of the tray panel: an icon (a spinner while busy) over a
// short title, highlighted under the pointer; the hint is its tooltip. An
// action that cannot run here is dimmed and does nothing, but still shows
// its hint (which then says what is missing).
AbstractButton {
    id: pill
    property string symbol
    property string title
    property string hint
    property bool busy: false
    property bool available: true

    hoverEnabled: true
    opacity: pill.available ? 1 : 0.45
    implicitHeight: 66
    Accessible.name: title
    Accessible.description: hint
    HintTip { shown: pill.hovered; text: pill.hint }

    background: Rectangle {
        radius: 12
        color: Qt.rgba(1, 1, 1, pill.down ? 0.10 : (pill.hovered ? 0.07 : 0.035))
        border.width: pill.visualFocus ? 2 : 1
        border.color: pill.visualFocus ? DS.primary : DS.border
    }
    contentItem: ColumnLayout {
        spacing: 4
        Item {
            Layout.alignment: Qt.AlignHCenter
            implicitWidth: 22
            implicitHeight: 22
            Icon {
                anchors.centerIn: parent
                visible: !pill.busy
                symbol: pill.symbol
                size: 20
                color: DS.primary
            }
            BusyIndicator {
                anchors.centerIn: parent
                visible: pill.busy
                running: pill.busy
                width: 22
                height: 22
                padding: 0
            }
        }
        Text {
            textFormat: Text.PlainText
            Layout.fillWidth: true
            text: pill.title
            color: DS.text
            font.pixelSize: 11
            font.weight: Font.Medium
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            maximumLineCount: 2
            elide: Text.ElideRight
        }
    }
}
