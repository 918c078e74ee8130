import QtQuick
import QtQuick.Layouts
import Quillmoor

// The bar at the foot of a page: what is selected and how much, and the main
// action (dimmed and inert while `disabled`), with an optional second one.
// With `nothing` selected it says so in a sentence instead of a zero.
Card {
    id: bar
    objectName: "actionBar"
    property string caption
    property string value
    property bool nothing: false
    property string nothingText: I18n.L("Nada selecionado")
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
            objectName: "actionBarFigures"
            visible: !bar.nothing
            Layout.fillWidth: true
            Layout.minimumWidth: 0
            spacing: 2
            Eyebrow {
                Layout.fillWidth: true
                text: bar.caption
                elide: Text.ElideRight
                horizontalAlignment: Text.AlignLeft
            }
            Text {
                textFormat: Text.PlainText
                objectName: "actionBarValue"
                Layout.fillWidth: true
                text: bar.value
                color: DS.text
                font: DS.figureFont(bar.value, 18, Font.DemiBold)
                elide: Text.ElideRight
                horizontalAlignment: Text.AlignLeft
            }
        }
        Text {
            textFormat: Text.PlainText
            objectName: "actionBarNothing"
            visible: bar.nothing
            Layout.fillWidth: true
            text: bar.nothingText
            color: DS.muted
            font.pixelSize: 14
            font.weight: Font.DemiBold
            elide: Text.ElideRight
            horizontalAlignment: Text.AlignLeft
        }
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
