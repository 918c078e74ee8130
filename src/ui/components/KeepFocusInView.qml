import QtQuick
import Quillmoor

// Scrolls `flickable` so that the control with keyboard focus inside it can
// be seen: Tab onto a card below the visible part brings the card into view.
// For a ScrollView, pass its contentItem.
QtObject {
    id: keeper
    property Flickable flickable: null
    // Room left between the control and the edge it was scrolled to.
    property real margin: 26

    function bringIntoView(item) {
        if (!item || !flickable || !flickable.contentItem)
            return
        let inside = false
        for (let p = item.parent; p; p = p.parent) {
            if (p === flickable.contentItem) {
                inside = true
                break
            }
        }
        if (!inside)
            return
        const box = item.mapToItem(flickable.contentItem, 0, 0, item.width, item.height)
        const top = flickable.originY
        const bottom = flickable.originY + Math.max(0, flickable.contentHeight - flickable.height)
        if (box.y < flickable.contentY)
            flickable.contentY = Math.max(top, box.y - margin)
        else if (box.y + box.height > flickable.contentY + flickable.height)
            flickable.contentY = Math.min(bottom, box.y + box.height - flickable.height + margin)
    }

    readonly property Connections watch: Connections {
        target: keeper.flickable ? keeper.flickable.Window.window : null
        function onActiveFocusItemChanged() {
            keeper.bringIntoView(keeper.flickable.Window.window.activeFocusItem)
        }
    }
}
