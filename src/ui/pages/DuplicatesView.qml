import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Quillmoor

// The duplicates page, in three views chosen at its top: identical copies,
// pictures that look alike, and empty folders with broken links. Each view
// keeps its own list; the place, the hidden option, the confirmation and the
// Trash are the same. The copies' views: where to look, from what size and whether hidden
// folders count; the introduction with the phase, the files compared and the
// bytes read; then each group of identical files (or of pictures, each with
// its thumbnail, resolution, size and format) as a heading over its copies
// (the kept one marked and never ticked, a note where a copy starts unticked,
// frees nothing or was left by a removal, and why a click was refused), which
// copy stays (by rule, or "Keep this one" from a copy's menu: its ⋯ button, a
// right click, or the menu key on its box), and the two actions on the ticked
// copies, each confirmed.
Item {
    id: page
    objectName: "duplicatesView"

    readonly property int view: DupesState.dupesView
    readonly property bool similar: view === 1
    readonly property bool lint: view === 2
    readonly property bool scanning: lint ? LintState.lintScanning : DupesState.dupesScanning
    readonly property bool listShown: lint ? LintState.lintScanned && !LintState.lintScanning
                                           : DupesState.dupesScanned && !DupesState.dupesScanning
    // Whether the list of the view has anything in it.
    readonly property bool anyFound: lint ? LintState.lintCount > 0 : DupesState.dupesGroupCount > 0
    // The date column's width, shared by the rows and their heading.
    // (wider beside the pictures' resolution, where a long date has no room to spill into)
    readonly property int dateWidth: similar ? 132 : 104
    // The pictures' resolution and format column.
    readonly property int pictureWidth: 112
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

    // Searches again with the view's own search.
    function scan() {
        if (lint)
            LintState.scanLint()
        else
            DupesState.scanDupes()
    }

    // Looks somewhere else; the list of the view, when one is shown, is made again for the new place.
    function lookIn(folder) {
        const before = DupesState.dupesFolder
        DupesState.chooseDupesFolder(folder)
        if ((lint ? LintState.lintScanned : DupesState.dupesScanned) && DupesState.dupesFolder !== before)
            scan()
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 32
        anchors.bottomMargin: 24
        spacing: 16

        PageHeader {
            Layout.fillWidth: true
            eyebrow: I18n.L("Duplicados")
            l1: page.lint ? I18n.L("Pastas vazias,") : page.similar ? I18n.L("A mesma foto,") : I18n.L("Cópias iguais,")
            l2: page.lint ? I18n.L("links sem destino.") : page.similar ? I18n.L("guardada uma vez.") : I18n.L("uma só basta.")
            sub: page.lint ? I18n.L("Pastas que só guardam pastas vazias e links cujo destino não existe mais. O que os programas precisam fica.")
               : page.similar ? I18n.L("Encontra a mesma foto em outro tamanho, formato ou compressão. Nada vem marcado: você escolhe o que sai.")
               : I18n.L("Compara o conteúdo de cada arquivo, não o nome. Uma cópia de cada grupo sempre fica, e a mantida nunca é removida.")
            GhostButton {
                id: placeButton
                objectName: "dupesPlaceButton"
                compact: true
                enabled: !page.scanning
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
                onClicked: page.scan()
            }
        }

        // The three views; each keeps its own list.
        Segmented {
            objectName: "dupesViewChoice"
            labels: [I18n.L("Cópias idênticas"), I18n.L("Fotos parecidas"), I18n.L("Pastas vazias e links quebrados")]
            current: page.view
            onChosen: (index) => DupesState.dupesView = index
        }

        IgnoredCount { Layout.fillWidth: true; count: page.lint ? LintState.ignoredCount : DupesState.ignoredCount }

        // What the next search takes: the place, the smallest file, hidden folders.
        RowLayout {
            objectName: "dupesOptions"
            Layout.fillWidth: true
            enabled: !page.scanning
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
                visible: !page.lint
                text: I18n.L("A partir de")
                color: DS.muted
                font.pixelSize: 12
            }
            Segmented {
                objectName: "dupesMinChoice"
                visible: !page.lint
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

        // How alike the pictures of a group must be (the pictures' view).
        RowLayout {
            objectName: "dupesLevelRow"
            visible: page.similar
            Layout.fillWidth: true
            enabled: !page.scanning
            spacing: 10
            Icon { symbol: "photo"; size: 17; color: DS.muted }
            Text {
                textFormat: Text.PlainText
                text: I18n.L("Semelhança")
                color: DS.muted
                font.pixelSize: 12
            }
            Segmented {
                objectName: "dupesLevelChoice"
                labels: DupesState.dupesLevelOptions
                current: DupesState.dupesLevel - 1
                onChosen: (index) => DupesState.dupesLevel = index + 1
            }
            Item { Layout.fillWidth: true }
        }

        ScanIntro {
            visible: !page.listShown && !page.lint
            Layout.fillWidth: true
            title: page.similar ? I18n.L("Fotos que parecem a mesma") : I18n.L("Arquivos guardados mais de uma vez")
            detail: DupesState.dupesScanning && !page.similar ? I18n.LF("%@ lidos", [Fmt.bytes(DupesState.dupesBytesRead)])
                  : page.similar ? I18n.L("Redimensionadas, comprimidas de novo, em outro formato, giradas ou espelhadas.")
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
        ScanIntro {
            objectName: "lintIntro"
            visible: !page.listShown && page.lint
            Layout.fillWidth: true
            title: I18n.L("Pastas vazias e links quebrados")
            detail: I18n.L("Pastas que só guardam pastas vazias, e links que apontam para o que não existe mais.")
            scanning: LintState.lintScanning
            live: Fmt.number(LintState.lintProgress)
            liveCaption: I18n.L("Itens verificados")
            button: I18n.L("Analisar")
            stoppable: true
            onAction: LintState.scanLint()
            onStop: LintState.cancelLint()
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
                opacity: page.anyFound ? 1 : 0
                text: page.lint ? I18n.LP(LintState.lintCount, "%ld itens", [LintState.lintCount])
                    : page.similar ? I18n.LP(DupesState.dupesGroupCount, "%ld grupos de fotos parecidas", [DupesState.dupesGroupCount])
                    : I18n.LP(DupesState.dupesGroupCount, "%ld grupos de cópias", [DupesState.dupesGroupCount])
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
                visible: !page.lint && DupesState.dupesUnreadable > 0
                text: page.similar ? I18n.LP(DupesState.dupesUnreadable, "%ld imagens não puderam ser lidas", [DupesState.dupesUnreadable])
                                   : I18n.LP(DupesState.dupesUnreadable, "%ld arquivos não puderam ser lidos", [DupesState.dupesUnreadable])
                color: DS.warning
                font.pixelSize: 12
            }
            Text {
                textFormat: Text.PlainText
                objectName: "dupesTooLarge"
                visible: page.similar && DupesState.dupesTooLarge > 0
                text: I18n.LP(DupesState.dupesTooLarge, "%ld imagens grandes demais", [DupesState.dupesTooLarge])
                color: DS.warning
                font.pixelSize: 12
            }
        }

        // Which copy of each group stays, and the ticks all at once.
        RowLayout {
            visible: page.listShown && page.anyFound
            Layout.fillWidth: true
            spacing: 10
            Text {
                textFormat: Text.PlainText
                visible: !page.lint
                text: I18n.L("Manter")
                color: DS.muted
                font.pixelSize: 12
            }
            Text {
                textFormat: Text.PlainText
                objectName: "dupesKeepPixels"
                visible: page.similar
                text: I18n.L("a de mais pixels")
                color: DS.text
                font.pixelSize: 12
                font.weight: Font.DemiBold
            }
            Segmented {
                objectName: "dupesKeepChoice"
                visible: page.view === 0
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
                visible: page.view === 0 && DupesState.dupesKeepRule === 3
                text: I18n.isolate(DupesState.dupesPreferredLabel)
                color: DS.muted
                font.pixelSize: 12
                elide: Text.ElideMiddle
                horizontalAlignment: Text.AlignLeft
            }
            Item { visible: page.view !== 0 || DupesState.dupesKeepRule !== 3; Layout.fillWidth: true }
            GhostButton {
                objectName: page.similar ? "dupesSelectSmaller" : "dupesSelectAll"
                compact: true
                text: page.similar ? I18n.L("Selecionar as menores") : I18n.L("Selecionar tudo")
                onClicked: page.lint ? LintState.selectAllLint() : DupesState.selectAllDupes()
            }
            GhostButton {
                objectName: "dupesSelectNone"
                compact: true
                text: I18n.L("Nenhum")
                onClicked: page.lint ? LintState.selectNoLint() : DupesState.selectNoDupes()
            }
        }

        Card {
            visible: page.listShown
            Layout.fillWidth: true
            Layout.fillHeight: true

            ColumnLayout {
                objectName: "dupesEmpty"
                visible: !page.anyFound
                anchors.centerIn: parent
                width: parent.width - 48
                spacing: 6
                Icon { Layout.alignment: Qt.AlignHCenter; symbol: "checkmark"; size: 30; color: DS.success }
                Text {
                    textFormat: Text.PlainText
                    Layout.fillWidth: true
                    text: page.lint ? I18n.L("Nenhuma pasta vazia nem link quebrado")
                        : page.similar ? I18n.L("Nenhuma foto parecida encontrada")
                        : I18n.L("Nenhuma cópia encontrada")
                    color: DS.text
                    font.pixelSize: 15
                    font.weight: Font.DemiBold
                    horizontalAlignment: Text.AlignHCenter
                }
                Text {
                    textFormat: Text.PlainText
                    Layout.fillWidth: true
                    text: page.view === 0 ? I18n.L("Cada arquivo desta busca é único.") + " "
                                            + I18n.L("Tente outra pasta, um tamanho mínimo menor ou incluir as pastas ocultas.")
                                          : I18n.L("Tente outra pasta ou incluir as pastas ocultas.")
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
                        onClicked: page.scan()
                    }
                }
            }

            ListView {
                id: copies
                objectName: "dupesList"
                KeepFocusInView { flickable: copies }
                visible: !page.lint && DupesState.dupesGroupCount > 0
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
                            visible: page.similar
                            Layout.preferredWidth: page.pictureWidth
                            text: I18n.L("Resolução")
                            color: DS.muted
                            font.pixelSize: 11
                            elide: Text.ElideRight
                            horizontalAlignment: Text.AlignRight
                        }
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
                    height: heading ? (index === 0 ? 38 : 50) : (page.similar ? 68 : 52)

                    Loader {
                        anchors.fill: parent
                        sourceComponent: row.heading ? groupHeading : copyRow
                    }

                    // The group: the size of each copy (or how many pictures look alike),
                    // how many there are, what it can give back.
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
                                        text: model.similar ? I18n.LP(model.count, "%ld fotos parecidas", [model.count])
                                                            : I18n.LP(model.count, "%ld cópias de %@", [model.count, Fmt.bytes(model.size)])
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
                                FileIcon { visible: !page.similar; path: model.path; size: 26 }
                                // A picture: small, turned as its EXIF says.
                                Rectangle {
                                    visible: page.similar
                                    width: 56
                                    height: 56
                                    radius: 6
                                    color: Qt.rgba(1, 1, 1, 0.04)
                                    clip: true
                                    Image {
                                        id: thumb
                                        objectName: "dupeThumb"
                                        anchors.fill: parent
                                        source: page.similar ? model.url : ""
                                        sourceSize: Qt.size(96, 96)
                                        asynchronous: true
                                        autoTransform: true
                                        fillMode: Image.PreserveAspectCrop
                                    }
                                    Icon {
                                        visible: thumb.status !== Image.Ready
                                        anchors.centerIn: parent
                                        symbol: "photo"
                                        size: 20
                                        color: DS.muted
                                    }
                                }
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
                                ColumnLayout {
                                    visible: page.similar
                                    Layout.preferredWidth: page.pictureWidth
                                    spacing: 1
                                    Text {
                                        textFormat: Text.PlainText
                                        objectName: "dupeResolution"
                                        Layout.fillWidth: true
                                        text: I18n.isolate(model.resolution)
                                        color: DS.text
                                        font: DS.mono(12, Font.Normal)
                                        horizontalAlignment: Text.AlignRight
                                    }
                                    Text {
                                        textFormat: Text.PlainText
                                        Layout.fillWidth: true
                                        text: model.format
                                        color: DS.muted
                                        font.pixelSize: 11
                                        horizontalAlignment: Text.AlignRight
                                    }
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
                                    // a picture: its own size; an identical copy: what removing it frees
                                    text: page.similar ? Fmt.bytes(model.bytes) : model.cost > 0 ? Fmt.bytes(model.cost) : "—"
                                    color: page.similar || model.cost > 0 ? DS.text : DS.muted
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

            LintList {
                visible: page.lint && LintState.lintCount > 0
                anchors.fill: parent
                anchors.margins: 6
            }
        }

        ActionBar {
            visible: page.listShown && !page.lint && DupesState.dupesGroupCount > 0
            Layout.fillWidth: true
            nothing: DupesState.dupesSelectedCount === 0
            caption: I18n.LP(DupesState.dupesSelectedCount, "%ld selecionados", [DupesState.dupesSelectedCount])
            value: Fmt.bytes(DupesState.dupesSelectedTotal)
            // pictures that look alike are never made to share data
            secondaryTitle: DupesState.dupesShareOffered && !page.similar ? I18n.L("Substituir por cópia compartilhada") : ""
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

        ActionBar {
            objectName: "lintActionBar"
            visible: page.listShown && page.lint && LintState.lintCount > 0
            Layout.fillWidth: true
            nothing: LintState.lintSelectedCount === 0
            caption: I18n.LP(LintState.lintSelectedCount, "%ld selecionados", [LintState.lintSelectedCount])
            value: I18n.LP(LintState.lintSelectedCount, "%ld itens", [LintState.lintSelectedCount])
            title: I18n.L("Remover")
            disabled: LintState.lintSelectedCount <= 0
            onAction: {
                LintState.planLint()
                lintConfirm.open()
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
        id: lintConfirm
        objectName: "lintConfirm"
        plan: LintState.lintPlan
        confirmText: I18n.L("Remover")
        onConfirmed: LintState.removeLint()
        onClosed: LintState.closePlan()
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
