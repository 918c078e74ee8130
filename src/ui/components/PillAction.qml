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
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()
    opacity: pill.available ? 1 : 0.45
    implicitHeight: 66
    // the label keeps clear of the tile's edge
    leftPadding: 5
    rightPadding: 5
    Accessible.name: title
    Accessible.description: hint
    HintTip { shown: pill.hovered; text: pill.hint }

    background: Rectangle {
        radius: 12
        color: Qt.rgba(1, 1, 1, pill.down ? 0.10 : (pill.hovered ? 0.07 : 0.035))
        border.width: 1
        border.color: DS.border
        FocusRing { shown: pill.visualFocus; around: parent.radius }
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
        // One line where it fits, else two broken between words; smaller
        // type where a line is still too wide.
        Text {
            textFormat: Text.PlainText
            objectName: "pillLabel"
            Layout.fillWidth: true
            text: oneLine.width <= width ? pill.title : I18n.twoLines(pill.title)
            color: DS.text
            font.pixelSize: 11
            font.weight: Font.Medium
            horizontalAlignment: Text.AlignHCenter
            fontSizeMode: Text.HorizontalFit
            minimumPixelSize: 8
            elide: Text.ElideRight
            TextMetrics { id: oneLine; font.pixelSize: 11; font.weight: Font.Medium; text: pill.title }
        }
    }
}
