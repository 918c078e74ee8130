import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillmoor

// The duplicates page: where to look, from what size and whether hidden
// folders count; the introduction with the phase, the files compared and the
// bytes read; then each group of identical files as a heading over its copies
// (the kept one marked and never ticked, a note where a copy starts unticked,
// frees nothing or was left by a removal, and why a click was refused), which
// copy stays (by rule, or "Keep this one" from a copy's menu: its ⋯ button, a
// right click, or the menu key on its box), and the two actions on the ticked
// copies, each confirmed.
Item {
    id: page
    objectName: "duplicatesView"

    readonly property bool listShown: DupesState.dupesScanned && !DupesState.dupesScanning
    // The date column's width, shared by the rows and their heading.
    readonly property int dateWidth: 104
    // The row whose box takes the keyboard focus once the list is made again
    // (a copy kept from the keyboard moves to the top of its group).
    property string focusRow: ""

    function minIndex() {
        const options = DupesState.dupesMinOptions
        for (let i = 0; i < options.length; ++i)
            if (options[i].bytes === DupesState.dupesMin)
                return i
        return -1
    }

    // Looks somewhere else; a list already shown is made again for the new place.
    function lookIn(folder) {
        const before = DupesState.dupesFolder
        DupesState.chooseDupesFolder(folder)
        if (DupesState.dupesScanned && DupesState.dupesFolder !== before)
            DupesState.scanDupes()
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 32
        anchors.bottomMargin: 24
        spacing: 16

        PageHeader {
            Layout.fillWidth: true
            eyebrow: I18n.L("Duplicados")
            l1: I18n.L("Cópias iguais,")
            l2: I18n.L("uma só basta.")
            sub: I18n.L("Compara o conteúdo de cada arquivo, não o nome. Uma cópia de cada grupo sempre fica, e a mantida nunca é removida.")
            GhostButton {
                id: placeButton
                objectName: "dupesPlaceButton"
                compact: true
                enabled: !DupesState.dupesScanning
                text: I18n.L("Trocar local") + "  ▾"
                onClicked: placeMenu.open()
                Menu {
                    id: placeMenu
                    objectName: "dupesPlaceMenu"
                    y: placeButton.height + 6
                    margins: 8  // kept inside the window, however near its edge the button sits
                    padding: 6
                    background: Card { implicitWidth: 300; radius: 10 }
                    MenuRow {
                        objectName: "dupesPlaceHome"
                        text: I18n.L("Pasta pessoal")
                        symbol: "house"
                        onTriggered: page.lookIn("")
                    }
                    MenuRow {
                        objectName: "dupesPlaceChoose"
                        text: I18n.L("Escolher pasta…")
                        symbol: "folder"
                        onTriggered: placeChooser.open()
                    }
                }
            }
            GhostButton {
                objectName: "dupesScanAgain"
                visible: page.listShown
                text: I18n.L("Analisar de novo")
                compact: true
                onClicked: DupesState.scanDupes()
            }
        }

        IgnoredCount { Layout.fillWidth: true; count: DupesState.ignoredCount }

        // What the next search takes: the place, the smallest file, hidden folders.
        RowLayout {
            objectName: "dupesOptions"
            Layout.fillWidth: true
            enabled: !DupesState.dupesScanning
            spacing: 10
            Icon { symbol: "folder"; size: 17; color: DS.muted }
            Text {
                textFormat: Text.PlainText
                objectName: "dupesFolderLabel"
                Layout.fillWidth: true
                text: I18n.isolate(DupesState.dupesFolderLabel)
                color: DS.text
                font.pixelSize: 13
                font.weight: Font.DemiBold
                elide: Text.ElideMiddle
                horizontalAlignment: Text.AlignLeft
            }
            Text {
                textFormat: Text.PlainText
                text: I18n.L("A partir de")
                color: DS.muted
                font.pixelSize: 12
            }
            Segmented {
                objectName: "dupesMinChoice"
                labels: DupesState.dupesMinOptions.map(o => o.label)
                current: page.minIndex()
                onChosen: (index) => DupesState.dupesMin = DupesState.dupesMinOptions[index].bytes
            }
            ThemedSwitch {
                objectName: "dupesHiddenSwitch"
                Layout.leftMargin: 8
                text: I18n.L("Incluir pastas ocultas")
                checked: DupesState.dupesHidden
                onToggled: {
                    DupesState.dupesHidden = checked
                    checked = Qt.binding(() => DupesState.dupesHidden)
                }
            }
        }

        ScanIntro {
            visible: !page.listShown
            Layout.fillWidth: true
            title: I18n.L("Arquivos guardados mais de uma vez")
            detail: DupesState.dupesScanning ? I18n.LF("%@ lidos", [Fmt.bytes(DupesState.dupesBytesRead)])
                                             : I18n.L("Fotos, downloads e documentos com o mesmo conteúdo, mesmo com outro nome.")
            scanning: DupesState.dupesScanning
            live: DupesState.dupesProgressTotal > 0
                  ? DupesState.dupesProgressFiles + " / " + DupesState.dupesProgressTotal
                  : Fmt.number(DupesState.dupesProgressFiles)
            liveCaption: DupesState.dupesPhase
            button: I18n.L("Analisar")
            stoppable: true
            onAction: DupesState.scanDupes()
            onStop: DupesState.cancelDupes()
        }
        Item { visible: !page.listShown; Layout.fillHeight: true }

        RowLayout {
            visible: page.listShown
            Layout.fillWidth: true
            spacing: 12
            Text {
                textFormat: Text.PlainText
                objectName: "dupesSummary"
                Layout.fillWidth: true
                opacity: DupesState.dupesGroupCount > 0 ? 1 : 0
                text: I18n.LP(DupesState.dupesGroupCount, "%ld grupos de cópias", [DupesState.dupesGroupCount])
                      + "  ·  " + I18n.LF("%@ a liberar", [Fmt.bytes(DupesState.dupesReclaimable)])
                color: DS.text
                font.pixelSize: 14
                font.weight: Font.DemiBold
                elide: Text.ElideRight
                horizontalAlignment: Text.AlignLeft
            }
            Text {
                textFormat: Text.PlainText
                objectName: "dupesUnreadable"
                visible: DupesState.dupesUnreadable > 0
                text: I18n.LP(DupesState.dupesUnreadable, "%ld arquivos não puderam ser lidos", [DupesState.dupesUnreadable])
                color: DS.warning
                font.pixelSize: 12
            }
        }

        // Which copy of each group stays, and the ticks all at once.
        RowLayout {
            visible: page.listShown && DupesState.dupesGroupCount > 0
            Layout.fillWidth: true
            spacing: 10
            Text {
                textFormat: Text.PlainText
                text: I18n.L("Manter")
                color: DS.muted
                font.pixelSize: 12
            }
            Segmented {
                objectName: "dupesKeepChoice"
                labels: DupesState.dupesKeepOptions
                current: DupesState.dupesKeepRule
                // "inside a folder" asks for the folder first; a dismissed dialog changes nothing
                onChosen: (index) => {
                    if (index === 3)
                        preferredChooser.open()
                    else
                        DupesState.dupesKeepRule = index
                }
            }
            Text {
                textFormat: Text.PlainText
                objectName: "dupesPreferred"
                Layout.fillWidth: true
                visible: DupesState.dupesKeepRule === 3
                text: I18n.isolate(DupesState.dupesPreferredLabel)
                color: DS.muted
                font.pixelSize: 12
                elide: Text.ElideMiddle
                horizontalAlignment: Text.AlignLeft
            }
            Item { visible: DupesState.dupesKeepRule !== 3; Layout.fillWidth: true }
            GhostButton {
                objectName: "dupesSelectAll"
                compact: true
                text: I18n.L("Selecionar tudo")
                onClicked: DupesState.selectAllDupes()
            }
            GhostButton {
                objectName: "dupesSelectNone"
                compact: true
                text: I18n.L("Nenhum")
                onClicked: DupesState.selectNoDupes()
            }
        }

        Card {
            visible: page.listShown
            Layout.fillWidth: true
            Layout.fillHeight: true

            ColumnLayout {
                objectName: "dupesEmpty"
                visible: DupesState.dupesGroupCount === 0
                anchors.centerIn: parent
                width: parent.width - 48
                spacing: 6
                Icon { Layout.alignment: Qt.AlignHCenter; symbol: "checkmark"; size: 30; color: DS.success }
                Text {
                    textFormat: Text.PlainText
                    Layout.fillWidth: true
                    text: I18n.L("Nenhuma cópia encontrada")
                    color: DS.text
                    font.pixelSize: 15
                    font.weight: Font.DemiBold
                    horizontalAlignment: Text.AlignHCenter
                }
                Text {
                    textFormat: Text.PlainText
                    Layout.fillWidth: true
                    text: I18n.L("Cada arquivo desta busca é único.") + " "
                          + I18n.L("Tente outra pasta, um tamanho mínimo menor ou incluir as pastas ocultas.")
                    color: DS.muted
                    font.pixelSize: 12
                    wrapMode: Text.Wrap
                    horizontalAlignment: Text.AlignHCenter
                }
                RowLayout {
                    Layout.alignment: Qt.AlignHCenter
                    Layout.topMargin: 6
                    spacing: 8
                    GhostButton {
                        objectName: "dupesEmptyChoose"
                        compact: true
                        text: I18n.L("Escolher pasta…")
                        onClicked: placeChooser.open()
                    }
                    GhostButton {
                        objectName: "dupesEmptyScan"
                        compact: true
                        text: I18n.L("Analisar de novo")
                        onClicked: DupesState.scanDupes()
                    }
                }
            }

            ListView {
                id: copies
                objectName: "dupesList"
                KeepFocusInView { flickable: copies }
                visible: DupesState.dupesGroupCount > 0
                anchors.fill: parent
                anchors.margins: 6
                clip: true
                model: DupesState.dupesModel
                boundsBehavior: Flickable.StopAtBounds
                // The heading of the date column.
                header: Item {
                    width: copies.width
                    height: 24
                    RowLayout {
                        anchors.fill: parent
                        anchors.leftMargin: 12
                        anchors.rightMargin: 10
                        spacing: 12
                        Item { Layout.fillWidth: true }
                        Text {
                            textFormat: Text.PlainText
                            objectName: "dupesDateHeading"
                            Layout.preferredWidth: page.dateWidth
                            text: I18n.L("Modificado em")
                            color: DS.muted
                            font.pixelSize: 11
                            elide: Text.ElideRight
                            horizontalAlignment: Text.AlignRight
                        }
                        Item { Layout.preferredWidth: 84 + 12 + 26 + 12 + 26 }  // the cost, the menu and reveal buttons
                    }
                }
                delegate: Item {
                    id: row
                    readonly property bool heading: model.kind === "group"
                    width: copies.width
                    height: heading ? (index === 0 ? 38 : 50) : 52

                    Loader {
                        anchors.fill: parent
                        sourceComponent: row.heading ? groupHeading : copyRow
                    }

                    // The group: the size of each copy, how many there are, what it can give back.
                    Component {
                        id: groupHeading
                        Item {
                            Rectangle {
                                anchors.fill: parent
                                anchors.topMargin: index === 0 ? 0 : 12
                                radius: 8
                                color: Qt.rgba(1, 1, 1, 0.035)
                                RowLayout {
                                    anchors.fill: parent
                                    anchors.leftMargin: 12
                                    anchors.rightMargin: 12
                                    spacing: 10
                                    Text {
                                        textFormat: Text.PlainText
                                        objectName: "dupesGroupTitle"
                                        Layout.fillWidth: true
                                        text: I18n.LP(model.count, "%ld cópias de %@", [model.count, Fmt.bytes(model.size)])
                                        color: DS.text
                                        font.pixelSize: 12
                                        font.weight: Font.DemiBold
                                        elide: Text.ElideRight
                                        horizontalAlignment: Text.AlignLeft
                                    }
                                    Text {
                                        textFormat: Text.PlainText
                                        visible: model.reclaimable > 0
                                        text: I18n.LF("%@ a liberar", [Fmt.bytes(model.reclaimable)])
                                        color: DS.glow
                                        font.pixelSize: 12
                                        font.weight: Font.DemiBold
                                    }
                                }
                            }
                        }
                    }

                    // One copy: its tick (refused, with the reason beside it, for the
                    // kept copy), where it is, why it stays, and its menu.
                    Component {
                        id: copyRow
                        Item {
                            TapHandler {
                                acceptedButtons: Qt.RightButton
                                onTapped: (point) => copyMenu.openCopy(model.rowId, model.kept, model.path, parent, point.position, false)
                            }
                            RowLayout {
                                anchors.fill: parent
                                anchors.leftMargin: 12
                                anchors.rightMargin: 10
                                spacing: 12
                                CheckBox {
                                    id: tick
                                    objectName: "dupeCheck-" + model.rowId
                                    on: model.selected
                                    // still takes the click, to say why it is refused
                                    opacity: model.mayTick ? 1 : 0.35
                                    Accessible.name: model.name
                                    Accessible.description: model.refusal
                                    onToggled: DupesState.toggleDupe(model.rowId)
                                    onMenuRequested: copyMenu.openCopy(model.rowId, model.kept, model.path, tick,
                                                                       Qt.point(0, tick.height), true)
                                    Connections {
                                        target: DupesState
                                        function onDupesGroupsChanged() {
                                            if (page.focusRow !== "" && page.focusRow === model.rowId) {
                                                page.focusRow = ""
                                                tick.forceActiveFocus()
                                            }
                                        }
                                    }
                                }
                                FileIcon { path: model.path; size: 26 }
                                ColumnLayout {
                                    Layout.fillWidth: true
                                    spacing: 1
                                    RowLayout {
                                        Layout.fillWidth: true
                                        spacing: 8
                                        Text {
                                            textFormat: Text.PlainText
                                            Layout.fillWidth: true
                                            // whole pixels: a width a fraction short would elide the name
                                            Layout.maximumWidth: Math.ceil(implicitWidth)
                                            text: I18n.isolate(model.name)
                                            color: DS.text
                                            font.pixelSize: 13
                                            elide: Text.ElideMiddle
                                            horizontalAlignment: Text.AlignLeft
                                        }
                                        Chip {
                                            objectName: "dupeKept"
                                            visible: model.kept
                                            text: I18n.L("Mantida")
                                            tint: DS.success
                                        }
                                        Item { Layout.fillWidth: true }
                                    }
                                    Text {
                                        textFormat: Text.PlainText
                                        Layout.fillWidth: true
                                        text: I18n.isolate(model.folder)
                                        color: DS.muted
                                        font.pixelSize: 11
                                        elide: Text.ElideMiddle
                                        horizontalAlignment: Text.AlignLeft
                                    }
                                }
                                // Why the last click here was refused, else the copy's note.
                                Text {
                                    textFormat: Text.PlainText
                                    objectName: model.refusal !== "" ? "dupeRefusal" : "dupeNote"
                                    visible: text !== ""
                                    Layout.maximumWidth: 250
                                    text: I18n.directed(model.refusal !== "" ? model.refusal : model.note)
                                    color: model.refusal !== "" ? DS.text : DS.warning
                                    font.pixelSize: 11
                                    font.weight: model.refusal !== "" ? Font.DemiBold : Font.Normal
                                    wrapMode: Text.Wrap
                                    maximumLineCount: 2
                                    elide: Text.ElideRight
                                }
                                Text {
                                    textFormat: Text.PlainText
                                    Layout.preferredWidth: page.dateWidth
                                    text: Fmt.date(model.modified)
                                    color: DS.muted
                                    font: DS.figureFont(text, 11)
                                    horizontalAlignment: Text.AlignRight
                                }
                                Text {
                                    textFormat: Text.PlainText
                                    Layout.preferredWidth: 84
                                    text: model.cost > 0 ? Fmt.bytes(model.cost) : "—"
                                    color: model.cost > 0 ? DS.text : DS.muted
                                    font: DS.mono(13, Font.DemiBold)
                                    horizontalAlignment: Text.AlignRight
                                }
                                Rectangle {
                                    id: more
                                    objectName: "dupeMenu-" + model.rowId
                                    width: 26
                                    height: 26
                                    radius: 7
                                    color: moreHover.hovered ? Qt.rgba(1, 1, 1, 0.06) : "transparent"
                                    activeFocusOnTab: true
                                    Accessible.role: Accessible.Button
                                    Accessible.name: I18n.L("Mais ações")
                                    FocusRing { shown: more.activeFocus; around: more.radius }
                                    // (a row the list is dropping has no window to show it in)
                                    HintTip { shown: moreHover.hovered && more.Window.window !== null; text: I18n.L("Mais ações") }
                                    Icon { anchors.centerIn: parent; symbol: "ellipsis.circle"; size: 16; color: moreHover.hovered ? DS.text : DS.muted }
                                    HoverHandler { id: moreHover; cursorShape: Qt.PointingHandCursor }
                                    TapHandler {
                                        gesturePolicy: TapHandler.ReleaseWithinBounds
                                        onTapped: copyMenu.openCopy(model.rowId, model.kept, model.path, more,
                                                                    Qt.point(0, more.height), false)
                                    }
                                    Keys.onPressed: (event) => {
                                        if (event.key === Qt.Key_Space || event.key === Qt.Key_Return || event.key === Qt.Key_Enter
                                                || event.key === Qt.Key_Menu) {
                                            copyMenu.openCopy(model.rowId, model.kept, model.path, more,
                                                              Qt.point(0, more.height), true)
                                            event.accepted = true
                                        }
                                    }
                                }
                                RevealButton { path: model.path }
                            }
                            Rectangle {
                                anchors.bottom: parent.bottom
                                anchors.left: parent.left
                                anchors.right: parent.right
                                anchors.leftMargin: 12
                                anchors.rightMargin: 12
                                height: 1
                                color: DS.border
                                visible: index < copies.count - 1
                            }
                        }
                    }
                }
            }
        }

        ActionBar {
            visible: page.listShown && DupesState.dupesGroupCount > 0
            Layout.fillWidth: true
            nothing: DupesState.dupesSelectedCount === 0
            caption: I18n.LP(DupesState.dupesSelectedCount, "%ld selecionados", [DupesState.dupesSelectedCount])
            value: Fmt.bytes(DupesState.dupesSelectedTotal)
            secondaryTitle: DupesState.dupesShareOffered ? I18n.L("Substituir por cópia compartilhada") : ""
            title: I18n.L("Mover para a Lixeira")
            disabled: DupesState.dupesSelectedCount <= 0
            onAction: {
                DupesState.planDupes(false)
                trashConfirm.open()
            }
            onSecondary: {
                DupesState.planDupes(true)
                shareConfirm.open()
            }
        }
    }

    // A copy's menu: keep this copy instead of the one kept now, or never offer it.
    PathMenu {
        id: copyMenu
        objectName: "dupeCopyMenu"
        property string rowId
        property bool kept
        function openCopy(row, isKept, rowPath, item, at, keyboard) {
            rowId = row
            kept = isKept
            openFor(rowPath, item, at, page, keyboard)
        }
        MenuRow {
            objectName: "dupeKeepThis"
            text: I18n.L("Manter esta")
            symbol: "checkmark"
            enabled: !copyMenu.kept
            onTriggered: {
                // the kept copy comes first in its group: the focus follows it there
                if (copyMenu.fromKeyboard)
                    page.focusRow = copyMenu.rowId.split(":")[0] + ":0"
                DupesState.keepDupe(copyMenu.rowId)
            }
        }
    }

    ConfirmDialog {
        id: trashConfirm
        objectName: "dupesTrashConfirm"
        plan: DupesState.dupesPlan
        confirmText: I18n.L("Mover para a Lixeira")
        onConfirmed: DupesState.trashDupes()
        onClosed: DupesState.closePlan()
    }

    ConfirmDialog {
        id: shareConfirm
        objectName: "dupesShareConfirm"
        plan: DupesState.dupesPlan
        confirmText: I18n.L("Substituir")
        onConfirmed: DupesState.shareDupes()
        onClosed: DupesState.closePlan()
    }

    FolderPicker {
        id: placeChooser
        objectName: "dupesPlacePicker"
        title: I18n.L("Pasta onde procurar cópias")
        startFolder: DupesState.dupesFolder
        onChosen: (path) => page.lookIn(path)
    }

    FolderPicker {
        id: preferredChooser
        objectName: "dupesPreferredPicker"
        title: I18n.L("Pasta cujas cópias ficam")
        startFolder: DupesState.dupesFolder
        onChosen: (path) => DupesState.preferDupesFolder(path)
    }
}
