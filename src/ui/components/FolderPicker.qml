import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import QtQuick.Templates as T
import Quillmoor

// The window's own folder picker, drawn in the theme and in the interface
// language: a title, the way up and home, the open folder as an editable path,
// its folders with their dates, and "Escolher" / "Cancelar". Choosing takes
// the highlighted folder, else the open one (the footer says which).
// Keyboard: arrows, Home/End and typing a name's start move the highlight;
// Return (or the arrow toward the reading direction's end) opens it;
// Backspace (or the other arrow, or Alt+Up) goes up; Ctrl+Return chooses;
// Escape closes.
Popup {
    id: picker
    objectName: "folderPicker"
    property string title
    // Where it opens: a path or a file URL (the home folder when empty or gone).
    property string startFolder: ""
    signal chosen(string path)

    // The folder Escolher takes.
    readonly property string choice: folders.currentIndex >= 0 ? listing.pathAt(folders.currentIndex) : listing.folder

    function openHighlighted() {
        if (folders.currentIndex < 0)
            return
        listing.open(listing.pathAt(folders.currentIndex))
        folders.currentIndex = -1
    }
    function goUp() {
        const from = listing.folder
        listing.up()
        folders.currentIndex = listing.rowOf(from)  // the folder left behind stays in view
        folders.positionViewAtIndex(Math.max(0, folders.currentIndex), ListView.Contain)
    }
    function choose() {
        const path = picker.choice
        picker.close()
        picker.chosen(path)
    }

    modal: true
    focus: true
    anchors.centerIn: T.Overlay.overlay
    width: Math.min(640, (T.Overlay.overlay ? T.Overlay.overlay.width : 700) - 80)
    height: Math.min(540, (T.Overlay.overlay ? T.Overlay.overlay.height : 600) - 80)
    padding: 22
    closePolicy: Popup.CloseOnEscape
    T.Overlay.modal: Rectangle { color: Qt.rgba(0, 0, 0, 0.5) }
    background: Card {}

    FolderListing { id: listing }

    onAboutToShow: {
        listing.open(picker.startFolder !== "" ? picker.startFolder : "~")
        folders.currentIndex = -1
        pathField.text = listing.shownFolder
    }
    onOpened: folders.forceActiveFocus()

    Connections {
        target: listing
        function onFolderChanged() { pathField.text = listing.shownFolder }
    }

    contentItem: ColumnLayout {
        LayoutMirroring.enabled: I18n.rightToLeft
        LayoutMirroring.childrenInherit: true
        spacing: 12

        Text {
            textFormat: Text.PlainText
            objectName: "folderPickerTitle"
            Layout.fillWidth: true
            text: I18n.directed(picker.title)
            color: DS.text
            font.pixelSize: 16
            font.weight: Font.Bold
            elide: Text.ElideRight
            horizontalAlignment: Text.AlignLeft
        }

        // the way up, home, and the open folder as a path that can be typed
        RowLayout {
            Layout.fillWidth: true
            spacing: 8
            GhostButton {
                id: upButton
                objectName: "folderPickerUp"
                compact: true
                enabled: !listing.atRoot
                leftPadding: 8
                rightPadding: 8
                contentItem: Icon { symbol: "arrow.up"; size: 17 }
                Accessible.name: I18n.L("Pasta acima")
                HintTip { shown: upButton.hovered; text: I18n.L("Pasta acima") }
                onClicked: picker.goUp()
            }
            GhostButton {
                id: homeButton
                objectName: "folderPickerHome"
                compact: true
                enabled: !listing.atHome
                leftPadding: 8
                rightPadding: 8
                contentItem: Icon { symbol: "house"; size: 17 }
                Accessible.name: I18n.L("Pasta pessoal")
                HintTip { shown: homeButton.hovered; text: I18n.L("Pasta pessoal") }
                onClicked: {
                    listing.goHome()
                    folders.currentIndex = -1
                }
            }
            TextBox {
                id: pathField
                objectName: "folderPickerPath"
                Layout.fillWidth: true
                // a path reads left to right in every language
                LayoutMirroring.enabled: false
                topPadding: 7
                bottomPadding: 7
                font: DS.mono(12)
                Accessible.name: I18n.L("Caminho")
                onAccepted: {
                    if (listing.open(text)) {
                        folders.currentIndex = -1
                        folders.forceActiveFocus()
                    }
                }
                Keys.onEscapePressed: picker.close()
            }
        }

        Text {
            textFormat: Text.PlainText
            objectName: "folderPickerProblem"
            Layout.fillWidth: true
            visible: listing.problem !== ""
            text: I18n.directed(listing.problem)
            color: DS.warning
            font.pixelSize: 12
            elide: Text.ElideMiddle
            horizontalAlignment: Text.AlignLeft
        }

        // the folders inside the open one
        Rectangle {
            Layout.fillWidth: true
            Layout.fillHeight: true
            radius: 10
            color: Qt.rgba(1, 1, 1, 0.025)
            border.width: folders.activeFocus ? 1.5 : 1
            border.color: folders.activeFocus ? DS.withAlpha(DS.primary, 0.6) : DS.border

            ListView {
                id: folders
                objectName: "folderPickerList"
                anchors.fill: parent
                anchors.margins: 4
                clip: true
                model: listing
                currentIndex: -1
                keyNavigationEnabled: true
                activeFocusOnTab: true
                highlightMoveDuration: 0
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: ScrollBar {}
                Accessible.role: Accessible.List
                Accessible.name: picker.title
                highlight: Rectangle { radius: 7; color: DS.withAlpha(DS.primary, 0.22) }
                header: Item {
                    width: folders.width
                    height: 22
                    Text {
                        textFormat: Text.PlainText
                        anchors.right: parent.right
                        anchors.rightMargin: 12
                        anchors.verticalCenter: parent.verticalCenter
                        width: 116
                        text: I18n.L("Modificado em")
                        color: DS.muted
                        font.pixelSize: 11
                        elide: Text.ElideRight
                        horizontalAlignment: Text.AlignRight
                    }
                }
                Keys.onPressed: (event) => {
                    const forward = I18n.rightToLeft ? Qt.Key_Left : Qt.Key_Right
                    const backward = I18n.rightToLeft ? Qt.Key_Right : Qt.Key_Left
                    if ((event.key === Qt.Key_Return || event.key === Qt.Key_Enter)
                            && (event.modifiers & Qt.ControlModifier)) {
                        picker.choose()
                    } else if (event.key === Qt.Key_Return || event.key === Qt.Key_Enter || event.key === forward) {
                        picker.openHighlighted()
                    } else if (event.key === Qt.Key_Backspace || event.key === backward
                               || (event.key === Qt.Key_Up && (event.modifiers & Qt.AltModifier))) {
                        picker.goUp()
                    } else if (event.key === Qt.Key_Home) {
                        folders.currentIndex = Math.min(0, folders.count - 1)
                    } else if (event.key === Qt.Key_End) {
                        folders.currentIndex = folders.count - 1
                    } else if (event.text.length === 1 && event.text.trim() !== "" && !(event.modifiers & Qt.ControlModifier)) {
                        const row = listing.rowStartingWith(event.text, folders.currentIndex + 1)
                        if (row < 0)
                            return
                        folders.currentIndex = row
                    } else {
                        return
                    }
                    event.accepted = true
                }
                delegate: Item {
                    id: row
                    required property int index
                    required property string name
                    required property string path
                    required property var modified
                    width: folders.width
                    height: 34
                    Rectangle {
                        anchors.fill: parent
                        radius: 7
                        color: rowHover.hovered && folders.currentIndex !== row.index ? Qt.rgba(1, 1, 1, 0.04) : "transparent"
                    }
                    HoverHandler { id: rowHover }
                    TapHandler {
                        onTapped: {
                            folders.currentIndex = row.index
                            folders.forceActiveFocus()
                        }
                        onDoubleTapped: {
                            folders.currentIndex = row.index
                            picker.openHighlighted()
                        }
                    }
                    RowLayout {
                        anchors.fill: parent
                        anchors.leftMargin: 10
                        anchors.rightMargin: 12
                        spacing: 10
                        Icon { symbol: "folder"; size: 17; color: DS.primary }
                        Text {
                            textFormat: Text.PlainText
                            objectName: "folderPickerName"
                            Layout.fillWidth: true
                            text: I18n.isolate(row.name)
                            color: DS.text
                            font.pixelSize: 13
                            elide: Text.ElideMiddle
                            horizontalAlignment: Text.AlignLeft
                        }
                        Text {
                            textFormat: Text.PlainText
                            Layout.preferredWidth: 116
                            text: Fmt.date(row.modified)
                            color: DS.muted
                            font: DS.figureFont(text, 11)
                            elide: Text.ElideRight
                            horizontalAlignment: Text.AlignRight
                        }
                    }
                }
                Text {
                    textFormat: Text.PlainText
                    objectName: "folderPickerEmpty"
                    anchors.centerIn: parent
                    width: parent.width - 40
                    visible: folders.count === 0
                    text: I18n.L("Esta pasta não tem subpastas.")
                    color: DS.muted
                    font.pixelSize: 13
                    wrapMode: Text.Wrap
                    horizontalAlignment: Text.AlignHCenter
                }
            }
        }

        // what a press of Escolher takes, the hidden folders, and the two buttons
        RowLayout {
            Layout.fillWidth: true
            spacing: 10
            ThemedSwitch {
                objectName: "folderPickerHidden"
                text: I18n.L("Mostrar pastas ocultas")
                checked: listing.showHidden
                onToggled: {
                    listing.showHidden = checked
                    checked = Qt.binding(() => listing.showHidden)
                    folders.currentIndex = -1
                }
            }
            Text {
                textFormat: Text.PlainText
                objectName: "folderPickerChoice"
                Layout.fillWidth: true
                text: I18n.isolate(listing.shownPath(picker.choice))
                color: DS.muted
                font: DS.mono(11)
                elide: Text.ElideMiddle
                horizontalAlignment: Text.AlignRight
            }
            GhostButton {
                objectName: "folderPickerCancel"
                compact: true
                text: I18n.L("Cancelar")
                onClicked: picker.close()
            }
            PrimaryButton {
                objectName: "folderPickerChoose"
                compact: true
                text: I18n.L("Escolher")
                enabled: picker.choice !== ""
                onClicked: picker.choose()
            }
        }
    }
}
