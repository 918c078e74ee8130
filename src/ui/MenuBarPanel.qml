import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillmoor

// The tray panel's content: the sky verdict, the dial of disk, memory and
// processor, four quick actions, the telemetry rows (network, Trash, power,
// external volumes) and the footer. Its monitor samples only while `shown`.
Item {
    id: panel
    objectName: "menuBarPanel"
    property bool shown: false
    signal openMain(string section)
    signal openSettings()
    signal dismiss()

    readonly property color cpuColor: "#C56CF0"
    readonly property color diskColor: mon.diskLow ? DS.warning : DS.primary
    readonly property color memColor: mon.memoryHigh ? DS.warning : "#3BA7E0"

    implicitWidth: 320
    implicitHeight: column.implicitHeight + 32

    SystemMonitor { id: mon; objectName: "panelMonitor" }
    PanelSky { id: sky; objectName: "panelSky"; monitor: mon; removals: RemovalState }
    PanelMemory {
        id: memory
        objectName: "panelMemory"
        monitor: mon
        shell: ShellState
        maintenance: MaintenanceState
    }
    SpeedTest { id: speedTest; objectName: "speedTest" }
    TrashEmptying {
        id: trashEmptying
        objectName: "trashEmptying"
        monitor: mon
        shell: ShellState
        removals: RemovalState
    }
    VolumeEject { id: volumeEject; objectName: "volumeEject"; monitor: mon; shell: ShellState }

    onShownChanged: {
        if (shown) {
            sky.readLastClean()
            mon.start()
        } else {
            mon.stop()
        }
    }
    Component.onDestruction: mon.stop()

    function runScan() {
        ShellState.section = "overview"
        panel.openMain("")
        JunkState.rescanJunk()
    }

    // one line of the dial's legend: a coloured dot, the title and value, a sub-line
    component LegendLine: RowLayout {
        id: line
        property color dot
        property string title
        property string value
        property string sub
        Layout.fillWidth: true
        spacing: 8
        Rectangle {
            Layout.alignment: Qt.AlignTop
            Layout.topMargin: 4
            implicitWidth: 8
            implicitHeight: 8
            radius: 4
            color: line.dot
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 0
            RowLayout {
                Layout.fillWidth: true
                Text {
                    textFormat: Text.PlainText
                    Layout.fillWidth: true
                    text: line.title
                    color: DS.text
                    font.pixelSize: 12
                    font.weight: Font.DemiBold
                    elide: Text.ElideRight
                    horizontalAlignment: Text.AlignLeft
                }
                Text {
                    textFormat: Text.PlainText
                    text: line.value
                    color: DS.text
                    font: DS.mono(12, Font.DemiBold)
                }
            }
            Text {
                textFormat: Text.PlainText
                Layout.fillWidth: true
                text: line.sub
                color: DS.muted
                font.pixelSize: 10
                elide: Text.ElideRight
                horizontalAlignment: Text.AlignLeft
            }
        }
    }

    Rectangle { anchors.fill: parent; color: DS.bg }
    Nebula { anchors.fill: parent; density: sky.cloudiness * 0.85 + 0.15 }
    Starfield { anchors.fill: parent; brightness: 0.8 }

    ColumnLayout {
        id: column
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: 16
        spacing: 12

        // the sky verdict and the machine family
        RowLayout {
            Layout.fillWidth: true
            spacing: 10
            BrandMark { size: 26 }
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 1
                Text {
                    textFormat: Text.PlainText
                    objectName: "skyTitle"
                    Layout.fillWidth: true
                    text: sky.title
                    color: DS.text
                    font.pixelSize: 14
                    font.weight: Font.Bold
                    elide: Text.ElideRight
                    horizontalAlignment: Text.AlignLeft
                }
                Text {
                    textFormat: Text.PlainText
                    Layout.fillWidth: true
                    text: sky.text
                    color: DS.muted
                    font.pixelSize: 11
                    elide: Text.ElideRight
                    horizontalAlignment: Text.AlignLeft
                }
            }
            Text {
                textFormat: Text.PlainText
                text: I18n.isolate(mon.model)
                color: DS.muted
                font: DS.figureFont(mon.model, 11)
            }
        }

        // the dial and its legend
        RowLayout {
            Layout.fillWidth: true
            spacing: 14
            OrbitDial {
                objectName: "orbitDial"
                implicitWidth: 112
                implicitHeight: 112
                bodies: [
                    { fraction: 1 - mon.diskFreeFraction, color: panel.diskColor },
                    { fraction: mon.memFraction, color: panel.memColor },
                    { fraction: mon.cpu, color: panel.cpuColor }
                ]
            }
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 7
                LegendLine {
                    dot: panel.diskColor
                    title: I18n.L("Disco")
                    value: Fmt.bytes(mon.diskFree)
                    sub: I18n.L("livres")
                }
                LegendLine {
                    dot: panel.memColor
                    title: I18n.L("Memória")
                    value: Fmt.percent(mon.memFraction)
                    sub: Fmt.bytes(mon.memUsed)
                }
                LegendLine {
                    dot: panel.cpuColor
                    title: I18n.L("Processador")
                    value: Fmt.percent(mon.cpu)
                    sub: I18n.L("carga média agora")
                }
            }
        }

        // the quick actions
        RowLayout {
            Layout.fillWidth: true
            spacing: 6
            PillAction {
                objectName: "pillScan"
                Layout.fillWidth: true
                Layout.preferredWidth: 1
                symbol: "sparkles"
                title: I18n.L("Limpar Mac")
                hint: I18n.L("Procura lixo e arquivos desnecessários para apagar.")
                onClicked: panel.runScan()
            }
            PillAction {
                objectName: "pillMemory"
                Layout.fillWidth: true
                Layout.preferredWidth: 1
                symbol: "memorychip"
                title: I18n.L("Liberar memória")
                hint: I18n.L("Esvazia a memória RAM que os apps deixaram ocupada.")
                busy: memory.freeing
                onClicked: memory.freeRAM()
            }
            PillAction {
                objectName: "pillSpeed"
                Layout.fillWidth: true
                Layout.preferredWidth: 1
                symbol: "wifi"
                title: I18n.L("Testar internet")
                // where no speed-test tool is installed, the hint says which to install
                available: speedTest.available
                hint: speedTest.available ? I18n.L("Mede a velocidade de download e upload da sua conexão.")
                                             : I18n.L("Instale o speedtest-cli para medir a velocidade da conexão.")
                busy: speedTest.testing
                onClicked: if (speedTest.available) speedTest.test()
            }
            PillAction {
                objectName: "pillMap"
                Layout.fillWidth: true
                Layout.preferredWidth: 1
                symbol: "circle.hexagongrid"
                title: I18n.L("Mapa do disco")
                hint: I18n.L("Mostra o que está ocupando espaço no disco.")
                onClicked: panel.openMain("orbitMap")
            }
        }

        Rectangle { Layout.fillWidth: true; height: 1; color: DS.border }

        // the telemetry rows
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 2
            TelemetryRow {
                objectName: "networkRow"
                Layout.fillWidth: true
                symbol: "wifi"
                title: mon.wifi !== "" ? mon.wifi : I18n.L("Rede")
                detail: I18n.isolate(speedTest.speed !== "" ? speedTest.speed
                                     : "↑ " + mon.rate(mon.up) + "   ↓ " + mon.rate(mon.down))
                Sparkline {
                    width: 64
                    height: 22
                    values: mon.netHistory
                    color: DS.primary
                }
            }
            TelemetryRow {
                objectName: "trashRow"
                Layout.fillWidth: true
                symbol: mon.trashKnown && mon.trashSize > 0 ? "trash.fill" : "trash"
                title: I18n.L("Lixeira")
                detail: !mon.trashKnown ? "…" : mon.trashSize > 0 ? I18n.isolate(Fmt.bytes(mon.trashSize)) : I18n.L("Vazia")
                GhostButton {
                    objectName: "emptyTrashButton"
                    visible: mon.trashKnown && mon.trashSize > 0
                    compact: true
                    text: I18n.L("Esvaziar")
                    onClicked: {
                        trashEmptying.makePlan()
                        confirmEmpty.open()
                    }
                }
            }
            TelemetryRow {
                objectName: "powerRow"
                Layout.fillWidth: true
                symbol: mon.batterySymbol
                title: I18n.L("Energia")
                detail: mon.batteryStatus
                Text {
                    textFormat: Text.PlainText
                    visible: mon.hasBattery
                    text: Fmt.number(mon.batteryLevel) + "%"
                    color: DS.text
                    font: DS.mono(12, Font.DemiBold)
                }
            }
            Repeater {
                model: mon.volumes
                TelemetryRow {
                    id: volumeRow
                    // the eject runs in the background; the row shows it meanwhile
                    readonly property bool ejecting: volumeEject.ejecting.indexOf(modelData.path) >= 0
                    objectName: "volumeRow"
                    Layout.fillWidth: true
                    symbol: "externaldrive"
                    title: I18n.isolate(modelData.name)
                    detail: ejecting ? I18n.L("Ejetando…") : I18n.isolate(Fmt.bytes(modelData.free)) + " " + I18n.L("livres")
                    BusyIndicator {
                        visible: volumeRow.ejecting
                        running: visible
                        width: 28
                        height: 28
                    }
                    ToolButton {
                        id: ejectButton
                        objectName: "ejectButton"
                        // network shares and other mounts without a UDisks2 device cannot be ejected
                        visible: modelData.ejectable && !volumeRow.ejecting
                        width: 28
                        height: 28
                        contentItem: Icon { symbol: "eject.fill"; size: 16; color: DS.muted }
                        background: Rectangle {
                            radius: 8
                            color: ejectButton.hovered ? Qt.rgba(1, 1, 1, 0.07) : "transparent"
                            FocusRing { shown: ejectButton.visualFocus; around: parent.radius }
                        }
                        Keys.onReturnPressed: clicked()
                        Keys.onEnterPressed: clicked()
                        Accessible.name: I18n.LF("Ejetar %@", [modelData.name])
                        HintTip { shown: ejectButton.hovered; text: I18n.LF("Ejetar %@", [modelData.name]) }
                        onClicked: volumeEject.eject(modelData.path)
                    }
                }
            }
        }

        Rectangle { Layout.fillWidth: true; height: 1; color: DS.border }

        // the footer
        RowLayout {
            Layout.fillWidth: true
            SidebarButton {
                objectName: "openMainButton"
                Layout.preferredWidth: 170
                symbol: "arrow.up.right"
                label: I18n.L("Abrir Quillmoor")
                onActivated: panel.openMain("")
            }
            Item { Layout.fillWidth: true }
            ToolButton {
                id: moreButton
                objectName: "panelMenuButton"
                width: 30
                height: 30
                Accessible.name: I18n.L("Ajustes…")
                contentItem: Icon { symbol: "ellipsis.circle"; size: 20; color: DS.muted }
                background: Rectangle {
                    radius: 8
                    color: moreButton.hovered ? Qt.rgba(1, 1, 1, 0.07) : "transparent"
                    FocusRing { shown: moreButton.visualFocus; around: parent.radius }
                }
                Keys.onReturnPressed: clicked()
                Keys.onEnterPressed: clicked()
                onClicked: footerMenu.open()
                Menu {
                    id: footerMenu
                    objectName: "panelMenu"
                    y: -implicitHeight - 4
                    x: moreButton.width - width
                    background: Rectangle {
                        implicitWidth: 220
                        radius: 10
                        color: DS.elevated
                        border.color: DS.border
                    }
                    delegate: MenuItem {
                        id: menuItem
                        contentItem: Text {
                            textFormat: Text.PlainText
                            leftPadding: menuItem.checkable ? menuItem.indicator.width + 4 : 0
                            text: menuItem.text
                            color: DS.text
                            font.pixelSize: 12
                            horizontalAlignment: Text.AlignLeft
                            verticalAlignment: Text.AlignVCenter
                        }
                        background: Rectangle {
                            radius: 6
                            color: menuItem.highlighted ? DS.withAlpha(DS.primary, 0.2) : "transparent"
                        }
                    }
                    Action {
                        text: I18n.L("Abrir ao iniciar sessão")
                        checkable: true
                        // the login item the startup page and the settings show
                        checked: StartupState.launchAtLogin
                        onTriggered: {
                            const error = StartupState.setLaunchAtLogin(checked)
                            if (error !== "")
                                ShellState.message = I18n.LF("Não foi possível alterar: %@", [error])
                            checked = Qt.binding(() => StartupState.launchAtLogin)  // back to the stored state
                        }
                    }
                    Action {
                        text: I18n.L("Ajustes…")
                        onTriggered: panel.openSettings()
                    }
                    MenuSeparator {
                        contentItem: Rectangle { implicitHeight: 1; color: DS.border }
                    }
                    Action {
                        text: I18n.L("Sair do Quillmoor")
                        onTriggered: Qt.quit()
                    }
                }
            }
        }
    }

    ConfirmDialog {
        id: confirmEmpty
        objectName: "emptyTrashConfirm"
        width: panel.width - 32
        heading: I18n.L("Esvaziar a Lixeira?")
        plan: trashEmptying.plan
        confirmText: I18n.L("Esvaziar")
        onConfirmed: trashEmptying.empty()
        onClosed: trashEmptying.closePlan()
    }

    Shortcut { sequences: ["Esc"]; enabled: !confirmEmpty.visible && !footerMenu.visible; onActivated: panel.dismiss() }
}
