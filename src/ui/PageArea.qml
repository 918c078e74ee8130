import QtQuick
import Quillmoor

// The page of the current section; pages cross-fade when the section changes.
// No section shows the overview page.
Item {
    id: area

    // Section id -> page component. A section without an entry shows an empty page.
    property var pages: ({})

    readonly property string current: ShellState.section === "" ? "overview" : ShellState.section

    Repeater {
        model: ShellState.sections
        Item {
            id: slot
            readonly property bool shown: area.current === modelData.id
            objectName: "page-" + modelData.id
            anchors.fill: parent
            opacity: shown ? 1 : 0
            visible: opacity > 0
            enabled: shown
            Behavior on opacity { NumberAnimation { duration: 260; easing.type: Easing.InOutQuad } }

            Loader {
                anchors.fill: parent
                active: slot.visible && area.pages[modelData.id] !== undefined
                sourceComponent: area.pages[modelData.id] || null
            }
        }
    }
}
