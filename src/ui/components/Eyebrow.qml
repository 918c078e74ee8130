import QtQuick
import Quillmoor

// A small upper-case caption over a figure or a headline.
Text {
    textFormat: Text.PlainText
    color: DS.muted
    font.pixelSize: 11
    font.weight: Font.DemiBold
    font.letterSpacing: 1.4
    font.capitalization: Font.AllUppercase
}
