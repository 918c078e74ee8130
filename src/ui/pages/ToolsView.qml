import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillmoor

// The maintenance page: the routines as cards to tick, and the action bar
// that runs the ticked ones. Routines with a lock share one password prompt.
Item {
    id: page
    objectName: "toolsView"

    MaintenanceModel { id: tools; runs: MaintenanceState }
    // For the UI test, which drives the page's own state.
    property alias model: tools

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 32
        anchors.bottomMargin: 24
        spacing: 18

        PageHeader {
            Layout.fillWidth: true
            eyebrow: I18n.L("Ferramentas")
            l1: I18n.L("Manutenção")
            l2: I18n.L("em um clique.")
            sub: I18n.L("Marque as rotinas e execute. As marcadas com cadeado pedem sua senha de administrador.")
        }

        KeepFocusInView { flickable: scroller.contentItem }
        ScrollView {
            id: scroller
            Layout.fillWidth: true
            Layout.fillHeight: true
            contentWidth: availableWidth
            clip: true
            GridLayout {
                width: scroller.availableWidth
                columns: width > 760 ? 2 : 1
                columnSpacing: 14
                rowSpacing: 14
                Repeater {
                    model: tools.tasks
                    TaskCard {
                        objectName: "taskCard-" + modelData.id
                        Layout.fillWidth: true
                        task: modelData
                        ticked: tools.sel.indexOf(modelData.id) >= 0
                        running: tools.running === modelData.id
                        done: tools.done.indexOf(modelData.id) >= 0
                        onToggled: tools.toggle(modelData.id)
                    }
                }
            }
        }

        ActionBar {
            Layout.fillWidth: true
            nothing: tools.sel.length === 0
            caption: I18n.L("Selecionadas")
            value: I18n.LP(tools.sel.length, "%ld rotinas", [tools.sel.length])
            title: tools.running === "" ? I18n.L("Executar") : I18n.L("Executando…")
            disabled: tools.sel.length === 0 || tools.running !== ""
            onAction: tools.runSelected()
        }
    }
}
