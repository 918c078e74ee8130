import QtQuick
import QtQuick.Controls.Basic
import Quillmoor

// The menu of a row that lists a file or folder: "Sempre ignorar" puts the
// path on the never-touch list (the page drops the row). A page may add rows
// of its own, shown above it. Opened by a right click on the row, by the menu
// key or Shift+F10 on the row's focused control, or by its "⋯" button.
Menu {
    id: menu
    property string path
    // Opened from the keyboard: the page puts the focus back on a row afterwards.
    property bool fromKeyboard: false

    // Opens at `at` in `item`'s coordinates, over the whole page `page`.
    function openFor(rowPath, item, at, page, keyboard) {
        path = rowPath
        fromKeyboard = keyboard === true
        const place = item.mapToItem(page, at.x, at.y)
        popup(page, place.x, place.y)
    }

    margins: 8
    padding: 6
    background: Card { implicitWidth: 260; radius: 10 }
    Component.onCompleted: moveItem(0, count - 1)  // the page's own rows first

    MenuRow {
        objectName: "alwaysIgnore"
        text: I18n.L("Sempre ignorar")
        symbol: "eye.slash"
        enabled: menu.path !== ""
        onTriggered: {
            const problem = NeverTouchState.add(menu.path)
            if (problem !== "")
                ShellState.message = problem
        }
    }
}
