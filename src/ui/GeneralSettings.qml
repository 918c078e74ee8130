import QtQuick
import QtQuick.Layouts
import Quillmoor

// The general tab: sounds, opening at login, the low-space notice, the version and the language.
Item {
    id: form
    property bool sound: Sound.enabled
    // the login item as the startup page and the panel show it too
    readonly property bool login: StartupState.launchAtLogin
    Component.onCompleted: StartupState.refreshLoginItem()
    property string err: ""

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 20
        spacing: 14

        Card {
            Layout.fillWidth: true
            Layout.preferredHeight: rows.implicitHeight + 24
            ColumnLayout {
                id: rows
                anchors.fill: parent
                anchors.margins: 12
                spacing: 0

                ThemedSwitch {
                    id: soundSwitch
                    objectName: "soundSwitch"
                    Layout.fillWidth: true
                    text: I18n.L("Sons")
                    checked: form.sound
                    focus: true
                    onToggled: {
                        form.sound = checked
                        Sound.enabled = checked
                        if (checked)
                            Sound.play("tick", 0.8)
                    }
                }
                Divider {}
                ThemedSwitch {
                    objectName: "loginSwitch"
                    Layout.fillWidth: true
                    text: I18n.L("Abrir ao iniciar sessão")
                    checked: form.login
                    onToggled: {
                        form.err = StartupState.setLaunchAtLogin(checked)
                        checked = Qt.binding(() => form.login)
                    }
                }
                Text {
                    textFormat: Text.PlainText
                    visible: form.err !== ""
                    text: form.err
                    color: DS.warning
                    font.pixelSize: 11
                    wrapMode: Text.Wrap
                    Layout.fillWidth: true
                    Layout.bottomMargin: 6
                    horizontalAlignment: Text.AlignLeft
                }
                Divider {}
                ThemedSwitch {
                    objectName: "lowSpaceSwitch"
                    Layout.fillWidth: true
                    text: I18n.L("Avisar quando o espaço livre acabar")
                    checked: LowSpaceWatcher.noticeOn
                    onToggled: {
                        LowSpaceWatcher.noticeOn = checked
                        checked = Qt.binding(() => LowSpaceWatcher.noticeOn)
                    }
                }
                RowLayout {
                    Layout.fillWidth: true
                    Layout.preferredHeight: 34
                    Layout.leftMargin: 6
                    Layout.rightMargin: 6
                    enabled: LowSpaceWatcher.noticeOn
                    opacity: enabled ? 1 : 0.5
                    Text {
                        textFormat: Text.PlainText
                        text: I18n.L("Espaço livre mínimo (GB)")
                        color: DS.text
                        font.pixelSize: 13
                        Layout.fillWidth: true
                        horizontalAlignment: Text.AlignLeft
                    }
                    Segmented {
                        objectName: "lowSpaceMinimum"
                        readonly property var figures: [1, 5, 10, 20, 50]
                        labels: figures.map(gb => String(gb))
                        current: figures.indexOf(LowSpaceWatcher.minimumGb)  // none for a figure set elsewhere
                        onChosen: (index) => LowSpaceWatcher.minimumGb = figures[index]
                    }
                }
                Divider {}
                FormRow { label: I18n.L("Versão"); value: General.version }
                Divider {}
                FormRow { label: I18n.L("Idioma"); value: I18n.L("Segue o idioma do macOS") }
            }
        }
        Item { Layout.fillHeight: true }
    }

    component Divider: Rectangle {
        Layout.fillWidth: true
        Layout.topMargin: 4
        Layout.bottomMargin: 4
        height: 1
        color: DS.border
    }
    component FormRow: RowLayout {
        property string label
        property string value
        Layout.fillWidth: true
        Layout.preferredHeight: 30
        Layout.leftMargin: 6
        Layout.rightMargin: 6
        Text {
            textFormat: Text.PlainText
            text: parent.label
            color: DS.text
            font.pixelSize: 13
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignLeft
        }
        Text {
            textFormat: Text.PlainText
            text: parent.value
            color: DS.muted
            font.pixelSize: 13
            horizontalAlignment: Text.AlignRight
        }
    }
}
