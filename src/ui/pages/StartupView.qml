import QtQuick
import QtQuick.Layouts
import Quillmoor

// Startup items: one card per item with who it applies to and what it runs.
// Launch property lists have a remove button that asks first (and says when
// the administrator password will be asked for); autostart entries and
// services have a switch that turns them off and on again (a lock, with its
// reason, on those the session or the machine needs), and the user's own
// entries can still be removed to the Trash.
Item {
    id: page
    objectName: "startupView"
    // the item waiting for confirmation ({agentId, stopsFirst}), or null
    property var pending: null

    // Listed again at each opening: an item's file may have gone meanwhile.
    Component.onCompleted: StartupState.pageShown()

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 32
        anchors.bottomMargin: 24
        spacing: 18

        PageHeader {
            Layout.fillWidth: true
            eyebrow: I18n.L("Inicialização")
            l1: I18n.L("O que roda")
            l2: I18n.L("quando o Mac liga.")
            // no count before the listing, and none of nothing (the list says it)
            sub: StartupState.agentCount === 0 ? ""
                 : I18n.LP(StartupState.agentCount, "%ld agentes e serviços em segundo plano. Remova o que você não usa para iniciar mais rápido.", [StartupState.agentCount])
            // No login-items settings pane exists on this platform, so its button is left out.
            GhostButton {
                objectName: "agentsRefresh"
                text: I18n.L("Atualizar")
                compact: true
                onClicked: StartupState.loadAgents()
            }
        }

        ListView {
            id: agentList
            objectName: "agentList"
            KeepFocusInView { flickable: agentList }
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            spacing: 10
            boundsBehavior: Flickable.StopAtBounds
            model: StartupState.agentModel
            // An empty list says so, with the way to look again.
            ColumnLayout {
                objectName: "agentsEmpty"
                parent: agentList  // over the list itself, not inside its scrolled content
                visible: agentList.count === 0 && StartupState.agentsListed
                anchors.centerIn: parent
                width: Math.min(parent.width - 48, 480)
                spacing: 8
                Icon { Layout.alignment: Qt.AlignHCenter; symbol: "power"; size: 28; color: DS.muted }
                Text {
                    textFormat: Text.PlainText
                    Layout.fillWidth: true
                    text: I18n.L("Nada é iniciado com a sessão.")
                    color: DS.text
                    font.pixelSize: 15
                    font.weight: Font.DemiBold
                    wrapMode: Text.Wrap
                    horizontalAlignment: Text.AlignHCenter
                }
                GhostButton {
                    Layout.alignment: Qt.AlignHCenter
                    Layout.topMargin: 6
                    compact: true
                    text: I18n.L("Atualizar")
                    onClicked: StartupState.loadAgents()
                }
            }
            delegate: Card {
                id: card
                required property int index
                required property string agentId
                required property string label
                required property string program
                required property string scope
                required property bool userOwned
                required property string path
                required property bool removable
                required property bool stopsFirst
                required property string key
                required property bool on
                required property bool switchable
                required property bool locked
                required property bool otherDesktop
                width: agentList.width
                height: 68
                opacity: 0
                Component.onCompleted: fadeIn.start()
                SequentialAnimation {
                    id: fadeIn
                    PauseAnimation { duration: Math.max(0, Math.min(card.index, 12)) * 40 }
                    NumberAnimation { target: card; property: "opacity"; to: 1; duration: 220 }
                }
                RowLayout {
                    anchors.fill: parent
                    anchors.leftMargin: 14
                    anchors.rightMargin: 14
                    spacing: 12
                    Chip {
                        symbol: card.userOwned ? "person" : "gearshape.2"
                        tint: card.userOwned ? DS.primary : DS.muted
                        opacity: card.on ? 1 : 0.55
                    }
                    ColumnLayout {
                        Layout.fillWidth: true
                        spacing: 3
                        RowLayout {
                            id: titleRow
                            Layout.fillWidth: true
                            spacing: 8
                            Text {
                                Layout.maximumWidth: titleRow.width - scopeChip.width - titleRow.spacing
                                                     - (elsewhereChip.visible ? elsewhereChip.width + titleRow.spacing : 0)
                                text: I18n.isolate(card.label)
                                textFormat: Text.PlainText
                                color: card.on ? DS.text : DS.muted
                                font.pixelSize: 13
                                font.weight: Font.DemiBold
                                elide: Text.ElideRight
                                horizontalAlignment: Text.AlignLeft
                            }
                            Chip { id: scopeChip; text: card.scope; tint: card.userOwned ? DS.primary : DS.warning }
                            Chip {
                                id: elsewhereChip
                                objectName: "agentElsewhere"
                                visible: card.otherDesktop
                                text: I18n.L("Não nesta área de trabalho")
                                tint: DS.muted
                            }
                            Item { Layout.fillWidth: true }
                        }
                        Text {
                            Layout.fillWidth: true
                            text: I18n.isolate(card.program)
                            textFormat: Text.PlainText
                            color: DS.muted
                            font: DS.mono(11)
                            elide: Text.ElideMiddle
                            horizontalAlignment: Text.AlignLeft
                        }
                    }
                    RevealButton { visible: card.path !== ""; path: card.path }
                    GhostButton {
                        objectName: "agentRemove"
                        visible: card.removable
                        text: I18n.L("Remover")
                        compact: true
                        onClicked: {
                            page.pending = { agentId: card.agentId, stopsFirst: card.stopsFirst }
                            StartupState.planRemoval(card.agentId)
                            confirm.open()
                        }
                    }
                    Item {
                        objectName: "agentLock-" + card.key
                        visible: card.switchable && card.locked
                        implicitWidth: 38
                        implicitHeight: 26
                        Accessible.role: Accessible.StaticText
                        Accessible.name: I18n.L("O sistema ou a sessão precisa deste item: ele não pode ser desativado.")
                        Icon { anchors.centerIn: parent; symbol: "lock"; size: 16; color: DS.muted }
                        HoverHandler { id: lockHover }
                        HintTip {
                            shown: lockHover.hovered
                            text: I18n.L("O sistema ou a sessão precisa deste item: ele não pode ser desativado.")
                        }
                    }
                    ThemedSwitch {
                        objectName: "agentSwitch-" + card.key
                        visible: card.switchable && !card.locked
                        checked: card.on
                        Accessible.name: card.label
                        onToggled: {
                            StartupState.setAgentOn(card.agentId, checked)
                            checked = Qt.binding(() => card.on)
                        }
                    }
                }
            }
        }
    }

    ConfirmDialog {
        id: confirm
        objectName: "agentConfirm"
        plan: StartupState.removalPlan
        confirmText: page.pending && !page.pending.stopsFirst ? I18n.L("Mover para a Lixeira")
                                                                    : I18n.L("Desativar e mover para a Lixeira")
        onConfirmed: {
            if (page.pending)
                StartupState.removeAgent(page.pending.agentId)
        }
        onClosed: {
            page.pending = null
            StartupState.closePlan()
        }
    }
}
