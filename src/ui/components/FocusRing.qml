import QtQuick
import Quillmoor

// The mark of keyboard focus that every control shares: a ring in the accent
// colour just outside the control. Place it inside the control; bind `shown`
// to the control's keyboard focus and `around` to its corner radius.
Rectangle {
    property bool shown: false
    property real around: 0

    objectName: "focusRing"
    anchors.fill: parent
    anchors.margins: -3
    radius: around + 3
    color: "transparent"
    border.width: 2
    border.color: DS.primary
    visible: shown
}
