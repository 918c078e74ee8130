import QtQuick
import QtQuick.Layouts
import Quillmoor

// After a removal: a card over a bright sky that counts up what was freed.
// Stays until the user presses the button.
Item {
    id: view
    property real freed: 0
    property real trashed: 0
    property string removed: ""   // the application uninstalled, if any
    property var report: []       // one line per group: what it freed, what stayed
    signal dismiss()

    // the running figure: to `freed` when something was deleted, else to `trashed`
    property real counter: 0
    readonly property real target: freed > 0 ? freed : trashed
    // time since the card appeared, driving the spring
    property real springTime: 0
    property real fog: 1

    Rectangle { anchors.fill: parent; color: Qt.rgba(0.02, 0.02, 0.05, 0.82) }
    Starfield { anchors.fill: parent; brightness: 1.6 }
    Rectangle {
        // the fog behind the card, clearing away
        anchors.fill: parent
        opacity: view.fog
        gradient: Gradient {
            GradientStop { position: 0; color: DS.withAlpha(DS.primaryDeep, 0.55) }
            GradientStop { position: 0.5; color: DS.withAlpha(DS.glow, 0.35) }
            GradientStop { position: 1; color: DS.withAlpha(DS.primaryDeep, 0.55) }
        }
    }
    MouseArea { anchors.fill: parent; hoverEnabled: true }

    Card {
        id: card
        anchors.centerIn: parent
        width: 380
        height: column.implicitHeight + 56
        scale: 0.4 + 0.6 * Motion.spring(view.springTime, 0.55, 0.7)

        ColumnLayout {
            id: column
            anchors.fill: parent
            anchors.margins: 28
            spacing: 8

            Rectangle {
                Layout.alignment: Qt.AlignHCenter
                width: 54
                height: 54
                radius: 27
                color: DS.withAlpha(DS.success, 0.16)
                border.width: 1
                border.color: DS.withAlpha(DS.success, 0.5)
                Icon { anchors.centerIn: parent; symbol: "checkmark"; size: 30; color: DS.success }
            }
            Eyebrow {
                Layout.alignment: Qt.AlignHCenter
                Layout.topMargin: 6
                text: I18n.L("Limpeza concluída")
                color: DS.primary
            }
            Row {
                Layout.alignment: Qt.AlignHCenter
                spacing: 7
                Text {
                    text: I18n.L("Pronto.")
                    color: DS.text
                    font.pixelSize: 24
                    font.weight: Font.Bold
                }
                Text {
                    text: I18n.L("Céu limpo.")
                    color: DS.primary
                    font.pixelSize: 24
                    font.weight: Font.Bold
                }
            }
            Text {
                textFormat: Text.PlainText
                objectName: "celebrationRemoved"
                Layout.fillWidth: true
                Layout.maximumWidth: 320
                Layout.alignment: Qt.AlignHCenter
                visible: view.removed !== ""
                text: I18n.LF("“%@” foi desinstalado.", [view.removed])
                color: DS.text
                font.pixelSize: 15
                wrapMode: Text.WordWrap
                horizontalAlignment: Text.AlignHCenter
            }
            Text {
                textFormat: Text.PlainText
                objectName: "celebrationAmount"
                Layout.alignment: Qt.AlignHCenter
                visible: view.target > 0
                text: view.freed > 0 ? I18n.LF("%@ liberados", [Fmt.bytes(Math.floor(view.counter))])
                                     : I18n.LF("%@ na Lixeira", [Fmt.bytes(Math.floor(view.counter))])
                color: DS.text
                font: DS.mono(20, Font.DemiBold)
            }
            Text {
                textFormat: Text.PlainText
                Layout.fillWidth: true
                Layout.maximumWidth: 320
                Layout.alignment: Qt.AlignHCenter
                visible: view.trashed > 0
                text: view.freed <= 0 ? I18n.L("Esvazie a Lixeira para liberar esse espaço no disco.")
                                      : I18n.LF("+ %@ na Lixeira. Esvazie a Lixeira para liberar esse espaço.", [Fmt.bytes(view.trashed)])
                color: DS.muted
                font.pixelSize: 12
                wrapMode: Text.WordWrap
                horizontalAlignment: Text.AlignHCenter
            }
            // what each group came to
            Rectangle {
                Layout.fillWidth: true
                Layout.topMargin: 6
                visible: view.report.length > 0
                implicitHeight: 1
                color: DS.withAlpha(DS.text, 0.12)
            }
            Repeater {
                model: view.report
                Text {
                    required property string modelData
                    objectName: "celebrationReportLine"
                    textFormat: Text.PlainText
                    Layout.fillWidth: true
                    Layout.maximumWidth: 324
                    text: modelData
                    color: DS.muted
                    font.pixelSize: 12
                    wrapMode: Text.Wrap
                    horizontalAlignment: Text.AlignLeft
                }
            }
            PrimaryButton {
                id: done
                Layout.alignment: Qt.AlignHCenter
                Layout.topMargin: 10
                text: I18n.L("Concluir")
                focus: true
                onClicked: view.dismiss()
            }
        }
    }

    Component.onCompleted: {
        done.forceActiveFocus()
        appear.start()
    }
    ParallelAnimation {
        id: appear
        NumberAnimation { target: view; property: "springTime"; from: 0; to: 2.0; duration: 2000 }
        SequentialAnimation {
            PauseAnimation { duration: 200 }
            NumberAnimation { target: view; property: "counter"; from: 0; to: view.target; duration: 1600; easing.type: Easing.OutCubic }
        }
        SequentialAnimation {
            PauseAnimation { duration: 300 }
            NumberAnimation { target: view; property: "fog"; from: 1; to: 0; duration: 2800; easing.type: Easing.InOutQuad }
        }
    }
}
