import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillmoor

// The settings window: one tab, "Geral". The form is made anew each time the
// window opens, so it reads the switches' values then.
ApplicationWindow {
    id: window
    objectName: "settings"
    title: I18n.L("Geral")
    width: 480
    height: 380
    minimumWidth: 420
    minimumHeight: 360
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

        Loader {
            anchors.fill: parent
            active: window.visible
            sourceComponent: GeneralSettings {}
        }
        Shortcut { sequences: [StandardKey.Close]; onActivated: window.close() }
        Shortcut { sequences: ["Esc"]; onActivated: window.close() }
    }
}
