import QtQuick
import QtQuick.Layouts
import Quillmoor

// The system scan on the overview: its state in a line, three steps, and a
// body that is idle, scanning (the live figure) or scanned (the largest groups,
// the recoverable total, review and clean).
Card {
    id: panel
    signal review()
    signal clean()

    implicitHeight: 330
    clip: true

    Nebula {
        anchors.fill: parent
        density: panel.density
    }
    property real density: ShellState.nebulaDensity
    Behavior on density { NumberAnimation { duration: 2500; easing.type: Easing.InOutQuad } }

    // the figure that counts up as each rule reports
    property real shownLive: JunkState.junkLive
    Behavior on shownLive { NumberAnimation { duration: 500; easing.type: Easing.OutQuad } }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 24
        spacing: 14

        RowLayout {
            Layout.fillWidth: true
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 3
                Text {
                    text: I18n.L("Varredura do sistema")
                    color: DS.text
                    font.pixelSize: 17
                    font.weight: Font.DemiBold
                    horizontalAlignment: Text.AlignLeft
                    Layout.fillWidth: true
                }
                Text {
                    textFormat: Text.PlainText
                    objectName: "scanPanelStatus"
                    Layout.fillWidth: true
                    text: JunkState.junkScanning ? I18n.LF("Verificando: %@", [JunkState.junkCurrent])
                        : JunkState.junkAllCleaned ? I18n.L("Limpeza concluída: tudo o que estava marcado foi limpo.")
                        : JunkState.junkScanned ? I18n.L("Pronto para limpar. Revise ou limpe tudo de uma vez.")
                        : I18n.L("Caches, logs, restos de desenvolvimento, mídia e Lixeira.")
                    color: DS.muted
                    font.pixelSize: 12
                    elide: Text.ElideRight
                    horizontalAlignment: Text.AlignLeft
                }
            }
            GhostButton {
                visible: JunkState.junkScanned && !JunkState.junkScanning
                text: I18n.L("Varrer de novo")
                compact: true
                onClicked: JunkState.rescanJunk()
            }
        }

        StepIndicator {
            labels: [I18n.L("Analisar"), I18n.L("Revisar"), I18n.L("Limpar")]
            current: JunkState.junkScanned && !JunkState.junkScanning ? 2 : 0
        }

        // the body
        Item {
            Layout.fillWidth: true
            Layout.fillHeight: true

            // scanning
            RowLayout {
                anchors.fill: parent
                visible: JunkState.junkScanning
                spacing: 24
                ColumnLayout {
                    spacing: 2
                    Eyebrow { text: I18n.L("ENCONTRADO") }
                    Text {
                        textFormat: Text.PlainText
                        objectName: "scanPanelLive"
                        text: Fmt.bytes(Math.round(panel.shownLive))
                        color: DS.text
                        font: DS.mono(34, Font.DemiBold)
                    }
                }
                SignalLine { Layout.fillWidth: true; active: true; height: 40 }
            }

            // scanned
            ColumnLayout {
                anchors.fill: parent
                visible: JunkState.junkScanned && !JunkState.junkScanning
                spacing: 14
                GridLayout {
                    Layout.fillWidth: true
                    columns: 4
                    columnSpacing: 10
                    Repeater {
                        model: JunkState.largestJunkGroups
                        Rectangle {
                            Layout.fillWidth: true
                            Layout.preferredWidth: 1
                            implicitHeight: 58
                            radius: 10
                            color: Qt.rgba(1, 1, 1, 0.04)
                            border.width: 1
                            border.color: DS.border
                            ColumnLayout {
                                anchors.fill: parent
                                anchors.margins: 10
                                spacing: 2
                                Text {
                                    textFormat: Text.PlainText
                                    Layout.fillWidth: true
                                    text: modelData.title
                                    color: DS.muted
                                    font.pixelSize: 11
                                    elide: Text.ElideRight
                                    horizontalAlignment: Text.AlignLeft
                                }
                                Text {
                                    textFormat: Text.PlainText
                                    text: Fmt.bytes(modelData.total)
                                    color: DS.text
                                    font: DS.mono(15, Font.DemiBold)
                                }
                            }
                        }
                    }
                }
                Item { Layout.fillHeight: true }
                RowLayout {
                    Layout.fillWidth: true
                    spacing: 10
                    ColumnLayout {
                        spacing: 2
                        Eyebrow { text: I18n.L("TOTAL RECUPERÁVEL") }
                        Text {
                            textFormat: Text.PlainText
                            objectName: "scanPanelRecoverable"
                            text: Fmt.bytes(JunkState.junkSelectedTotal)
                            color: DS.text
                            font: DS.mono(26, Font.DemiBold)
                        }
                        Text {
                            textFormat: Text.PlainText
                            objectName: "scanPanelUnticked"
                            visible: JunkState.junkUnselectedTotal > 0
                            text: I18n.LF("Mais %@ encontrados, mas não marcados", [Fmt.bytes(JunkState.junkUnselectedTotal)])
                            color: DS.muted
                            font.pixelSize: 11
                        }
                        IgnoredCount { count: JunkState.ignoredCount }
                    }
                    Item { Layout.fillWidth: true }
                    GhostButton {
                        text: I18n.L("Revisar")
                        onClicked: panel.review()
                    }
                    PrimaryButton {
                        objectName: "cleanNowButton"
                        text: I18n.L("Limpar agora")
                        enabled: JunkState.junkSelectedTotal > 0
                        onClicked: panel.clean()
                    }
                }
            }

            // idle
            RowLayout {
                anchors.fill: parent
                visible: !JunkState.junkScanning && !JunkState.junkScanned
                spacing: 24
                SignalLine { Layout.fillWidth: true; active: false; height: 40 }
                PrimaryButton {
                    objectName: "startScanButton"
                    text: I18n.L("Iniciar varredura")
                    onClicked: JunkState.scanJunk()
                }
            }
        }
    }
}
