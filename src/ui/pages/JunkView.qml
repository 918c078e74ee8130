import QtQuick
import QtQuick.Layouts
import Quillmoor

// The junk page: before a finished scan the introduction with its live
// counter; after it, one card per group, the action bar and the confirmation.
Item {
    id: page
    objectName: "junkView"

    // the figure that counts up as each rule reports
    property real shownLive: JunkState.junkLive
    Behavior on shownLive { NumberAnimation { duration: 500; easing.type: Easing.OutQuad } }

    Nebula {
        anchors.fill: parent
        density: page.density
        opacity: 0.55
    }
    property real density: ShellState.nebulaDensity
    Behavior on density { NumberAnimation { duration: 2500; easing.type: Easing.InOutQuad } }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 32
        anchors.bottomMargin: 24
        spacing: 18

        PageHeader {
            Layout.fillWidth: true
            eyebrow: I18n.L("Limpeza")
            l1: I18n.L("Recupere espaço,")
            l2: I18n.L("sem perder nada.")
            sub: I18n.L("O que se acumula com o uso, em grupos: cada um diz o que contém, e você escolhe o que sai.")
            GhostButton {
                visible: JunkState.junkScanned && !JunkState.junkScanning
                text: I18n.L("Varrer de novo")
                compact: true
                onClicked: JunkState.rescanJunk()
            }
        }

        IgnoredCount { Layout.fillWidth: true; count: JunkState.ignoredCount }

        FDABanner { Layout.fillWidth: true }

        ScanIntro {
            visible: !JunkState.junkScanned
            Layout.fillWidth: true
            title: I18n.L("Varredura de lixo")
            detail: I18n.L("Caches de apps e navegadores, logs, Xcode, npm/Gradle, cache de mídia da Adobe e do Spotify, instaladores e Lixeira.")
            scanning: JunkState.junkScanning
            live: Fmt.bytes(Math.round(page.shownLive))
            liveCaption: I18n.L("Encontrado")
            button: I18n.L("Iniciar varredura")
            onAction: JunkState.scanJunk()
        }
        Item { visible: !JunkState.junkScanned; Layout.fillHeight: true }

        ListView {
            id: groups
            objectName: "junkGroups"
            KeepFocusInView { flickable: groups }
            visible: JunkState.junkScanned
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            spacing: 10
            model: JunkState.junkGroupModel
            boundsBehavior: Flickable.StopAtBounds
            // while the package tools are still being asked what the system keeps
            footer: Item {
                width: groups.width
                height: JunkState.junkSystemPending ? pendingText.implicitHeight + 24 : 0
                Text {
                    id: pendingText
                    objectName: "junkSystemPending"
                    visible: JunkState.junkSystemPending
                    anchors.centerIn: parent
                    textFormat: Text.PlainText
                    text: I18n.L("Verificando o que o sistema guarda fora da pasta pessoal…")
                    color: DS.muted
                    font.pixelSize: 12
                }
            }
            // A scan that found nothing says so, and what can be done.
            ColumnLayout {
                objectName: "junkEmpty"
                parent: groups  // over the list itself, not inside its scrolled content
                visible: groups.count === 0 && !JunkState.junkScanning && !JunkState.junkSystemPending
                anchors.centerIn: parent
                width: Math.min(parent.width - 48, 480)
                spacing: 8
                Icon { Layout.alignment: Qt.AlignHCenter; symbol: "checkmark"; size: 30; color: DS.success }
                Text {
                    textFormat: Text.PlainText
                    Layout.fillWidth: true
                    text: I18n.L("Nada para limpar")
                    color: DS.text
                    font.pixelSize: 15
                    font.weight: Font.DemiBold
                    horizontalAlignment: Text.AlignHCenter
                }
                Text {
                    textFormat: Text.PlainText
                    Layout.fillWidth: true
                    text: I18n.L("A varredura não encontrou nada que possa ser removido agora. Varra de novo mais tarde.")
                    color: DS.muted
                    font.pixelSize: 12
                    wrapMode: Text.Wrap
                    horizontalAlignment: Text.AlignHCenter
                }
                GhostButton {
                    objectName: "junkEmptyScan"
                    Layout.alignment: Qt.AlignHCenter
                    Layout.topMargin: 6
                    compact: true
                    text: I18n.L("Varrer de novo")
                    onClicked: JunkState.rescanJunk()
                }
            }
            delegate: JunkGroupCard {
                id: groupCard
                objectName: "junkCard-" + model.groupId
                onRowMenuRequested: (path, item, at, keyboard) => rowMenu.openFor(path, item, at, page, keyboard)
                width: groups.width
                groupId: model.groupId
                title: model.title
                detail: model.detail
                symbol: model.symbol
                permanent: model.permanent
                admin: model.admin
                oneByOne: model.oneByOne
                measurable: model.measurable
                atLeast: model.atLeast
                sizeKnown: model.sizeKnown
                total: model.total
                selectedTotal: model.selectedTotal
                count: model.count
                allOn: model.allOn
                someOn: model.someOn
                items: model.items
                opacity: 0
                Component.onCompleted: fadeIn.start()
                SequentialAnimation {
                    id: fadeIn
                    PauseAnimation { duration: Math.max(0, 40 * index) }
                    NumberAnimation { target: groupCard; property: "opacity"; to: 1; duration: 220 }
                }
            }
        }

        ActionBar {
            visible: JunkState.junkScanned
            Layout.fillWidth: true
            nothing: JunkState.junkSelectedTotal <= 0
            caption: I18n.L("Selecionado para limpar")
            value: Fmt.bytes(JunkState.junkSelectedTotal)
            title: JunkState.junkSelectedTotal > 0 ? I18n.LF("Limpar %@", [Fmt.bytes(JunkState.junkSelectedTotal)]) : I18n.L("Limpar")
            disabled: JunkState.junkSelectedTotal <= 0
            onAction: {
                JunkState.planClean()
                confirm.open()
            }
        }
    }

    PathMenu {
        id: rowMenu
        objectName: "junkRowMenu"
    }

    ConfirmDialog {
        id: confirm
        objectName: "junkConfirm"
        plan: JunkState.cleanPlan
        confirmText: I18n.L("Limpar")
        onConfirmed: JunkState.cleanJunk()
        onClosed: JunkState.closePlan()
    }
}
