import QtQuick
import QtQuick.Layouts
import Quillmoor

// The card before a scan has finished: what the scan looks at and the button
// that starts it; while it runs, the live figure, a rippling signal line and,
// when `stoppable`, a stop button.
Card {
    id: intro
    property string title
    property string detail
    property bool scanning: false
    property string live
    property string liveCaption
    property string button
    property bool stoppable: false
    signal action()
    signal stop()

    implicitHeight: 230

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 28
        spacing: 10

        RowLayout {
            spacing: 14
            BrandMark {
                size: 40
                RotationAnimator on rotation {
                    from: 0; to: 360; duration: 3200
                    loops: Animation.Infinite
                    running: intro.scanning
                }
            }
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 3
                Text {
                    textFormat: Text.PlainText
                    text: intro.title
                    color: DS.text
                    font.pixelSize: 17
                    font.weight: Font.DemiBold
                    Layout.fillWidth: true
                    horizontalAlignment: Text.AlignLeft
                }
                Text {
                    textFormat: Text.PlainText
                    text: intro.detail
                    color: DS.muted
                    font.pixelSize: 12
                    wrapMode: Text.WordWrap
                    Layout.fillWidth: true
                    horizontalAlignment: Text.AlignLeft
                }
            }
        }
        Item { Layout.fillHeight: true }
        RowLayout {
            Layout.fillWidth: true
            spacing: 16
            ColumnLayout {
                visible: intro.scanning
                spacing: 2
                Eyebrow { text: intro.liveCaption }
                Text {
                    textFormat: Text.PlainText
                    objectName: "scanIntroLive"
                    text: intro.live
                    color: DS.text
                    font: DS.mono(28, Font.DemiBold)
                }
            }
            SignalLine {
                Layout.fillWidth: true
                active: intro.scanning
            }
            GhostButton {
                visible: intro.scanning && intro.stoppable
                text: I18n.L("Parar")
                onClicked: intro.stop()
            }
            PrimaryButton {
                visible: !intro.scanning
                objectName: "scanIntroButton"
                text: intro.button
                onClicked: intro.action()
            }
        }
    }
}
