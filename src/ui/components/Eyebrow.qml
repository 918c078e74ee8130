import QtQuick
import Quillmoor

// A small upper-case caption over a figure or a headline.
Text {
    textFormat: Text.PlainText
    color: DS.muted
    font.pixelSize: 11
    font.weight: Font.DemiBold
    font.letterSpacing: I18n.rightToLeft ? 0 : 1.4  // spacing would pull Arabic letters apart
    font.capitalization: Font.AllUppercase
}
