import QtQuick
import Quillmoor

// The card surface: a rounded panel in DS.surface with a lit top edge and a
// soft shadow. Place content inside; it fills the card.
Item {
    id: card
    property real radius: DS.radius
    default property alias content: body.data

    SoftShadow { anchors.fill: parent; radius: card.radius; strength: 0.35; blur: 18; offsetY: 10 }
    // The edge: a gradient ring from faint white at the top to the border colour below.
    Rectangle {
        anchors.fill: parent
        radius: card.radius
        gradient: Gradient {
            GradientStop { position: 0; color: Qt.rgba(1, 1, 1, 0.09) }
            GradientStop { position: 1; color: DS.withAlpha(DS.border, 0.9) }
        }
    }
    Rectangle {
        anchors.fill: parent
        anchors.margins: 1
        radius: Math.max(0, card.radius - 1)
        color: DS.surface
    }
    Item { id: body; anchors.fill: parent }
}
