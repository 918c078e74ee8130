import QtQuick
import QtQuick.Layouts
import Quillmoor

// One maintenance routine: its check box, symbol, title and detail, a lock
// when it asks for the administrator password, and its status line (running,
// done, or ready). A click anywhere on the card ticks or unticks it.
Card {
    id: card
    property var task: ({})
    property bool ticked: false
    property bool running: false
    property bool done: false
    signal toggled()

    implicitHeight: 92

    Rectangle {
        anchors.fill: parent
        radius: card.radius
        color: "transparent"
        border.width: card.ticked ? 1.5 : 0
        border.color: DS.withAlpha(DS.primary, 0.55)
    }
    TapHandler { onTapped: card.toggled() }
    HoverHandler { cursorShape: Qt.PointingHandCursor }

    RowLayout {
        anchors.fill: parent
        anchors.leftMargin: 16
        anchors.rightMargin: 16
        spacing: 14
        CheckBox {
            objectName: "taskCheck-" + card.task.id
            on: card.ticked
            onToggled: card.toggled()
        }
        Chip { symbol: card.task.symbol }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 3
            RowLayout {
                spacing: 6
                Layout.fillWidth: true
                Text {
                    textFormat: Text.PlainText
                    Layout.fillWidth: true
                    text: card.task.title
                    color: DS.text
                    font.pixelSize: 14
                    font.weight: Font.DemiBold
                    elide: Text.ElideRight
                    horizontalAlignment: Text.AlignLeft
                }
                Icon {
                    visible: card.task.admin === true
                    symbol: "lock"
                    size: 14
                    color: DS.muted
                }
            }
            Text {
                textFormat: Text.PlainText
                Layout.fillWidth: true
                text: card.task.detail
                color: DS.muted
                font.pixelSize: 12
                elide: Text.ElideRight
                horizontalAlignment: Text.AlignLeft
            }
            RowLayout {
                spacing: 6
                Rectangle {
                    id: dot
                    width: 7
                    height: 7
                    radius: 3.5
                    color: card.running ? DS.primary : (card.done ? DS.success : DS.muted)
                    Behavior on color { ColorAnimation { duration: 350; easing.type: Easing.OutQuad } }
                    SequentialAnimation on opacity {
                        running: card.running
                        loops: Animation.Infinite
                        onRunningChanged: if (!running) dot.opacity = 1
                        NumberAnimation { to: 0.25; duration: 500; easing.type: Easing.InOutQuad }
                        NumberAnimation { to: 1; duration: 500; easing.type: Easing.InOutQuad }
                    }
                }
                Text {
                    textFormat: Text.PlainText
                    objectName: "taskStatus-" + card.task.id
                    text: card.running ? I18n.L("Executando…")
                                       : (card.done ? I18n.L("Concluído") : I18n.L("Pronto para executar"))
                    color: card.running ? DS.glow : (card.done ? DS.success : DS.muted)
                    font.pixelSize: 11
                    font.weight: Font.DemiBold
                    horizontalAlignment: Text.AlignLeft
                    Behavior on color { ColorAnimation { duration: 350; easing.type: Easing.OutQuad } }
                }
            }
        }
    }
}
