import QtQuick
import Quillmoor

// The night sky behind the pages: a dark ground, a faint glow from the top and
// the twinkling stars. Decoration only: it takes no input.
Rectangle {
    color: DS.bg
    RadialGlow {
        anchors.fill: parent
        color: DS.primary
        strength: 0.16
        centerX: 0.5
        centerY: 0
        radius: 620
    }
    Starfield {
        anchors.fill: parent
        brightness: 0.7
    }
}
