import QtQuick
import QtQuick.Layouts
import Quillmoor

// The mark and name, the eight sections, the total freed so far, the sound
// switch and the way to the settings.
Rectangle {
    id: sidebar
    signal openSettings()
    signal openPanel()
    // Where the desktop has no tray, a button here opens the tray panel.
    property bool showPanelButton: false

    // Mirrors the stored setting from the moment the sidebar is made.
    property bool sound: Sound.enabled

    color: Qt.rgba(0.086, 0.086, 0.102, 0.72)
    Rectangle {
        // the dividing line towards the page
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        width: 1
        color: DS.border
    }

    function choose(id) {
        if (ShellState.section === id)
            return
        Sound.play("tick", 0.3)
        ShellState.section = id
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 16
        anchors.topMargin: 22
        spacing: 4

        RowLayout {
            spacing: 10
            Layout.leftMargin: 4
            Layout.bottomMargin: 18
            BrandMark { size: 28 }
            Text {
                textFormat: Text.PlainText
                text: "Quillmoor"
                color: DS.text
                font.pixelSize: 17
                font.weight: Font.Bold
            }
        }

        Eyebrow {
            text: I18n.L("MENU")
            Layout.leftMargin: 10
            Layout.bottomMargin: 6
        }

        Repeater {
            id: items
            model: ShellState.sections
            SidebarItem {
                Layout.fillWidth: true
                section: modelData
                active: ShellState.section === modelData.id
                onActivated: sidebar.choose(modelData.id)
                KeyNavigation.down: index + 1 < items.count ? items.itemAt(index + 1) : null
                KeyNavigation.up: index > 0 ? items.itemAt(index - 1) : null
            }
        }

        Item { Layout.fillHeight: true }

        // The running total of space freed for good.
        Rectangle {
            Layout.fillWidth: true
            implicitHeight: freedColumn.implicitHeight + 24
            radius: 12
            color: Qt.rgba(1, 1, 1, 0.03)
            border.width: 1
            border.color: DS.border

            property real shown: RemovalState.totalFreed
            Behavior on shown { NumberAnimation { duration: 900; easing.type: Easing.OutCubic } }

            // Opens the history of what was removed.
            objectName: "freedTotal"
            activeFocusOnTab: true
            Accessible.role: Accessible.Button
            Accessible.name: I18n.L("Histórico")
            Keys.onReturnPressed: HistoryState.open()
            Keys.onSpacePressed: HistoryState.open()
            FocusRing { shown: parent.activeFocus; around: parent.radius }
            MouseArea {
                anchors.fill: parent
                cursorShape: Qt.PointingHandCursor
                onClicked: HistoryState.open()
            }

            ColumnLayout {
                id: freedColumn
                anchors.fill: parent
                anchors.margins: 12
                spacing: 4
                RowLayout {
                    Layout.fillWidth: true
                    Eyebrow { text: I18n.L("LIBERADO"); Layout.fillWidth: true }
                    Text {
                        textFormat: Text.PlainText
                        text: I18n.L("Histórico") + (I18n.rightToLeft ? " ‹" : " ›")
                        color: DS.primary
                        font.pixelSize: 11
                    }
                }
                Text {
                    textFormat: Text.PlainText
                    text: Fmt.bytes(Math.round(parent.parent.shown))
                    color: DS.text
                    font: DS.mono(18, Font.DemiBold)
                    Layout.fillWidth: true
                    elide: Text.ElideRight
                    horizontalAlignment: Text.AlignLeft
                }
            }
        }

        SidebarButton {
            Layout.fillWidth: true
            Layout.topMargin: 6
            symbol: sidebar.sound ? "speaker.wave.2" : "speaker.slash"
            label: sidebar.sound ? I18n.L("Sons ligados") : I18n.L("Sons desligados")
            onActivated: {
                sidebar.sound = !sidebar.sound
                Sound.enabled = sidebar.sound
                if (sidebar.sound)
                    Sound.play("tick", 0.8)
            }
        }
        SidebarButton {
            objectName: "panelButton"
            Layout.fillWidth: true
            visible: sidebar.showPanelButton
            symbol: "menubar.rectangle"
            label: I18n.L("Painel rápido")
            onActivated: sidebar.openPanel()
        }
        SidebarButton {
            Layout.fillWidth: true
            symbol: "gearshape"
            label: I18n.L("Ajustes…")
            onActivated: sidebar.openSettings()
        }
    }
}
