import QtQuick
import Quillmoor

// A small check box: on, off, or mixed (some of a group ticked). Clicking it,
// or Space/Enter while it has focus, emits `toggled`; the owner changes the
// state. A blocked box looks disabled (dimmed, no hand cursor) but still
// emits `toggled`, so that its owner can say why it stays as it is. The menu
// key (or Shift+F10) emits `menuRequested`, for owners that offer more on the item.
Rectangle {
    id: box
    property bool on: false
    property bool mixed: false
    property bool blocked: false
    signal toggled()
    signal menuRequested()

    width: 18
    height: 18
    radius: 5
    color: on || mixed ? DS.primary : "transparent"
    border.width: 1.5
    border.color: on || mixed ? DS.primary : DS.muted
    // a blocked box is drawn faint, like a disabled control
    opacity: blocked ? 0.35 : 1
    activeFocusOnTab: true
    Accessible.role: Accessible.CheckBox
    Accessible.checked: on

    Icon {
        anchors.centerIn: parent
        visible: box.on || box.mixed
        symbol: box.mixed && !box.on ? "minus" : "checkmark"
        size: 14
        color: DS.bg
    }
    FocusRing { shown: box.activeFocus; around: box.radius }
    // Takes the click for itself: a card or row that reacts to clicks around
    // the box does not also get this one.
    TapHandler { gesturePolicy: TapHandler.ReleaseWithinBounds; onTapped: box.toggled() }
    HoverHandler { enabled: !box.blocked; cursorShape: Qt.PointingHandCursor }
    Keys.onPressed: (event) => {
        if (event.key === Qt.Key_Space || event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
            box.toggled()
            event.accepted = true
        } else if (event.key === Qt.Key_Menu || (event.key === Qt.Key_F10 && (event.modifiers & Qt.ShiftModifier))) {
            box.menuRequested()
            event.accepted = true
        }
    }
}
