import QtQuick
import QtQuick.Layouts
import Quillmoor

// How many items the never-touch list kept out of a page's list ("3 itens
// ignorados"), muted, under the page's header; nothing when it hid none.
RowLayout {
    id: line
    property int count: 0

    visible: count > 0
    spacing: 6
    Icon { symbol: "eye.slash"; size: 14; color: DS.muted }
    Text {
        objectName: "ignoredCount"
        textFormat: Text.PlainText
        Layout.fillWidth: true
        text: I18n.LP(line.count, "%ld itens ignorados", [line.count])
        color: DS.muted
        font.pixelSize: 12
        horizontalAlignment: Text.AlignLeft
    }
}
