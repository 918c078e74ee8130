import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillmoor

// The settings window: three tabs, "Geral", "Nunca tocar" and "Limpeza automática", chosen in the
// bar at its top. A tab's form is made anew each time it is shown, so it
// reads the values of that moment.
ApplicationWindow {
    id: window
    objectName: "settings"
    // 0: Geral, 1: Nunca tocar, 2: Limpeza automática
    property int tab: 0
    readonly property var tabs: [{name: I18n.L("Geral"), symbol: "gearshape", key: "settingsTabGeneral"},
                                 {name: I18n.L("Nunca tocar"), symbol: "lock", key: "settingsTabNeverTouch"},
                                 {name: I18n.L("Limpeza automática"), symbol: "clock", key: "settingsTabAutoClean"}]
    title: tabs[tab].name
    width: 580
    height: 480
    minimumWidth: 480
    minimumHeight: 420
    color: DS.bg
    visible: false

    function open() {
        show()
        raise()
        requestActivate()
    }

    Item {
        anchors.fill: parent
        LayoutMirroring.enabled: I18n.rightToLeft
        LayoutMirroring.childrenInherit: true

        ColumnLayout {
            anchors.fill: parent
            spacing: 0

            // the tab bar
            Row {
                Layout.alignment: Qt.AlignHCenter
                Layout.topMargin: 12
                Layout.bottomMargin: 10
                spacing: 6
                Repeater {
                    model: window.tabs
                    Rectangle {
                        id: tabButton
                        required property var modelData
                        required property int index
                        readonly property bool current: window.tab === index
                        objectName: modelData.key
                        width: Math.max(84, tabLabel.implicitWidth + 24)
                        height: 52
                        radius: 10
                        color: current ? DS.withAlpha(DS.primary, 0.16) : (tabHover.hovered ? Qt.rgba(1, 1, 1, 0.05) : "transparent")
                        activeFocusOnTab: true
                        Accessible.role: Accessible.PageTab
                        Accessible.name: tabLabel.text
                        Accessible.checked: current
                        FocusRing { shown: tabButton.activeFocus; around: tabButton.radius }
                        Column {
                            anchors.centerIn: parent
                            spacing: 3
                            Icon {
                                anchors.horizontalCenter: parent.horizontalCenter
                                symbol: tabButton.modelData.symbol
                                size: 18
                                color: tabButton.current ? DS.primary : DS.muted
                            }
                            Text {
                                id: tabLabel
                                textFormat: Text.PlainText
                                anchors.horizontalCenter: parent.horizontalCenter
                                text: tabButton.modelData.name
                                color: tabButton.current ? DS.text : DS.muted
                                font.pixelSize: 12
                                font.weight: tabButton.current ? Font.DemiBold : Font.Normal
                            }
                        }
                        HoverHandler { id: tabHover; cursorShape: Qt.PointingHandCursor }
                        TapHandler { onTapped: window.tab = tabButton.index }
                        Keys.onPressed: (event) => {
                            if (event.key === Qt.Key_Space || event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
                                window.tab = tabButton.index
                                event.accepted = true
                            }
                        }
                    }
                }
            }
            Rectangle { Layout.fillWidth: true; height: 1; color: DS.border }

            Loader {
                Layout.fillWidth: true
                Layout.fillHeight: true
                active: window.visible
                sourceComponent: [generalTab, neverTouchTab, autoCleanTab][window.tab]
            }
        }
        Component { id: generalTab; GeneralSettings {} }
        Component { id: neverTouchTab; NeverTouchSettings {} }
        Component { id: autoCleanTab; AutoCleanSettings {} }
        Shortcut { sequences: [StandardKey.Close]; onActivated: window.close() }
        Shortcut { sequences: ["Esc"]; onActivated: window.close() }
    }
}
