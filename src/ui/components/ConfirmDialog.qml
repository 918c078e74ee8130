import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import QtQuick.Templates as T
import Quillmoor

// A confirmation drawn in the theme: a title, a message, "Cancelar" and the
// confirming button. Closing it any other way changes nothing. Given a
// removal's plan (a state's planMap), it shows the plan's heading and lines
// and, one click away, the plan's list of items with each one's fate.
Dialog {
    id: dialog
    property var plan: null
    // the plan has been made (a plan made in the background is an empty map until then)
    readonly property bool planned: !!plan && plan.count !== undefined
    property string heading: planned ? plan.heading : ""
    property string message: planned ? plan.lines.join("\n") : ""
    property string confirmText
    property bool listShown: false
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
        // a popup lives in the window's overlay, outside the page's mirroring
        LayoutMirroring.enabled: I18n.rightToLeft
        LayoutMirroring.childrenInherit: true
        spacing: 10
        Text {
            textFormat: Text.PlainText
            objectName: "confirmHeading"
            text: I18n.directed(dialog.heading)
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
            text: I18n.directed(dialog.message)
            color: DS.muted
            font.pixelSize: 13
            wrapMode: Text.Wrap
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignLeft
        }
        Text {
            textFormat: Text.PlainText
            objectName: "confirmRefusal"
            visible: dialog.planned && dialog.plan.refusal !== ""
            text: dialog.planned ? dialog.plan.refusal : ""
            color: DS.warning
            font.pixelSize: 13
            wrapMode: Text.Wrap
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignLeft
        }
        GhostButton {
            objectName: "confirmListToggle"
            visible: dialog.planned && dialog.plan.count > 0
            compact: true
            text: dialog.listShown ? I18n.L("Ocultar a lista")
                                   : I18n.L("Ver a lista") + " (" + (dialog.planned ? I18n.items(dialog.plan.count) : "") + ")"
            onClicked: dialog.listShown = !dialog.listShown
        }
        ListView {
            id: planList
            objectName: "confirmList"
            visible: dialog.listShown && dialog.planned
            Layout.fillWidth: true
            Layout.preferredHeight: Math.min(contentHeight, 220)
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            model: dialog.listShown && dialog.planned ? dialog.plan.rows : []
            delegate: RowLayout {
                required property var modelData
                width: planList.width
                spacing: 8
                Text {
                    textFormat: Text.PlainText
                    text: I18n.isolate(modelData.label)
                    color: DS.text
                    font.pixelSize: 12
                    elide: Text.ElideMiddle
                    Layout.fillWidth: true
                    horizontalAlignment: Text.AlignLeft
                }
                Text {
                    textFormat: Text.PlainText
                    text: modelData.fate + (modelData.admin ? " " + I18n.L("[administrador]") : "")
                    color: DS.muted
                    font.pixelSize: 11
                }
                Text {
                    textFormat: Text.PlainText
                    text: modelData.size
                    color: DS.muted
                    font: DS.mono(11)
                }
            }
            footer: Text {
                textFormat: Text.PlainText
                visible: dialog.planned && dialog.plan.more > 0
                height: visible ? implicitHeight + 4 : 0
                text: dialog.planned && dialog.plan.more > 0 ? I18n.LP(dialog.plan.more, "e mais %ld itens", [dialog.plan.more]) : ""
                color: DS.muted
                font.pixelSize: 11
            }
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
                enabled: !dialog.plan || (dialog.planned && dialog.plan.refusal === "" && dialog.plan.count > 0)
                // confirmed first, so the page still holds what was confirmed
                onClicked: {
                    dialog.confirmed()
                    dialog.close()
                }
            }
        }
    }
    onOpened: confirmButton.forceActiveFocus()
    onClosed: listShown = false
}
