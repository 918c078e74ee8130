import QtQuick
import Quillmoor

// A symbol by its design name, drawn from the Material Icons font.
Text {
    textFormat: Text.PlainText
    property string symbol
    property real size: 18
    text: Symbols.glyph(symbol)
    font.family: DS.iconFamily
    font.pixelSize: size
    color: DS.text
    horizontalAlignment: Text.AlignHCenter
    verticalAlignment: Text.AlignVCenter
    Accessible.ignored: true
}
