import QtQuick
import QtQuick.Layouts
import Quillmoor

// The automatic cleaning tab: how often (off by default) and which groups of
// the home folder it takes. It runs while Quillmoor is open or in the tray,
// and from the systemd timer when that is switched on.
Item {
    id: form
    readonly property var intervals: ["off", "daily", "weekly", "monthly"]

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 20
        spacing: 12

        RowLayout {
            Layout.fillWidth: true
            Text {
                textFormat: Text.PlainText
                text: I18n.L("Limpeza automática")
                color: DS.text
                font.pixelSize: 14
                font.weight: Font.DemiBold
                Layout.fillWidth: true
                horizontalAlignment: Text.AlignLeft
            }
            Segmented {
                objectName: "autoCleanInterval"
                focus: true
                labels: [I18n.L("Desligada"), I18n.L("Diária"), I18n.L("Semanal"), I18n.L("Mensal")]
                current: form.intervals.indexOf(AutoCleanState.interval)
                onChosen: (index) => AutoCleanState.interval = form.intervals[index]
            }
        }
        Text {
            textFormat: Text.PlainText
            Layout.fillWidth: true
            text: I18n.LF("Só a pasta pessoal e nunca o que a lista Nunca tocar guarda ou um programa mantém aberto. Roda com o Quillmoor aberto ou na bandeja, em baixa prioridade e não na bateria abaixo de %ld%%.", [30])
            color: DS.muted
            font.pixelSize: 12
            wrapMode: Text.Wrap
            horizontalAlignment: Text.AlignLeft
        }

        Card {
            Layout.fillWidth: true
            Layout.preferredHeight: groups.implicitHeight + 24
            enabled: AutoCleanState.interval !== "off"
            opacity: enabled ? 1 : 0.5
            ColumnLayout {
                id: groups
                anchors.fill: parent
                anchors.margins: 12
                spacing: 10
                Repeater {
                    model: AutoCleanState.groups
                    RowLayout {
                        id: group
                        required property var modelData
                        Layout.fillWidth: true
                        spacing: 10
                        CheckBox {
                            objectName: "autoCleanGroup-" + group.modelData.id
                            on: group.modelData.on
                            Accessible.name: group.modelData.title
                            onToggled: AutoCleanState.setGroupOn(group.modelData.id, !group.modelData.on)
                        }
                        ColumnLayout {
                            Layout.fillWidth: true
                            spacing: 1
                            Text {
                                textFormat: Text.PlainText
                                Layout.fillWidth: true
                                text: group.modelData.title
                                color: DS.text
                                font.pixelSize: 13
                                horizontalAlignment: Text.AlignLeft
                            }
                            Text {
                                textFormat: Text.PlainText
                                Layout.fillWidth: true
                                text: group.modelData.detail
                                color: DS.muted
                                font.pixelSize: 11
                                elide: Text.ElideRight
                                horizontalAlignment: Text.AlignLeft
                            }
                        }
                    }
                }
            }
        }
        Item { Layout.fillHeight: true }
    }
}
