import QtQuick
import QtQuick.Layouts
import Quillmoor

// Shown while the protected places cannot be read: says so, sends the user to
// the settings and offers to restart once access is granted.
Card {
    id: banner
    visible: !ShellState.fda
    implicitHeight: visible ? row.implicitHeight + 28 : 0

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.margins: 14
        spacing: 14

        Rectangle {
            width: 36
            height: 36
            radius: 10
            color: DS.withAlpha(DS.warning, 0.14)
            Icon { anchors.centerIn: parent; symbol: "lock.shield"; size: 20; color: DS.warning }
        }
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 2
            Text {
                text: I18n.L("Acesso Total ao Disco desativado")
                color: DS.text
                font.pixelSize: 13
                font.weight: Font.DemiBold
                Layout.fillWidth: true
                horizontalAlignment: Text.AlignLeft
            }
            Text {
                text: I18n.L("Ative o Quillmoor em Privacidade e Segurança para ver Lixeira, Mail e caches protegidos.")
                color: DS.muted
                font.pixelSize: 12
                wrapMode: Text.WordWrap
                Layout.fillWidth: true
                horizontalAlignment: Text.AlignLeft
            }
        }
        GhostButton {
            text: I18n.L("Abrir Ajustes")
            compact: true
            onClicked: FS.openFullDiskAccessSettings()
        }
        PrimaryButton {
            text: I18n.L("Já ativei")
            compact: true
            onClicked: FS.relaunch()
        }
    }
}
