import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillmoor

// The space page: the shown folder as an orbit map beside the list of its
// children with their sizes, breadcrumbs with the way back, the location
// menu, and moving the selection to the Trash after a confirmation. What
// the never-touch list holds is shown with a lock and never ticked; an
// entry's menu (right click, the Menu key or Shift+F10 on its row) adds it
// to the list.
Item {
    id: page
    objectName: "spaceView"

    SpaceModel { id: m; removals: RemovalState; neverTouch: NeverTouchState.keys }
    // For the UI test, which drives the page's own model.
    property alias model: m

    Component.onCompleted: if (m.count === 0) m.openHome(false)

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 32
        anchors.bottomMargin: 24
        spacing: 14

        PageHeader {
            Layout.fillWidth: true
            eyebrow: I18n.L("Espaço")
            l1: I18n.L("Seu disco,")
            l2: I18n.L("em órbita.")
            sub: I18n.L("A pasta atual é o sol; cada planeta é uma pasta ou arquivo, do tamanho do espaço que ocupa. Clique num planeta para entrar ou selecionar.")
            GhostButton {
                id: placeButton
                objectName: "placeButton"
                compact: true
                text: I18n.L("Trocar local") + "  ▾"
                onClicked: placeMenu.open()
                Menu {
                    id: placeMenu
                    objectName: "placeMenu"
                    y: placeButton.height + 6
                    margins: 8  // kept inside the window, however near its edge the button sits
                    padding: 6
                    background: Card { implicitWidth: 300; radius: 10 }
                    MenuRow {
                        objectName: "placeHome"
                        text: I18n.L("Pasta pessoal")
                        symbol: "house"
                        onTriggered: m.openHome(true)
                    }
                    MenuRow {
                        objectName: "placeDisk"
                        text: I18n.L("Disco inteiro")
                        symbol: "internaldrive"
                        onTriggered: m.open("/", true)
                    }
                    MenuRow {
                        objectName: "placeHidden"
                        text: I18n.L("Mostrar arquivos ocultos")
                        symbol: "eye"
                        checkable: true
                        checked: m.showHidden
                        onTriggered: {
                            m.showHidden = checked
                            m.open(m.current, false)
                        }
                    }
                    MenuRow {
                        objectName: "placeChoose"
                        text: I18n.L("Escolher pasta…")
                        symbol: "folder"
                        onTriggered: chooser.open()
                    }
                }
            }
        }

        // The way back and where we are.
        RowLayout {
            Layout.fillWidth: true
            spacing: 6
            GhostButton {
                objectName: "backButton"
                compact: true
                enabled: m.historyCount > 0
                leftPadding: 8
                rightPadding: 8
                contentItem: Icon {
                    symbol: I18n.rightToLeft ? "chevron.forward" : "chevron.backward"
                    size: 18
                }
                Accessible.name: I18n.L("Voltar")
                onClicked: m.back()
            }
            Flickable {
                Layout.fillWidth: true
                Layout.preferredHeight: 30
                contentWidth: crumbs.implicitWidth
                clip: true
                boundsBehavior: Flickable.StopAtBounds
                Row {
                    id: crumbs
                    objectName: "breadcrumbs"
                    // a path reads left to right in every language; in a right-to-left
                    // window it sits at the start (right) while it fits
                    LayoutMirroring.enabled: false
                    LayoutMirroring.childrenInherit: true
                    x: I18n.rightToLeft ? Math.max(0, parent.parent.width - implicitWidth) : 0
                    height: parent.height
                    spacing: 2
                    Text {
                        textFormat: Text.PlainText
                        visible: m.breadcrumbs.length === 0  // the root of the disk
                        anchors.verticalCenter: parent.verticalCenter
                        text: "/"
                        color: DS.text
                        font: DS.mono(13, Font.DemiBold)
                    }
                    Repeater {
                        model: m.breadcrumbs
                        Row {
                            required property var modelData
                            required property int index
                            anchors.verticalCenter: parent.verticalCenter
                            spacing: 2
                            Text {
                                textFormat: Text.PlainText
                                visible: index > 0
                                anchors.verticalCenter: parent.verticalCenter
                                text: "/"
                                color: DS.muted
                                font.pixelSize: 13
                            }
                            Text {
                                textFormat: Text.PlainText
                                readonly property bool last: index === m.breadcrumbs.length - 1
                                anchors.verticalCenter: parent.verticalCenter
                                text: I18n.isolate(modelData.name)
                                color: last ? DS.text : (crumbHover.hovered ? DS.glow : DS.muted)
                                font.pixelSize: 13
                                font.weight: last ? Font.DemiBold : Font.Normal
                                leftPadding: 4
                                rightPadding: 4
                                HoverHandler { id: crumbHover; cursorShape: Qt.PointingHandCursor }
                                TapHandler { onTapped: m.open(modelData.path, true) }
                            }
                        }
                    }
                }
            }
        }

        RowLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            spacing: 14

            Card {
                Layout.fillWidth: true
                Layout.fillHeight: true
                OrbitMap {
                    id: map
                    objectName: "orbitMap"
                    anchors.fill: parent
                    anchors.margins: 8
                    model: m
                    primaryColor: DS.primary
                    glowColor: DS.glow
                    textColor: DS.text
                    mutedColor: DS.muted
                    backgroundColor: DS.surface
                    monoFamily: DS.monoFamily
                    onPlanetTapped: (id) => m.activate(id)
                    onPlanetMenuRequested: (id, at) => entryMenu.openFor(id, map, at)
                    onCenterTapped: if (m.historyCount > 0) m.back()
                }
                // Why the never-touch list keeps the planet under the pointer.
                HintTip {
                    objectName: "planetNeverTouch"
                    parent: map
                    readonly property point at: map.hover !== "" ? map.planetCentre(map.hover) : Qt.point(0, 0)
                    shown: text !== ""
                    text: map.hover !== "" && m.neverTouch.length > 0 ? m.neverTouchReason(map.hover) : ""
                    x: Math.min(at.x + 14, map.width - width)
                    y: at.y + 14
                }
            }

            Card {
                Layout.preferredWidth: Math.max(300, Math.min(400, page.width * 0.36))
                Layout.fillHeight: true
                ColumnLayout {
                    anchors.fill: parent
                    anchors.margins: 6
                    spacing: 0
                    RowLayout {
                        Layout.fillWidth: true
                        Layout.margins: 10
                        spacing: 8
                        Text {
                            textFormat: Text.PlainText
                            objectName: "spaceSummary"
                            Layout.fillWidth: true
                            text: I18n.directed(I18n.isolate(Fmt.bytes(m.total)) + " · " + I18n.items(m.count))
                            color: DS.text
                            font: DS.figureFont(text, 13, Font.DemiBold)
                            elide: Text.ElideRight
                            horizontalAlignment: Text.AlignLeft
                        }
                        SignalLine {
                            visible: m.loading
                            active: m.loading
                            implicitWidth: 54
                            implicitHeight: 16
                        }
                    }
                    Rectangle { Layout.fillWidth: true; height: 1; color: DS.border }
                    ListView {
                        id: list
                        objectName: "spaceEntries"
                        KeepFocusInView { flickable: list }
                        Layout.fillWidth: true
                        Layout.fillHeight: true
                        clip: true
                        model: m.entryModel
                        boundsBehavior: Flickable.StopAtBounds
                        keyNavigationEnabled: true
                        activeFocusOnTab: true
                        currentIndex: -1
                        highlightMoveDuration: 0
                        highlight: Rectangle { radius: 8; color: Qt.rgba(1, 1, 1, 0.06) }
                        ScrollBar.vertical: ScrollBar {}
                        Keys.onPressed: (event) => {
                            if (list.currentItem === null)
                                return
                            if (event.key === Qt.Key_Space) {
                                m.toggle(list.currentItem.entryId)
                                event.accepted = true
                            } else if (event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
                                m.activate(list.currentItem.entryId)
                                event.accepted = true
                            } else if (event.key === Qt.Key_Backspace) {
                                m.back()
                                event.accepted = true
                            } else if (event.key === Qt.Key_Menu || (event.key === Qt.Key_F10 && (event.modifiers & Qt.ShiftModifier))) {
                                entryMenu.openFor(list.currentItem.entryId, list.currentItem, Qt.point(I18n.rightToLeft ? list.width - 38 : 38, 34))
                                event.accepted = true
                            }
                        }
                        delegate: Item {
                            id: row
                            required property int index
                            required property string entryId
                            required property string name
                            required property string path
                            required property var size
                            required property bool isDir
                            required property bool isLink
                            required property bool opensFolder
                            required property bool selected
                            required property bool protectedEntry
                            required property bool ignored
                            required property string neverTouch
                            // the model's reason when this row's tick was just refused
                            readonly property string note: m.refusedEntry === entryId ? m.refusal : ""
                            width: list.width
                            height: note !== "" ? 60 : 40

                            Rectangle {
                                anchors.fill: parent
                                anchors.margins: 2
                                radius: 8
                                color: rowHover.hovered ? Qt.rgba(1, 1, 1, 0.04) : "transparent"
                            }
                            HoverHandler {
                                id: rowHover
                                onHoveredChanged: {
                                    if (hovered)
                                        m.hovered = row.entryId
                                    else if (m.hovered === row.entryId)
                                        m.hovered = ""
                                }
                            }
                            TapHandler {
                                onTapped: {
                                    list.currentIndex = row.index
                                    list.forceActiveFocus()  // arrows, Space, Return and Backspace from here on
                                }
                                onDoubleTapped: m.activate(row.entryId)
                            }
                            TapHandler {
                                acceptedButtons: Qt.RightButton
                                onTapped: (point) => {
                                    list.currentIndex = row.index
                                    entryMenu.openFor(row.entryId, row, point.position)
                                }
                            }
                            // why the tick is blocked (a row the list is dropping has no window to show it in)
                            HintTip { shown: rowHover.hovered && row.note === "" && row.Window.window !== null; text: row.neverTouch }
                            RowLayout {
                                anchors.left: parent.left
                                anchors.right: parent.right
                                anchors.top: parent.top
                                height: 40
                                anchors.leftMargin: 10
                                anchors.rightMargin: 8
                                spacing: 10
                                CheckBox {
                                    id: tick
                                    objectName: "spaceTick"
                                    on: row.selected
                                    blocked: row.protectedEntry || row.neverTouch !== ""
                                    onToggled: m.toggle(row.entryId)
                                    onMenuRequested: entryMenu.openFor(row.entryId, tick, Qt.point(0, tick.height))
                                }
                                FileIcon { path: row.path; size: 18; color: row.opensFolder ? DS.primary : "#5FC8E8" }
                                Text {
                                    textFormat: Text.PlainText
                                    Layout.fillWidth: true
                                    text: I18n.isolate(row.name)
                                    color: DS.text
                                    font.pixelSize: 13
                                    elide: Text.ElideMiddle
                                    horizontalAlignment: Text.AlignLeft
                                }
                                Chip {
                                    objectName: "spaceIgnored"
                                    visible: row.ignored
                                    text: I18n.L("Ignorado")
                                    tint: DS.glow
                                }
                                Text {
                                    textFormat: Text.PlainText
                                    // a link holds nothing of its own: no size beside it
                                    text: row.isLink ? "" : Fmt.bytes(row.size)
                                    color: row.size < 0 ? DS.muted : DS.text
                                    font: DS.mono(12, Font.DemiBold)
                                    horizontalAlignment: Text.AlignRight
                                }
                                Icon {
                                    symbol: I18n.rightToLeft ? "chevron.backward" : "chevron.forward"
                                    size: 16
                                    color: enterHover.hovered ? DS.glow : DS.muted
                                    opacity: row.opensFolder ? 1 : 0
                                    HoverHandler { id: enterHover; enabled: row.opensFolder; cursorShape: Qt.PointingHandCursor }
                                    TapHandler { enabled: row.opensFolder; onTapped: m.activate(row.entryId) }
                                }
                            }
                            Text {
                                objectName: "spaceRefusal"
                                visible: row.note !== ""
                                anchors.left: parent.left
                                anchors.right: parent.right
                                anchors.bottom: parent.bottom
                                anchors.leftMargin: 38
                                anchors.rightMargin: 8
                                anchors.bottomMargin: 6
                                text: row.note
                                textFormat: Text.PlainText
                                color: DS.warning
                                font.pixelSize: 11
                                elide: Text.ElideRight
                                horizontalAlignment: Text.AlignLeft
                            }
                        }
                        Text {
                            objectName: "spaceEmpty"
                            parent: list  // over the list itself, not inside its scrolled content
                            textFormat: Text.PlainText
                            anchors.centerIn: parent
                            visible: m.count === 0 && !m.loading
                            text: I18n.L("Pasta vazia")
                            color: DS.muted
                            font.pixelSize: 13
                        }
                    }
                }
            }
        }

        ActionBar {
            Layout.fillWidth: true
            nothing: m.selectedCount === 0
            caption: I18n.LP(m.selectedCount, "%ld selecionados", [m.selectedCount])
            value: Fmt.bytes(m.selectedTotal)
            title: I18n.L("Mover para a Lixeira")
            disabled: m.selectedCount === 0
            onAction: {
                if (m.selectedCount === 0)
                    return
                m.planTrash()
                confirm.open()
            }
        }
    }

    // An entry's menu: keep it from every scan and removal from now on.
    Menu {
        id: entryMenu
        objectName: "spaceEntryMenu"
        property string entryId
        function openFor(id, item, at) {
            entryId = id
            const place = item.mapToItem(page, at.x, at.y)
            popup(page, place.x, place.y)
        }
        margins: 8
        padding: 6
        background: Card { implicitWidth: 240; radius: 10 }
        MenuRow {
            objectName: "spaceAlwaysIgnore"
            implicitWidth: 240
            text: I18n.L("Sempre ignorar")
            symbol: "lock"
            // (m.neverTouch: asked again when the list changes)
            enabled: entryMenu.entryId !== "" && m.neverTouch.length >= 0 && !m.isIgnored(entryMenu.entryId)
            onTriggered: {
                const problem = NeverTouchState.add(entryMenu.entryId)
                if (problem !== "")
                    ShellState.message = problem
            }
        }
    }

    ConfirmDialog {
        id: confirm
        objectName: "spaceConfirm"
        plan: m.trashPlan
        confirmText: I18n.L("Mover para a Lixeira")
        onConfirmed: m.trashSelection()
        onClosed: m.closePlan()
    }

    FolderPicker {
        id: chooser
        objectName: "spacePicker"
        title: I18n.L("Pasta a mostrar no mapa")
        startFolder: m.current
        onChosen: (path) => m.open(path, true)
    }
}
