pragma Singleton
import QtQuick
import Quillmoor

// The dark palette, card radius and figure font that every view shares.
QtObject {
    readonly property color bg: "#0E0E0E"
    readonly property color surface: "#16161A"
    readonly property color elevated: "#1F1F25"
    readonly property color border: "#26262E"
    readonly property color primary: "#9498F2"
    readonly property color primaryDeep: "#6E73E8"
    readonly property color glow: "#B4B7F7"
    readonly property color text: "#F4F4F5"
    readonly property color muted: "#A1A1AA"
    readonly property color success: "#2ECC71"
    readonly property color warning: "#F39C12"
    readonly property color danger: "#E74C3C"

    readonly property real radius: 14

    // The platform's named colours that the sections use as tints.
    readonly property var tints: ({
        "blue": "#0A84FF", "pink": "#FF375F", "orange": "#FF9F0A", "yellow": "#FFD60A", "red": "#FF453A",
        "purple": "#BF5AF2", "green": "#30D158", "teal": "#40C8E0"
    })

    // The monospaced face for figures: byte counts, percentages.
    readonly property string monoFamily: "DejaVu Sans Mono"
    readonly property string iconFamily: "Material Icons"

    // DS.mono(size, weight): a monospaced font of `size` points, medium unless told.
    // In Arabic the figures carry Arabic words ("0 بايت") that a monospaced face
    // breaks apart, so they take the normal face.
    function mono(size, weight) {
        if (I18n.rightToLeft)
            return Qt.font({ pixelSize: size, weight: weight === undefined ? Font.Medium : weight })
        return Qt.font({ family: monoFamily, pixelSize: size,
                         weight: weight === undefined ? Font.Medium : weight })
    }

    // The figure face for a text of Latin letters, digits and signs alone, the
    // normal face for any other script (a monospaced face breaks Arabic
    // letters apart).
    function figureFont(text, size, weight) {
        if (/^[\u0000-\u024F\u2000-\u2BFF]*$/.test(text))
            return mono(size, weight)
        return Qt.font({ pixelSize: size, weight: weight === undefined ? Font.Medium : weight })
    }

    function withAlpha(c, a) { return Qt.rgba(c.r, c.g, c.b, a) }
}
