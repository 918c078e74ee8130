import QtQuick

// A soft drop shadow drawn as a few widening, fading rounded rectangles
// (no shader, so the software renderer draws it too).
Item {
    id: shadow
    property color color: "black"
    property real strength: 0.35     // opacity of the whole shadow
    property real blur: 18
    property real offsetX: 0
    property real offsetY: 10
    property real radius: 14

    readonly property int layers: 6
    Repeater {
        model: shadow.layers
        Rectangle {
            readonly property real spread: shadow.blur * (index + 1) / shadow.layers
            x: shadow.offsetX - spread / 2
            y: shadow.offsetY - spread / 2
            width: shadow.width + spread
            height: shadow.height + spread
            radius: shadow.radius + spread / 2
            color: shadow.color
            opacity: shadow.strength * 1.6 / shadow.layers * (1 - index / shadow.layers)
        }
    }
}
