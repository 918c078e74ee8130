import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import QtQuick.Templates as T
import Quillmoor

// A confirmation drawn in the theme: a title, a message, "Cancelar" and the
// confirming button. Closing it any other way changes nothing.
Dialog {
    id: dialog
    property string heading
    property string message
    property string confirmText
    signal confirmed()

    modal: true
    anchors.centerIn: T.Overlay.overlay
    width: Math.min(460, (parent ? parent.width : 460) - 80)
    padding: 24
    closePolicy: Popup.CloseOnEscape

    T.Overlay.modal: Rectangle { color: Qt.rgba(0, 0, 0, 0.5) }
    background: Card {}
    header: Item {}
    contentItem: ColumnLayout {
        spacing: 10
        Text {
            textFormat: Text.PlainText
            objectName: "confirmHeading"
            text: dialog.heading
            color: DS.text
            font.pixelSize: 16
            font.weight: Font.Bold
            wrapMode: Text.Wrap
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignLeft
        }
        Text {
            textFormat: Text.PlainText
            objectName: "confirmMessage"
            text: dialog.message
            color: DS.muted
            font.pixelSize: 13
            wrapMode: Text.Wrap
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignLeft
        }
        RowLayout {
            Layout.alignment: Qt.AlignRight
            Layout.topMargin: 8
            spacing: 8
            GhostButton {
                text: I18n.L("Cancelar")
                compact: true
                onClicked: dialog.close()
            }
            PrimaryButton {
                id: confirmButton
                objectName: "confirmButton"
                text: dialog.confirmText
                compact: true
                // confirmed first, so the page still holds what was confirmed
                onClicked: {
                    dialog.confirmed()
                    dialog.close()
                }
            }
        }
    }
    onOpened: confirmButton.forceActiveFocus()
}
