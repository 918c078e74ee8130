import QtQuick
import Quillmoor

// A small rounded label, or a round tile with a symbol when `symbol` is set.
Rectangle {
    id: chip
    property string text
    property string symbol
    property color tint: DS.primary

    implicitHeight: symbol !== "" ? 30 : 18
    implicitWidth: symbol !== "" ? 30 : label.implicitWidth + 12
    radius: symbol !== "" ? 9 : height / 2
    color: DS.withAlpha(chip.tint, 0.16)

    Text {
        id: label
        textFormat: Text.PlainText
        visible: chip.symbol === ""
        anchors.centerIn: parent
        text: chip.text
        color: chip.tint
        font.pixelSize: 10
        font.weight: Font.Bold
        font.letterSpacing: I18n.rightToLeft ? 0 : 0.8  // spacing would pull Arabic letters apart
    }
    Icon {
        visible: chip.symbol !== ""
        anchors.centerIn: parent
        symbol: chip.symbol
        size: 17
        color: chip.tint
    }
}
