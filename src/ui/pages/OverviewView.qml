import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillmoor

// The first page: the header, the Full Disk Access banner and the system scan
// with its cleanup confirmation.
Item {
    id: page
    objectName: "overviewView"

    Component.onCompleted: AppState.refreshStats()
    onVisibleChanged: if (visible) AppState.refreshStats()

    ScrollView {
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
            ScanPanel {
                objectName: "scanPanel"
                Layout.fillWidth: true
                Layout.leftMargin: 32
                Layout.rightMargin: 32
                Layout.bottomMargin: 32
                onReview: AppState.section = "junk"
                onClean: confirm.open()
            }
        }
    }

    ConfirmDialog {
        id: confirm
        objectName: "overviewConfirm"
        heading: I18n.LF("Limpar %@?", [Fmt.bytes(AppState.junkSelectedTotal)])
        message: I18n.L("Caches e logs são apagados (os apps recriam o que precisarem). Instaladores e Archives vão para a Lixeira.")
                 + (AppState.trashWillEmpty ? " " + I18n.L("A Lixeira será esvaziada definitivamente.") : "")
        confirmText: I18n.L("Limpar")
        onConfirmed: AppState.cleanJunk()
    }
}
