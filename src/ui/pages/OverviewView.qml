import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillmoor

// The first page: the header, the Full Disk Access banner, the live gauges of
// its own monitor, the system scan with its cleanup confirmation, and the
// shortcuts to three other sections. The monitor samples only while the page
// is shown.
Item {
    id: page
    objectName: "overviewView"

    SystemMonitor { id: mon; objectName: "overviewMonitor" }

    function shown() {
        mon.start()
        ShellState.refreshFda()
        UninstallerState.pageShown()
        StartupState.pageShown()
    }
    Component.onCompleted: if (visible) shown()
    Component.onDestruction: mon.stop()
    onVisibleChanged: visible ? shown() : mon.stop()

    KeepFocusInView { flickable: scroll.contentItem }
    ScrollView {
        id: scroll
        anchors.fill: parent
        contentWidth: availableWidth
        ColumnLayout {
            width: parent.width
            spacing: 18
            PageHeader {
                Layout.fillWidth: true
                Layout.margins: 32
                Layout.bottomMargin: 0
                eyebrow: I18n.L("Seu Mac agora")
                l1: I18n.L("Tudo sob controle,")
                l2: I18n.L("em tempo real.")
                sub: I18n.L("Disco, memória e processador ao vivo, e uma varredura que encontra o que dá para limpar com segurança.")
            }
            FDABanner {
                Layout.fillWidth: true
                Layout.leftMargin: 32
                Layout.rightMargin: 32
            }
            RowLayout {
                Layout.fillWidth: true
                Layout.leftMargin: 32
                Layout.rightMargin: 32
                spacing: 14
                GaugeCard {
                    objectName: "diskGauge"
                    Layout.fillWidth: true
                    Layout.preferredWidth: 1
                    delay: 50
                    title: I18n.L("Disco")
                    symbol: "internaldrive"
                    value: Fmt.bytes(mon.diskFree)
                    sub: I18n.LF("livres de %@", [Fmt.bytes(mon.diskTotal)])
                    ColumnLayout {
                        anchors.left: parent.left
                        anchors.right: parent.right
                        anchors.bottom: parent.bottom
                        spacing: 6
                        MeterBar {
                            Layout.fillWidth: true
                            value: 1 - mon.diskFreeFraction
                            color: mon.diskLow ? DS.warning : DS.primary
                        }
                        Text {
                            textFormat: Text.PlainText
                            Layout.fillWidth: true
                            text: I18n.LF("%ld%% em uso", [Math.floor((1 - mon.diskFreeFraction) * 100)])
                            color: DS.muted
                            font: DS.figureFont(text, 11)
                            horizontalAlignment: Text.AlignLeft
                        }
                        // When the disk runs low: what container tools keep, as the last scan found it.
                        Text {
                            objectName: "largestStore"
                            textFormat: Text.PlainText
                            Layout.fillWidth: true
                            visible: mon.diskLow && JunkState.largestStore.title !== undefined
                            text: visible ? I18n.LF("O que mais ocupava na última varredura: %@ (%@).",
                                                    [I18n.isolate(JunkState.largestStore.title),
                                                     I18n.isolate(Fmt.bytes(JunkState.largestStore.total))]) : ""
                            color: DS.warning
                            font.pixelSize: 11
                            wrapMode: Text.Wrap
                            horizontalAlignment: Text.AlignLeft
                        }
                    }
                }
                GaugeCard {
                    objectName: "memoryGauge"
                    Layout.fillWidth: true
                    Layout.preferredWidth: 1
                    delay: 100
                    title: I18n.L("Memória")
                    symbol: "memorychip"
                    value: Fmt.percent(mon.memFraction)
                    sub: I18n.LF("%@ de %@", [Fmt.bytes(mon.memUsed), Fmt.bytes(mon.memTotal)])
                    Sparkline {
                        anchors.fill: parent
                        values: mon.memHistory
                        maximum: 1
                        color: DS.primary
                    }
                }
                GaugeCard {
                    objectName: "cpuGauge"
                    Layout.fillWidth: true
                    Layout.preferredWidth: 1
                    delay: 150
                    title: I18n.L("Processador")
                    symbol: "cpu"
                    value: Fmt.percent(mon.cpu)
                    sub: I18n.L("carga média agora")
                    Sparkline {
                        anchors.fill: parent
                        values: mon.cpuHistory
                        maximum: 1
                        color: DS.glow
                    }
                }
            }
            ScanPanel {
                objectName: "scanPanel"
                Layout.fillWidth: true
                Layout.leftMargin: 32
                Layout.rightMargin: 32
                onReview: ShellState.section = "junk"
                onClean: {
                    JunkState.planClean()
                    confirm.open()
                }
            }
            RowLayout {
                Layout.fillWidth: true
                Layout.leftMargin: 32
                Layout.rightMargin: 32
                Layout.bottomMargin: 32
                spacing: 14
                ShortcutCard {
                    objectName: "appsShortcut"
                    Layout.fillWidth: true
                    Layout.preferredWidth: 1
                    symbol: "app.badge"
                    title: I18n.L("Apps")
                    value: UninstallerState.appCount
                    sub: I18n.LP(UninstallerState.appCount, "instalados", [])
                    onActivated: ShellState.section = "uninstaller"
                }
                ShortcutCard {
                    objectName: "largeShortcut"
                    Layout.fillWidth: true
                    Layout.preferredWidth: 1
                    symbol: "doc.on.doc"
                    title: I18n.L("Arquivos grandes")
                    value: LargeState.largeScanned ? LargeState.largeCount : "—"
                    sub: LargeState.largeScanned ? I18n.LP(LargeState.largeCount, "encontrados", []) : I18n.L("não analisado")
                    onActivated: ShellState.section = "large"
                }
                ShortcutCard {
                    objectName: "startupShortcut"
                    Layout.fillWidth: true
                    Layout.preferredWidth: 1
                    symbol: "power"
                    title: I18n.L("Inicialização")
                    value: StartupState.agentCount
                    sub: I18n.LP(StartupState.agentCount, "itens em segundo plano", [])
                    onActivated: ShellState.section = "startup"
                }
            }
        }
    }

    ConfirmDialog {
        id: confirm
        objectName: "overviewConfirm"
        plan: JunkState.cleanPlan
        confirmText: I18n.L("Limpar")
        onConfirmed: JunkState.cleanJunk()
        onClosed: JunkState.closePlan()
    }
}
