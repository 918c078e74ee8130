import QtQuick
import QtQuick.Layouts
import Quillmoor

// A clickable card that leads to another section: icon, title, a figure and
// a sub-line; highlighted on hover and keyboard focus.
Card {
    id: card
    property string symbol
    property string title
    property string value
    property string sub
    signal activated()

    implicitHeight: 92
    activeFocusOnTab: true
    Accessible.role: Accessible.Button
    Accessible.name: title
    Keys.onReturnPressed: card.activated()
    Keys.onEnterPressed: card.activated()
    Keys.onSpacePressed: card.activated()

    Rectangle {
        anchors.fill: parent
        radius: card.radius
        color: DS.primary
        opacity: mouse.pressed ? 0.12 : (mouse.containsMouse ? 0.07 : 0)
        Behavior on opacity { NumberAnimation { duration: 140 } }
    }
    FocusRing { shown: card.activeFocus; around: card.radius }
    RowLayout {
        anchors.fill: parent
        anchors.margins: 16
        spacing: 14
        Rectangle {
            implicitWidth: 40
            implicitHeight: 40
            radius: 12
            color: DS.withAlpha(DS.primary, 0.14)
            Icon { anchors.centerIn: parent; symbol: card.symbol; size: 21; color: DS.primary }
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 2
            Text {
                textFormat: Text.PlainText
                Layout.fillWidth: true
                text: card.title
                color: DS.muted
                font.pixelSize: 12
                font.weight: Font.DemiBold
                elide: Text.ElideRight
                horizontalAlignment: Text.AlignLeft
            }
            RowLayout {
                spacing: 8
                Text {
                    textFormat: Text.PlainText
                    objectName: "shortcutValue"
                    text: card.value
                    color: DS.text
                    font: DS.mono(22, Font.DemiBold)
                }
                Text {
                    textFormat: Text.PlainText
                    Layout.fillWidth: true
                    text: card.sub
                    color: DS.muted
                    font.pixelSize: 12
                    elide: Text.ElideRight
                    horizontalAlignment: Text.AlignLeft
                }
            }
        }
        // points the way the page reads: the icon font turns it round in a right-to-left layout
        Icon { symbol: "chevron.forward"; size: 18; color: DS.muted }
    }
    MouseArea {
        id: mouse
        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: card.activated()
    }
}
