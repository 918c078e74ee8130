import QtQuick
import QtQuick.Controls.Basic
import Quillmoor

// Shown while a removal runs: a veil that swallows every click and key, and a
// card saying what is happening.
Rectangle {
    id: overlay
    color: Qt.rgba(0, 0, 0, 0.55)
    opacity: visible ? 1 : 0
    Behavior on opacity { NumberAnimation { duration: 200 } }

    MouseArea { anchors.fill: parent; hoverEnabled: true; acceptedButtons: Qt.AllButtons; onWheel: (w) => w.accepted = true }
    Keys.onPressed: (event) => event.accepted = true
    focus: visible

    Card {
        anchors.centerIn: parent
        width: Math.max(300, row.implicitWidth + 48)
        height: 84
        Row {
            id: row
            anchors.centerIn: parent
            spacing: 14
            BusyIndicator {
                width: 32
                height: 32
                running: overlay.visible
                anchors.verticalCenter: parent.verticalCenter
                contentItem: Item {
                    // a ring with one bright arc, turning
                    Rectangle {
                        anchors.fill: parent
                        radius: width / 2
                        color: "transparent"
                        border.width: 3
                        border.color: DS.withAlpha(DS.primary, 0.25)
                    }
                    Rectangle {
                        width: 7
                        height: 7
                        radius: 3.5
                        color: DS.glow
                        x: parent.width / 2 - 3.5
                        y: -1
                    }
                    RotationAnimator on rotation {
                        from: 0; to: 360; duration: 1100
                        loops: Animation.Infinite
                        running: overlay.visible
                    }
                }
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: I18n.L("Removendo os itens selecionados…")
                color: DS.text
                font.pixelSize: 14
                font.weight: Font.Medium
            }
        }
    }
}
