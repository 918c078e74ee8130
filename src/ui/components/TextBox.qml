import QtQuick
import QtQuick.Controls.Basic
import Quillmoor

// The app's one-line text field: a rounded box that lights up with focus and
// turns to the warning colour when what was typed was refused.
TextField {
    id: box
    property bool refused: false

    leftPadding: 12
    rightPadding: 12
    topPadding: 8
    bottomPadding: 8
    color: DS.text
    placeholderTextColor: DS.muted
    selectionColor: DS.primaryDeep
    selectedTextColor: DS.text
    font.pixelSize: 13
    horizontalAlignment: Text.AlignLeft
    background: Rectangle {
        implicitHeight: 34
        radius: 10
        color: DS.elevated
        border.width: box.activeFocus ? 1.5 : 1
        border.color: box.refused ? DS.warning : (box.activeFocus ? DS.primary : DS.border)
    }
}
