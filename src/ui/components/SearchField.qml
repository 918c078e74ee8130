import QtQuick
import QtQuick.Controls.Basic
import Quillmoor

// A text field with the magnifying glass in front, drawn in the theme.
TextField {
    id: field
    leftPadding: 34
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
        border.width: field.activeFocus ? 1.5 : 1
        border.color: field.activeFocus ? DS.primary : DS.border
        Icon {
            anchors.verticalCenter: parent.verticalCenter
            x: field.mirrored ? parent.width - width - 10 : 10
            symbol: "magnifyingglass"
            size: 16
            color: DS.muted
        }
    }
}
