import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Templates as T
import QtQuick.Layouts
import Quillmoor

// The shell's one-line message as an alert titled "Quillmoor" with one
// button; dismissing it clears the message.
Dialog {
    id: alert
    modal: true
    anchors.centerIn: T.Overlay.overlay
    width: Math.min(440, (parent ? parent.width : 440) - 80)
    padding: 24
    closePolicy: Popup.CloseOnEscape
    visible: ShellState.message !== ""
    onClosed: ShellState.dismissMessage()

    T.Overlay.modal: Rectangle { color: Qt.rgba(0, 0, 0, 0.5) }
    background: Card {}
    header: Item {}
    contentItem: ColumnLayout {
        spacing: 10
        Text {
            textFormat: Text.PlainText
            text: "Quillmoor"
            color: DS.text
            font.pixelSize: 16
            font.weight: Font.Bold
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignLeft
        }
        Text {
            textFormat: Text.PlainText
            objectName: "messageText"
            text: I18n.directed(ShellState.message)
            color: DS.muted
            font.pixelSize: 13
            wrapMode: Text.Wrap
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignLeft
        }
        PrimaryButton {
            id: ok
            text: "OK"
            compact: true
            focus: true
            Layout.alignment: Qt.AlignRight
            Layout.topMargin: 8
            onClicked: alert.close()
        }
    }
    onOpened: ok.forceActiveFocus()
}
