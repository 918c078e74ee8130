import QtQuick
import QtQuick.Layouts
import Quillmoor

// The removal history, over the current page: one card a removal, newest
// first; opening one lists its items, and what is still in the Trash can be
// put back ("Restaurar"), under another name when its place is taken.
Item {
    id: page
    objectName: "historyView"

    Keys.onEscapePressed: HistoryState.close()

    // The keyboard starts on the newest record (on "Fechar" until the records
    // are read), so Tab goes on through the history, not back to the sidebar.
    function takeFocus() {
        const newest = records.itemAtIndex(0)
        if (newest)
            newest.forceActiveFocus()
        else
            closeButton.forceActiveFocus()
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 32
        anchors.bottomMargin: 24
        spacing: 18

        PageHeader {
            Layout.fillWidth: true
            eyebrow: I18n.L("Histórico")
            l1: I18n.L("O que foi removido")
            l2: I18n.L("e o que pode voltar.")
            sub: I18n.L("Itens movidos para a Lixeira podem ser restaurados ao seu lugar.")
            GhostButton {
                id: closeButton
                objectName: "historyClose"
                text: I18n.L("Fechar")
                compact: true
                onClicked: HistoryState.close()
            }
        }

        ListView {
            id: records
            objectName: "historyList"
            KeepFocusInView { flickable: records }
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            spacing: 10
            focus: true
            boundsBehavior: Flickable.StopAtBounds
            model: HistoryState.recordModel
            onCountChanged: if (count > 0 && closeButton.activeFocus) Qt.callLater(page.takeFocus)

            Text {
                parent: records
                anchors.centerIn: parent
                visible: records.count === 0 && !HistoryState.loading
                textFormat: Text.PlainText
                text: I18n.L("Nenhuma remoção registrada ainda.")
                color: DS.muted
                font.pixelSize: 15
            }

            delegate: Card {
                id: card
                required property int index
                required property string when
                required property string origin
                required property string action
                required property string count
                required property string freed
                required property string trashed
                required property int restorable
                property bool open: false
                objectName: "historyRecord-" + index
                property var items: []
                width: records.width
                height: column.implicitHeight + 24
                activeFocusOnTab: true

                function toggle() {
                    open = !open
                    if (open)
                        items = HistoryState.items(index)
                }
                // The item's rows are made again afterwards, so the card keeps the focus.
                function restoreItem(item, name) {
                    const why = HistoryState.restore(index, item, name)
                    card.forceActiveFocus()
                    if (why !== "")
                        ShellState.message = why
                }
                Keys.onReturnPressed: toggle()
                Keys.onSpacePressed: toggle()
                Connections {
                    target: HistoryState
                    function onItemsChanged(row) {
                        if (row === card.index && card.open)
                            card.items = HistoryState.items(card.index)
                    }
                }
                FocusRing { shown: card.activeFocus; around: DS.radius }

                ColumnLayout {
                    id: column
                    anchors.left: parent.left
                    anchors.right: parent.right
                    anchors.top: parent.top
                    anchors.margins: 12
                    spacing: 6
                    RowLayout {
                        Layout.fillWidth: true
                        spacing: 12
                        Text {
                            textFormat: Text.PlainText
                            text: card.open ? "▾" : "▸"
                            color: DS.muted
                        }
                        Text {
                            textFormat: Text.PlainText
                            text: card.action
                            color: DS.text
                            font.weight: Font.DemiBold
                        }
                        Text {
                            textFormat: Text.PlainText
                            Layout.fillWidth: true
                            text: I18n.isolate(card.when) + " · " + card.origin + " · " + card.count
                            color: DS.muted
                            elide: Text.ElideRight
                        }
                        Text {
                            textFormat: Text.PlainText
                            text: [card.freed, card.trashed].filter(function (t) { return t !== "" }).join(" · ")
                            color: DS.glow
                        }
                    }
                    Repeater {
                        model: card.open ? card.items : []
                        RowLayout {
                            id: itemRow
                            required property var modelData
                            required property int index
                            Layout.fillWidth: true
                            Layout.leftMargin: 24
                            spacing: 10
                            Text {
                                textFormat: Text.PlainText
                                text: itemRow.modelData.fate + " · " + itemRow.modelData.result
                                color: DS.muted
                                font.pixelSize: 12
                            }
                            // The item, and under it why it cannot simply go back when it cannot.
                            ColumnLayout {
                                Layout.fillWidth: true
                                spacing: 2
                                Text {
                                    textFormat: Text.PlainText
                                    Layout.fillWidth: true
                                    text: I18n.isolate(itemRow.modelData.label)
                                    color: DS.text
                                    font.pixelSize: 12
                                    elide: Text.ElideMiddle
                                }
                                Text {
                                    objectName: "restoreReason"
                                    textFormat: Text.PlainText
                                    Layout.fillWidth: true
                                    visible: text !== ""
                                    text: itemRow.modelData.restoreReason
                                    color: itemRow.modelData.restoreState === "occupied" ? DS.warning
                                           : itemRow.modelData.restoreState === "restored" ? DS.glow : DS.muted
                                    font.pixelSize: 11
                                    wrapMode: Text.Wrap
                                }
                            }
                            Text {
                                textFormat: Text.PlainText
                                text: itemRow.modelData.size
                                color: DS.muted
                                font.pixelSize: 12
                            }
                            GhostButton {
                                objectName: "restoreButton"
                                visible: itemRow.modelData.restoreState === "available"
                                compact: true
                                text: I18n.L("Restaurar")
                                onClicked: itemRow.restoreAs("")
                            }
                            // Its place is taken: put back beside it, under a name typed here.
                            TextBox {
                                id: otherName
                                objectName: "restoreOtherName"
                                visible: itemRow.modelData.restoreState === "occupied"
                                Layout.preferredWidth: 200
                                placeholderText: I18n.L("Outro nome")
                                Accessible.name: I18n.L("Outro nome")
                                onAccepted: itemRow.restoreAs(text)
                            }
                            GhostButton {
                                objectName: "restoreAsButton"
                                visible: otherName.visible
                                enabled: otherName.text !== ""
                                compact: true
                                text: I18n.L("Restaurar com este nome")
                                onClicked: itemRow.restoreAs(otherName.text)
                            }
                            function restoreAs(name) { card.restoreItem(itemRow.index, name) }
                        }
                    }
                }
                MouseArea {
                    anchors.left: parent.left
                    anchors.right: parent.right
                    anchors.top: parent.top
                    height: 40
                    onClicked: { card.forceActiveFocus(); card.toggle() }
                }
            }
        }
    }
}
