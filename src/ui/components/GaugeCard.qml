import QtQuick
import QtQuick.Layouts
import Quillmoor

// One live figure on the overview: a tile with the icon and the title, the
// value in large type (shrinking to fit), a muted sub-line and a small chart
// (placed inside the card) below. Fades in after `delay` milliseconds.
Card {
    id: card
    property string title
    property string symbol
    property string value
    property string sub
    property int delay: 0
    default property alias viz: vizSlot.data

    implicitHeight: 188
    opacity: 0
    Component.onCompleted: fadeIn.start()
    SequentialAnimation {
        id: fadeIn
        PauseAnimation { duration: card.delay }
        NumberAnimation { target: card; property: "opacity"; to: 1; duration: 420; easing.type: Easing.OutCubic }
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 18
        spacing: 6
        RowLayout {
            spacing: 10
            Rectangle {
                implicitWidth: 30
                implicitHeight: 30
                radius: 9
                color: DS.withAlpha(DS.primary, 0.14)
                Icon { anchors.centerIn: parent; symbol: card.symbol; size: 17; color: DS.primary }
            }
            Text {
                textFormat: Text.PlainText
                Layout.fillWidth: true
                text: card.title
                color: DS.muted
                font.pixelSize: 13
                font.weight: Font.DemiBold
                elide: Text.ElideRight
                horizontalAlignment: Text.AlignLeft
            }
        }
        Text {
            textFormat: Text.PlainText
            objectName: "gaugeValue"
            Layout.fillWidth: true
            Layout.topMargin: 4
            text: card.value
            color: DS.text
            font: DS.mono(28, Font.DemiBold)
            fontSizeMode: Text.HorizontalFit
            minimumPixelSize: 14
            elide: Text.ElideNone
            horizontalAlignment: Text.AlignLeft
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
        Item {
            id: vizSlot
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.minimumHeight: 34
        }
    }
}
