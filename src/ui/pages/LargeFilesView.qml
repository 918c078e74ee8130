import QtQuick
import QtQuick.Layouts
import Quillmoor

// The large-file page: the threshold, the introduction with its live count and
// stop button, then the files (largest or oldest first), the action bar and
// the confirmation before moving them to the Trash.
Item {
    id: page
    objectName: "largeFilesView"
    property bool sortByAge: false
    // The date column's width, shared by the rows and their heading.
    readonly property int dateWidth: 104

    function thresholdIndex() {
        const options = LargeState.largeOptions
        for (let i = 0; i < options.length; ++i)
            if (options[i].bytes === LargeState.largeMin)
                return i
        return -1
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 32
        anchors.bottomMargin: 24
        spacing: 18

        PageHeader {
            Layout.fillWidth: true
            eyebrow: I18n.L("Arquivos grandes")
            l1: I18n.L("Encontre o que pesa,")
            l2: I18n.L("decida o que fica.")
            sub: I18n.L("Busca na sua pasta pessoal (fora da Biblioteca). Tudo vai para a Lixeira, então dá para recuperar.")
            Segmented {
                objectName: "thresholdChoice"
                labels: LargeState.largeOptions.map(o => o.label)
                current: page.thresholdIndex()
                onChosen: (index) => LargeState.largeMin = LargeState.largeOptions[index].bytes
            }
            GhostButton {
                visible: LargeState.largeScanned && !LargeState.largeScanning
                text: I18n.L("Analisar de novo")
                compact: true
                onClicked: LargeState.scanLarge()
            }
        }

        IgnoredCount { Layout.fillWidth: true; count: LargeState.ignoredCount }

        ScanIntro {
            visible: !LargeState.largeScanned || LargeState.largeScanning
            Layout.fillWidth: true
            title: I18n.LF("Arquivos acima de %@", [LargeState.largeMinLabel])
            detail: I18n.L("Vídeos, projetos, instaladores e backups esquecidos.")
            scanning: LargeState.largeScanning
            live: Fmt.number(LargeState.largeProgress)
            liveCaption: I18n.L("Itens verificados")
            button: I18n.L("Analisar")
            stoppable: true
            onAction: LargeState.scanLarge()
            onStop: LargeState.cancelLarge()
        }
        Item { visible: !LargeState.largeScanned || LargeState.largeScanning; Layout.fillHeight: true }

        RowLayout {
            visible: LargeState.largeScanned && !LargeState.largeScanning && LargeState.largeCount > 0
            Layout.fillWidth: true
            Text {
                textFormat: Text.PlainText
                objectName: "largeSummary"
                Layout.fillWidth: true
                // The threshold the shown list was made with, which is not the
                // chosen one when the choice went below the last walk's.
                text: I18n.directed(LargeState.largeSummary)
                color: DS.text
                font.pixelSize: 14
                font.weight: Font.DemiBold
                horizontalAlignment: Text.AlignLeft
            }
            Segmented {
                objectName: "orderChoice"
                labels: [I18n.L("Maiores"), I18n.L("Mais antigos")]
                current: page.sortByAge ? 1 : 0
                onChosen: (index) => page.sortByAge = index === 1
            }
        }

        RowLayout {
            objectName: "largeListAboveMin"
            visible: LargeState.largeListAboveMin && !LargeState.largeScanning
            Layout.fillWidth: true
            Text {
                textFormat: Text.PlainText
                Layout.fillWidth: true
                wrapMode: Text.Wrap
                text: I18n.LF("Esta lista foi feita para arquivos acima de %@. Analise de novo para ver os menores.", [LargeState.largeShownMinLabel])
                color: DS.muted
                font.pixelSize: 13
                horizontalAlignment: Text.AlignLeft
            }
            GhostButton {
                text: I18n.L("Analisar de novo")
                compact: true
                onClicked: LargeState.scanLarge()
            }
        }

        Card {
            visible: LargeState.largeScanned && !LargeState.largeScanning
            Layout.fillWidth: true
            Layout.fillHeight: true

            // Nothing reached the threshold: what the walk looked for, and what can be done.
            ColumnLayout {
                objectName: "largeEmpty"
                visible: LargeState.largeCount === 0
                anchors.centerIn: parent
                width: Math.min(parent.width - 48, 480)
                spacing: 8
                Icon { Layout.alignment: Qt.AlignHCenter; symbol: "checkmark"; size: 30; color: DS.success }
                Text {
                    textFormat: Text.PlainText
                    objectName: "largeEmptyTitle"
                    Layout.fillWidth: true
                    text: I18n.directed(LargeState.largeSummary)
                    color: DS.text
                    font.pixelSize: 15
                    font.weight: Font.DemiBold
                    wrapMode: Text.Wrap
                    horizontalAlignment: Text.AlignHCenter
                }
                Text {
                    textFormat: Text.PlainText
                    objectName: "largeEmptyHint"
                    Layout.fillWidth: true
                    visible: text !== ""
                    // a list made for a larger threshold says so above it already
                    text: LargeState.largeListAboveMin ? ""
                          : LargeState.largeMin > LargeState.largeOptions[0].bytes
                            ? I18n.L("Nada na sua pasta pessoal chega a esse tamanho.") + " "
                              + I18n.L("Escolha um tamanho menor acima e analise de novo.")
                            : I18n.L("Nada na sua pasta pessoal chega a esse tamanho.")
                    color: DS.muted
                    font.pixelSize: 12
                    wrapMode: Text.Wrap
                    horizontalAlignment: Text.AlignHCenter
                }
                GhostButton {
                    objectName: "largeEmptyScan"
                    Layout.alignment: Qt.AlignHCenter
                    Layout.topMargin: 6
                    compact: true
                    text: I18n.L("Analisar de novo")
                    onClicked: LargeState.scanLarge()
                }
            }

            ListView {
                id: files
                visible: LargeState.largeCount > 0
                objectName: "largeFiles"
                KeepFocusInView { flickable: files }
                anchors.fill: parent
                anchors.margins: 6
                clip: true
                model: page.sortByAge ? LargeState.largeFileModelByAge : LargeState.largeFileModel
                boundsBehavior: Flickable.StopAtBounds
                // The heading of the date column: the last time each file was read.
                header: Item {
                    width: files.width
                    height: 24
                    RowLayout {
                        anchors.fill: parent
                        anchors.leftMargin: 12
                        anchors.rightMargin: 10
                        spacing: 12
                        Item { Layout.fillWidth: true }
                        Text {
                            textFormat: Text.PlainText
                            objectName: "largeDateHeading"
                            Layout.preferredWidth: page.dateWidth
                            text: I18n.L("Último acesso")
                            color: DS.muted
                            font.pixelSize: 11
                            elide: Text.ElideRight
                            horizontalAlignment: Text.AlignRight
                        }
                        Item { Layout.preferredWidth: 84 + 12 + 26 }  // the size and the reveal button
                    }
                }
                delegate: Item {
                    width: files.width
                    height: 52
                    TapHandler {
                        acceptedButtons: Qt.RightButton
                        onTapped: (point) => rowMenu.openFor(model.path, parent, point.position, page, false)
                    }
                    RowLayout {
                        anchors.fill: parent
                        anchors.leftMargin: 12
                        anchors.rightMargin: 10
                        spacing: 12
                        CheckBox {
                            id: tick
                            objectName: "largeCheck-" + index
                            on: model.selected
                            onToggled: LargeState.toggleLargeFile(model.fileId)
                            onMenuRequested: rowMenu.openFor(model.path, tick, Qt.point(0, tick.height), page, true)
                        }
                        FileIcon { path: model.path; size: 26 }
                        ColumnLayout {
                            Layout.fillWidth: true
                            spacing: 1
                            Text {
                                textFormat: Text.PlainText
                                Layout.fillWidth: true
                                text: I18n.isolate(model.name)
                                color: DS.text
                                font.pixelSize: 13
                                elide: Text.ElideMiddle
                                horizontalAlignment: Text.AlignLeft
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
                        Text {
                            textFormat: Text.PlainText
                            Layout.preferredWidth: page.dateWidth
                            text: Fmt.date(model.accessed)
                            color: DS.muted
                            font: DS.figureFont(text, 11)
                            horizontalAlignment: Text.AlignRight
                        }
                        Text {
                            textFormat: Text.PlainText
                            Layout.preferredWidth: 84
                            text: Fmt.bytes(model.size)
                            color: DS.text
                            font: DS.mono(13, Font.DemiBold)
                            horizontalAlignment: Text.AlignRight
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
                        visible: index < files.count - 1
                    }
                }
            }
        }

        ActionBar {
            visible: LargeState.largeScanned && !LargeState.largeScanning
            Layout.fillWidth: true
            nothing: LargeState.largeSelectedCount === 0
            caption: I18n.LP(LargeState.largeSelectedCount, "%ld selecionados", [LargeState.largeSelectedCount])
            value: Fmt.bytes(LargeState.largeSelectedTotal)
            title: I18n.L("Mover para a Lixeira")
            disabled: LargeState.largeSelectedTotal <= 0
            onAction: {
                LargeState.planTrash()
                confirm.open()
            }
        }
    }

    PathMenu {
        id: rowMenu
        objectName: "largeRowMenu"
    }

    ConfirmDialog {
        id: confirm
        objectName: "largeConfirm"
        plan: LargeState.trashPlan
        confirmText: I18n.L("Mover para a Lixeira")
        onConfirmed: LargeState.trashLarge()
        onClosed: LargeState.closePlan()
    }
}
