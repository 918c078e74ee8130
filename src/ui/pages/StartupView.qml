import QtQuick
import QtQuick.Layouts
import Quillmoor

// Startup items: one card per launch agent or daemon with who it applies to,
// a reveal button and a remove button that asks first (and says when the
// administrator password will be asked for).
Item {
    id: page
    objectName: "startupView"
    // the item waiting for confirmation ({agentId, label, userOwned}), or null
    property var pending: null

    // Opened before anything was listed (the overview lists them too): list now.
    Component.onCompleted: if (AppState.agentCount === 0) AppState.loadAgents()

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
            sub: I18n.LF("%ld agentes e serviços em segundo plano. Remova o que você não usa para iniciar mais rápido.", [AppState.agentCount])
            // No login-items settings pane exists on this platform, so its button is left out.
            GhostButton {
                objectName: "agentsRefresh"
                text: I18n.L("Atualizar")
                compact: true
                onClicked: AppState.loadAgents()
            }
        }

        ListView {
            id: agentList
            objectName: "agentList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            spacing: 10
            boundsBehavior: Flickable.StopAtBounds
            model: AppState.agentModel
            delegate: Card {
                id: card
                required property int index
                required property string agentId
                required property string label
                required property string program
                required property string scope
                required property bool userOwned
                required property string path
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
                    }
                    ColumnLayout {
                        Layout.fillWidth: true
                        spacing: 3
                        RowLayout {
                            id: titleRow
                            Layout.fillWidth: true
                            spacing: 8
                            Text {
                                textFormat: Text.PlainText
                                Layout.maximumWidth: titleRow.width - scopeChip.width - titleRow.spacing
                                text: card.label
                                color: DS.text
                                font.pixelSize: 13
                                font.weight: Font.DemiBold
                                elide: Text.ElideRight
                                horizontalAlignment: Text.AlignLeft
                            }
                            Chip { id: scopeChip; text: card.scope; tint: card.userOwned ? DS.primary : DS.warning }
                            Item { Layout.fillWidth: true }
                        }
                        Text {
                            textFormat: Text.PlainText
                            Layout.fillWidth: true
                            text: card.program
                            color: DS.muted
                            font: DS.mono(11)
                            elide: Text.ElideMiddle
                            horizontalAlignment: Text.AlignLeft
                        }
                    }
                    RevealButton { path: card.path }
                    GhostButton {
                        objectName: "agentRemove"
                        text: I18n.L("Remover")
                        compact: true
                        onClicked: {
                            page.pending = { agentId: card.agentId, label: card.label, userOwned: card.userOwned }
                            confirm.open()
                        }
                    }
                }
            }
        }
    }

    ConfirmDialog {
        id: confirm
        objectName: "agentConfirm"
        heading: page.pending ? I18n.LF("Desativar “%@”?", [page.pending.label]) : ""
        message: page.pending && !page.pending.userOwned
                 ? I18n.L("Item do sistema: vai pedir sua senha de administrador.")
                 : I18n.L("O agente para agora e não volta no próximo login.")
        confirmText: I18n.L("Desativar e mover para a Lixeira")
        onConfirmed: {
            if (page.pending)
                AppState.removeAgent(page.pending.agentId)
        }
        onClosed: page.pending = null
    }
}
