import QtQuick
import QtQuick.Controls.Basic
import Quillmoor

// A tooltip drawn in the theme. Place it inside a control and bind `shown`.
ToolTip {
    id: tip
    property bool shown: false
    visible: shown && text !== ""
    delay: 600
    margins: 8
    contentItem: Text {
        textFormat: Text.PlainText
        text: tip.text
        color: DS.text
        font.pixelSize: 11
        wrapMode: Text.Wrap
    }
    background: Rectangle {
        radius: 8
        color: DS.elevated
        border.width: 1
        border.color: DS.border
    }
}
