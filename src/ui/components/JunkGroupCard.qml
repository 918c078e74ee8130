import QtQuick
import QtQuick.Layouts
import Quillmoor

// One group of junk findings: a header with the group's check box, symbol,
// title, item count, detail and total, which expands into one row per item.
Card {
    id: card
    // one row of JunkState.junkGroupModel
    property string groupId
    property string title
    property string detail
    property string symbol
    property bool permanent: true
    property bool admin: false      // the system's: removed with the administrator's password
    property bool oneByOne: false   // its items hold data: ticked one at a time, never all at once
    property bool measurable: false // what this user could not read is measured as the administrator ("Medir")
    property bool atLeast: false    // its items share data none of their sizes holds: the total is a floor
    property bool sizeKnown: true
    property real total: 0
    property real selectedTotal: 0
    property int count: 0
    property bool allOn: false
    property bool someOn: false
    property var items: []
    property bool expanded: false
    // A row with a path asks for its menu (a right click, or the menu key on
    // its box): the page opens it at `at` in `item`.
    signal rowMenuRequested(string path, Item item, point at, bool keyboard)
    // The row whose box was ticked from the keyboard: the rows are made anew
    // when the items change, and the focus goes back to that row's box.
    property int keyboardRow: -1
    onItemsChanged: if (keyboardRow >= 0) Qt.callLater(refocusRow)
    function refocusRow() {
        const row = rows.itemAt(keyboardRow)
        keyboardRow = -1
        if (row)
            row.box.forceActiveFocus(Qt.TabFocusReason)
    }

    implicitHeight: column.implicitHeight + 2

    ColumnLayout {
        id: column
        anchors.left: parent.left
        anchors.right: parent.right
        spacing: 0

        // the header: a click anywhere on it (but the check box) expands or collapses
        Item {
            Layout.fillWidth: true
            implicitHeight: 66
            TapHandler { onTapped: card.expanded = !card.expanded }
            HoverHandler { cursorShape: Qt.PointingHandCursor }

            RowLayout {
                anchors.fill: parent
                anchors.leftMargin: 16
                anchors.rightMargin: 14
                spacing: 12
                CheckBox {
                    objectName: "groupCheck-" + card.groupId
                    on: card.allOn
                    mixed: card.someOn && !card.allOn
                    blocked: card.oneByOne  // still asks, so the page can say why
                    onToggled: JunkState.toggleJunkGroup(card.groupId)
                }
                Chip { symbol: card.symbol }
                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 2
                    RowLayout {
                        spacing: 8
                        Text {
                            textFormat: Text.PlainText
                            text: card.title
                            color: DS.text
                            font.pixelSize: 14
                            font.weight: Font.DemiBold
                        }
                        Chip {
                            visible: !card.permanent
                            text: I18n.L("LIXEIRA")
                            tint: DS.warning
                        }
                        Chip {
                            objectName: "adminChip-" + card.groupId
                            visible: card.admin
                            text: I18n.L("ADMINISTRADOR")
                            tint: DS.primary
                        }
                    }
                    Text {
                        textFormat: Text.PlainText
                        Layout.fillWidth: true
                        text: I18n.items(card.count) + "  ·  " + I18n.isolate(card.detail)
                        color: DS.muted
                        font.pixelSize: 12
                        elide: Text.ElideRight
                        horizontalAlignment: Text.AlignLeft
                    }
                }
                GhostButton {
                    objectName: "measure-" + card.groupId
                    visible: card.measurable
                    compact: true
                    enabled: JunkState.measuringGroup.length === 0
                    text: JunkState.measuringGroup === card.groupId ? I18n.L("Medindo…") : I18n.L("Medir")
                    onClicked: JunkState.measureJunkGroup(card.groupId)
                }
                Text {
                    textFormat: Text.PlainText
                    text: !card.sizeKnown ? I18n.L("Tamanho desconhecido")
                          : card.atLeast && card.count > 1 ? I18n.LF("Pelo menos %@", [Fmt.bytes(card.someOn ? card.selectedTotal : card.total)])
                                         : Fmt.bytes(card.someOn ? card.selectedTotal : card.total)
                    color: card.someOn ? DS.text : DS.muted
                    font: DS.mono(14, Font.DemiBold)
                }
                // the expand control, for the keyboard too (a click lands on the header)
                Item {
                    id: expander
                    objectName: "groupExpand-" + card.groupId
                    implicitWidth: 26
                    implicitHeight: 26
                    activeFocusOnTab: true
                    Accessible.role: Accessible.Button
                    Accessible.name: card.title
                    Icon {
                        anchors.centerIn: parent
                        symbol: "chevron.down"
                        size: 20
                        color: DS.muted
                        rotation: card.expanded ? 0 : (I18n.rightToLeft ? 90 : -90)
                        Behavior on rotation { NumberAnimation { duration: 160 } }
                    }
                    FocusRing { shown: expander.activeFocus; around: 7 }
                    Keys.onPressed: (event) => {
                        if (event.key === Qt.Key_Space || event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
                            card.expanded = !card.expanded
                            event.accepted = true
                        }
                    }
                }
            }
        }

        // the rows, while expanded
        Rectangle {
            visible: card.expanded
            Layout.fillWidth: true
            height: 1
            color: DS.border
        }
        Repeater {
            id: rows
            model: card.expanded ? card.items : []
            Item {
                id: itemRow
                property alias box: itemBox
                Layout.fillWidth: true
                implicitHeight: 38
                TapHandler {
                    acceptedButtons: Qt.RightButton
                    enabled: modelData.path.length > 0
                    onTapped: (point) => card.rowMenuRequested(modelData.path, itemRow, point.position, false)
                }
                RowLayout {
                    anchors.fill: parent
                    anchors.leftMargin: 16
                    anchors.rightMargin: 14
                    spacing: 12
                    CheckBox {
                        id: itemBox
                        objectName: "itemCheck-" + card.groupId
                        on: modelData.selected
                        blocked: modelData.listedOnly === true  // still asks, so the page can say why
                        onToggled: {
                            card.keyboardRow = activeFocus ? index : -1
                            JunkState.toggleJunkItem(card.groupId, modelData.itemId)
                        }
                        onMenuRequested: if (modelData.path.length > 0)
                                             card.rowMenuRequested(modelData.path, itemBox, Qt.point(0, itemBox.height), true)
                    }
                    FileIcon { path: modelData.path; size: 16 }
                    Text {
                        id: itemName
                        textFormat: Text.PlainText
                        Layout.fillWidth: true
                        text: I18n.isolate(modelData.name)
                        color: DS.text
                        font.pixelSize: 13
                        elide: Text.ElideMiddle
                        horizontalAlignment: Text.AlignLeft
                        rightPadding: itemNote.text.length > 0 ? itemNote.implicitWidth + 10 : 0
                        // A short remark on the item ("In use by firefox"), muted, at
                        // the end of the name's room (kept out of the row's layout).
                        Text {
                            id: itemNote
                            anchors.right: parent.right
                            anchors.verticalCenter: parent.verticalCenter
                            text: modelData.note || ""
                            textFormat: Text.PlainText
                            color: DS.muted
                            font.pixelSize: 11
                        }
                    }
                    Text {
                        textFormat: Text.PlainText
                        text: modelData.sizeKnown ? Fmt.bytes(modelData.size) : I18n.L("Tamanho desconhecido")
                        color: DS.muted
                        font: DS.mono(12)
                    }
                    RevealButton { path: modelData.path; visible: modelData.path.length > 0 }
                }
            }
        }
        Item { visible: card.expanded; implicitHeight: 6 }
    }
}
