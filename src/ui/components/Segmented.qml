import QtQuick
import Quillmoor

// A row of mutually exclusive choices; `current` is the index of the chosen one.
// Each choice takes the keyboard focus (Tab); Enter or Space chooses it, and
// the arrows choose its neighbour (the one on that side, in a mirrored row too).
Rectangle {
    id: control
    property var labels: []
    property int current: 0
    signal chosen(int index)

    implicitHeight: 30
    implicitWidth: row.implicitWidth + 6
    radius: height / 2
    color: Qt.rgba(1, 1, 1, 0.03)
    border.width: 1
    border.color: DS.border

    Row {
        id: row
        anchors.centerIn: parent
        spacing: 2
        Repeater {
            id: segments
            model: control.labels
            Rectangle {
                id: segment
                objectName: control.objectName !== "" ? control.objectName + "-" + index : ""
                width: label.implicitWidth + 22
                height: control.height - 6
                radius: height / 2
                color: index === control.current ? DS.withAlpha(DS.primary, 0.22)
                     : (hover.hovered ? Qt.rgba(1, 1, 1, 0.05) : "transparent")
                activeFocusOnTab: true
                FocusRing { shown: segment.activeFocus; around: segment.radius }
                Accessible.role: Accessible.RadioButton
                Accessible.name: modelData
                Accessible.checked: index === control.current
                Text {
                    id: label
                    textFormat: Text.PlainText
                    anchors.centerIn: parent
                    text: modelData
                    color: index === control.current ? DS.text : DS.muted
                    font.pixelSize: 12
                    font.weight: index === control.current ? Font.DemiBold : Font.Normal
                }
                HoverHandler { id: hover; cursorShape: Qt.PointingHandCursor }
                TapHandler { onTapped: control.chosen(index) }
                Keys.onPressed: (event) => {
                    if (event.key === Qt.Key_Space || event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
                        control.chosen(index)
                        event.accepted = true
                    } else if (event.key === Qt.Key_Left || event.key === Qt.Key_Right) {
                        const forward = (event.key === Qt.Key_Right) !== segment.LayoutMirroring.enabled
                        const next = index + (forward ? 1 : -1)
                        if (next >= 0 && next < segments.count) {
                            segments.itemAt(next).forceActiveFocus()
                            control.chosen(next)
                        }
                        event.accepted = true
                    }
                }
            }
        }
    }
}
