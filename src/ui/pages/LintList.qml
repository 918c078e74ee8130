import QtQuick
import QtQuick.Layouts
import Quillmoor

// The empty folders and broken links of the duplicates page: each with its
// tick, its kind ("Empty folder", with how many folders an empty tree holds,
// or "Broken link" with where it pointed), where it is, and the note of an
// item a removal left or that starts unticked.
ListView {
    id: list
    objectName: "lintList"
    KeepFocusInView { flickable: list }
    clip: true
    model: LintState.lintModel
    boundsBehavior: Flickable.StopAtBounds

    delegate: Item {
        id: row
        readonly property bool folder: model.kind === "folder"
        width: list.width
        height: 52

        RowLayout {
            anchors.fill: parent
            anchors.leftMargin: 12
            anchors.rightMargin: 10
            spacing: 12
            CheckBox {
                objectName: "lintCheck-" + model.rowId
                on: model.selected
                Accessible.name: model.name
                onToggled: LintState.toggleLint(model.rowId)
            }
            Icon { symbol: row.folder ? "folder" : "link"; size: 20; color: row.folder ? DS.primary : DS.warning }
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 1
                RowLayout {
                    Layout.fillWidth: true
                    spacing: 8
                    Text {
                        textFormat: Text.PlainText
                        Layout.fillWidth: true
                        // whole pixels: a width a fraction short would elide the name
                        Layout.maximumWidth: Math.ceil(implicitWidth)
                        text: I18n.isolate(model.name)
                        color: DS.text
                        font.pixelSize: 13
                        elide: Text.ElideMiddle
                        horizontalAlignment: Text.AlignLeft
                    }
                    Chip {
                        objectName: "lintKind"
                        text: row.folder ? I18n.L("Pasta vazia") : I18n.L("Link quebrado")
                        tint: row.folder ? DS.primary : DS.warning
                    }
                    Text {
                        textFormat: Text.PlainText
                        objectName: "lintFolders"
                        visible: row.folder && model.folders > 1
                        text: I18n.LP(model.folders, "%ld pastas", [model.folders])
                        color: DS.muted
                        font.pixelSize: 11
                    }
                    Item { Layout.fillWidth: true }
                }
                Text {
                    textFormat: Text.PlainText
                    Layout.fillWidth: true
                    // a link: where it pointed; a folder: where it is
                    text: row.folder ? I18n.isolate(model.folder)
                                     : I18n.isolate(model.folder) + "  ·  " + I18n.LF("Apontava para %@", [I18n.isolate(model.target)])
                    color: DS.muted
                    font.pixelSize: 11
                    elide: Text.ElideMiddle
                    horizontalAlignment: Text.AlignLeft
                }
            }
            Text {
                textFormat: Text.PlainText
                objectName: "lintNote"
                visible: text !== ""
                Layout.maximumWidth: 250
                text: I18n.directed(model.note)
                color: DS.warning
                font.pixelSize: 11
                wrapMode: Text.Wrap
                maximumLineCount: 2
                elide: Text.ElideRight
            }
            RevealButton { path: model.path }
        }
        Rectangle {
            anchors.bottom: parent.bottom
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.leftMargin: 12
            anchors.rightMargin: 12
            height: 1
            color: DS.border
            visible: index < list.count - 1
        }
    }
}
