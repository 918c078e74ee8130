import QtQuick
import QtQuick.Layouts
import Quillmoor

// The bar at the foot of a page: what is selected and how much, and the main
// action (dimmed and inert while `disabled`), with an optional second one.
Card {
    id: bar
    property string caption
    property string value
    property string secondaryTitle: ""
    property string title
    property bool disabled: false
    property string hint: ""   // why the action is disabled, shown on hover
    signal secondary()
    signal action()

    implicitHeight: 68

    RowLayout {
        anchors.fill: parent
        anchors.leftMargin: 20
        anchors.rightMargin: 16
        spacing: 12
        ColumnLayout {
            spacing: 2
            Eyebrow { text: bar.caption }
            Text {
                textFormat: Text.PlainText
                text: bar.value
                color: DS.text
                font: DS.mono(18, Font.DemiBold)
            }
        }
        Item { Layout.fillWidth: true }
        GhostButton {
            visible: bar.secondaryTitle !== ""
            text: bar.secondaryTitle
            onClicked: bar.secondary()
        }
        PrimaryButton {
            objectName: "actionBarPrimary"
            text: bar.title
            enabled: !bar.disabled
            onClicked: bar.action()
            // a disabled button takes no hover: this area says why it is off
            MouseArea {
                id: hintArea
                anchors.fill: parent
                visible: bar.disabled && bar.hint !== ""
                hoverEnabled: true
                acceptedButtons: Qt.NoButton
                HintTip {
                    objectName: "actionBarHint"
                    text: bar.hint
                    shown: hintArea.containsMouse
                }
            }
        }
    }
}
