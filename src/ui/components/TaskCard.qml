import QtQuick
import QtQuick.Layouts
import Quillmoor

// One maintenance routine: its check box, symbol, title and detail, a lock
// when it asks for the administrator password, and its status line (running,
// done, ready, or why it cannot run here). A click anywhere on the card ticks
// or unticks it; a routine that cannot run here cannot be ticked.
Card {
    id: card
    property var task: ({})
    property bool ticked: false
    property bool running: false
    property bool done: false
    readonly property bool available: card.task.available !== false
    signal toggled()

    implicitHeight: 92

    Rectangle {
        anchors.fill: parent
        radius: card.radius
        color: "transparent"
        border.width: card.ticked ? 1.5 : 0
        border.color: DS.withAlpha(DS.primary, 0.55)
    }
    TapHandler { enabled: card.available; onTapped: card.toggled() }
    HoverHandler { cursorShape: card.available ? Qt.PointingHandCursor : Qt.ArrowCursor }

    RowLayout {
        anchors.fill: parent
        anchors.leftMargin: 16
        anchors.rightMargin: 16
        spacing: 14
        CheckBox {
            objectName: "taskCheck-" + card.task.id
            enabled: card.available
            opacity: card.available ? 1 : 0.35
            on: card.ticked
            onToggled: if (card.available) card.toggled()
        }
        Chip { symbol: card.task.symbol; opacity: card.available ? 1 : 0.45 }
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
                    color: card.available ? DS.text : DS.muted
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
                Layout.fillWidth: true
                Rectangle {
                    id: dot
                    width: 7
                    height: 7
                    radius: 3.5
                    color: card.running ? DS.primary : (card.done ? DS.success : (card.available ? DS.muted : DS.warning))
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
                    Layout.fillWidth: true
                    elide: Text.ElideRight
                    // what the last junk scan found that this routine frees
                    readonly property real found: JunkState.junkGroupTotals[card.task.junkGroup || ""] || 0
                    text: card.running ? I18n.L("Executando…")
                                       : (card.done ? I18n.L("Concluído")
                                                    : (card.available ? I18n.L("Pronto para executar")
                                                                        + (found > 0 ? "  ·  " + I18n.LF("%@ a liberar", [Fmt.bytes(found)]) : "")
                                                                      : card.task.reason))
                    color: card.running ? DS.glow : (card.done ? DS.success : (card.available ? DS.muted : DS.warning))
                    font.pixelSize: 11
                    font.weight: Font.DemiBold
                    horizontalAlignment: Text.AlignLeft
                    Behavior on color { ColorAnimation { duration: 350; easing.type: Easing.OutQuad } }
                }
            }
        }
    }
}
