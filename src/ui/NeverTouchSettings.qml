import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillmoor

// The "Nunca tocar" tab: the places no scan offers and no removal touches,
// each with its button that takes it off the list (Tab reaches it; Space,
// Enter or Delete press it), a folder added from the picker, and any path
// (a file, a place that is not there yet) typed in.
Item {
    id: form
    // why the last path could not be added
    property string err: ""
    // the row whose button takes the focus once the list has changed; -1: none
    property int focusRow: -1

    function addTyped() {
        if (pathField.text === "")
            return
        form.err = NeverTouchState.add(pathField.text)
        if (form.err === "")
            pathField.text = ""
    }
    function removeAt(index) {
        form.focusRow = index
        NeverTouchState.remove(NeverTouchState.places[index].key)
    }

    // After a removal the focus stays in the list: on the row that took the
    // removed one's place, else the last; on the field when none is left.
    function refocus() {
        const row = Math.min(form.focusRow, places.count - 1)
        form.focusRow = -1
        if (row < 0) {
            pathField.forceActiveFocus()
            return
        }
        places.forceLayout()
        places.positionViewAtIndex(row, ListView.Contain)
        const item = places.itemAtIndex(row)
        if (item)
            item.removeButton.forceActiveFocus()
    }
    Connections {
        target: NeverTouchState
        // once the list has made its new rows
        function onPlacesChanged() {
            if (form.focusRow >= 0)
                Qt.callLater(form.refocus)
        }
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 20
        spacing: 12

        Text {
            objectName: "neverTouchExplained"
            textFormat: Text.PlainText
            Layout.fillWidth: true
            text: I18n.L("O Quillmoor nunca oferece nem remove o que está nesta lista. Uma pasta vale para tudo o que há dentro dela. Um link é ignorado pelo caminho dado; a pasta para onde ele aponta não fica incluída.")
            color: DS.muted
            font.pixelSize: 12
            lineHeight: 1.15
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignLeft
        }

        Card {
            Layout.fillWidth: true
            Layout.fillHeight: true
            ListView {
                id: places
                objectName: "neverTouchList"
                KeepFocusInView { flickable: places }
                anchors.fill: parent
                anchors.margins: 6
                clip: true
                model: NeverTouchState.places
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: ScrollBar {}
                delegate: Item {
                    id: place
                    required property var modelData
                    required property int index
                    property alias removeButton: removeButton
                    width: places.width
                    height: 42

                    RowLayout {
                        anchors.fill: parent
                        anchors.leftMargin: 10
                        anchors.rightMargin: 8
                        spacing: 10
                        Icon {
                            symbol: place.modelData.link ? "link" : (place.modelData.folder ? "folder.fill" : "doc")
                            size: 18
                            color: place.modelData.missing ? DS.muted : (place.modelData.folder ? DS.primary : DS.glow)
                        }
                        Text {
                            objectName: "neverTouchPath"
                            textFormat: Text.PlainText
                            Layout.fillWidth: true
                            text: I18n.isolate(place.modelData.path)
                            color: place.modelData.missing ? DS.muted : DS.text
                            font.pixelSize: 13
                            elide: Text.ElideMiddle
                            horizontalAlignment: Text.AlignLeft
                        }
                        Chip {
                            objectName: "neverTouchMissing"
                            visible: place.modelData.missing
                            text: I18n.L("Não existe mais")
                            tint: DS.warning
                        }
                        Chip {
                            objectName: "neverTouchLink"
                            visible: place.modelData.link
                            text: I18n.L("Link")
                            tint: DS.glow
                        }
                        Rectangle {
                            id: removeButton
                            objectName: "neverTouchRemove"
                            width: 26
                            height: 26
                            radius: 7
                            color: removeHover.hovered ? Qt.rgba(1, 1, 1, 0.06) : "transparent"
                            activeFocusOnTab: true
                            Accessible.role: Accessible.Button
                            Accessible.name: I18n.L("Remover da lista")
                            Accessible.description: place.modelData.path
                            FocusRing { shown: removeButton.activeFocus; around: removeButton.radius }
                            // (a row the list is dropping has no window to show it in)
                            HintTip { shown: removeHover.hovered && removeButton.Window.window !== null; text: I18n.L("Remover da lista") }
                            Icon {
                                anchors.centerIn: parent
                                symbol: "xmark"
                                size: 16
                                color: removeHover.hovered || removeButton.activeFocus ? DS.text : DS.muted
                            }
                            HoverHandler { id: removeHover; cursorShape: Qt.PointingHandCursor }
                            TapHandler { gesturePolicy: TapHandler.ReleaseWithinBounds; onTapped: form.removeAt(place.index) }
                            Keys.onPressed: (event) => {
                                if (event.key === Qt.Key_Space || event.key === Qt.Key_Return || event.key === Qt.Key_Enter
                                        || event.key === Qt.Key_Delete || event.key === Qt.Key_Backspace) {
                                    form.removeAt(place.index)
                                    event.accepted = true
                                }
                            }
                        }
                    }
                    Rectangle {
                        anchors.bottom: parent.bottom
                        anchors.left: parent.left
                        anchors.right: parent.right
                        anchors.leftMargin: 10
                        anchors.rightMargin: 10
                        height: 1
                        color: DS.border
                        visible: place.index < places.count - 1
                    }
                }

                // An empty list says so, and what it is for.
                Column {
                    objectName: "neverTouchEmpty"
                    parent: places  // over the list itself, not inside its scrolled content
                    anchors.centerIn: parent
                    width: parent.width - 48
                    spacing: 6
                    visible: places.count === 0
                    Icon {
                        anchors.horizontalCenter: parent.horizontalCenter
                        symbol: "lock"
                        size: 22
                        color: DS.muted
                    }
                    Text {
                        textFormat: Text.PlainText
                        width: parent.width
                        text: I18n.L("Nenhum local na lista.")
                        color: DS.text
                        font.pixelSize: 13
                        font.weight: Font.DemiBold
                        horizontalAlignment: Text.AlignHCenter
                    }
                    Text {
                        textFormat: Text.PlainText
                        width: parent.width
                        text: I18n.L("Acrescente as pastas e os arquivos que nenhuma limpeza deve oferecer nem remover.")
                        color: DS.muted
                        font.pixelSize: 12
                        wrapMode: Text.Wrap
                        horizontalAlignment: Text.AlignHCenter
                    }
                }
            }
        }

        // A path typed in, added with Return or its button, or a folder from the
        // picker; the reason under them when it cannot be added.
        RowLayout {
            Layout.fillWidth: true
            spacing: 8
            TextBox {
                id: pathField
                objectName: "neverTouchField"
                Layout.fillWidth: true
                placeholderText: I18n.L("Caminho de uma pasta ou de um arquivo")
                refused: form.err !== ""
                onTextEdited: form.err = ""
                onAccepted: form.addTyped()
            }
            GhostButton {
                objectName: "neverTouchAdd"
                text: I18n.L("Adicionar")
                enabled: pathField.text !== ""
                onClicked: form.addTyped()
            }
            PrimaryButton {
                objectName: "neverTouchAddFolder"
                text: I18n.L("Adicionar pasta…")
                onClicked: picker.open()
            }
        }
        Text {
            objectName: "neverTouchError"
            textFormat: Text.PlainText
            Layout.fillWidth: true
            Layout.topMargin: -6
            visible: form.err !== ""
            text: form.err
            color: DS.warning
            font.pixelSize: 11
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignLeft
        }
    }

    FolderPicker {
        id: picker
        objectName: "neverTouchPicker"
        title: I18n.L("Pasta que o Quillmoor nunca deve tocar")
        onChosen: (path) => form.err = NeverTouchState.add(path)
    }
}
