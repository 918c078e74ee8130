import QtQuick
import QtQuick.Layouts
import Quillmoor

// The uninstaller: the applications (searchable, with their sizes as they are
// measured) beside the chosen one's bundle and leftovers, the action bar and
// the confirmation before uninstalling.
Item {
    id: page
    objectName: "uninstallerView"
    property string search: ""

    // Listed again when something was installed or removed since the last listing.
    Component.onCompleted: UninstallerState.pageShown()

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 32
        anchors.bottomMargin: 24
        spacing: 18

        PageHeader {
            Layout.fillWidth: true
            eyebrow: I18n.L("Apps")
            l1: I18n.L("Desinstale por completo,")
            l2: I18n.L("sem deixar rastros.")
            // no count before the listing, and none of nothing (the list says it)
            sub: UninstallerState.appCount === 0 ? ""
                 : I18n.LP(UninstallerState.appCount, "%ld apps encontrados. Escolha um para ver o app e tudo o que ele espalhou pela Biblioteca.", [UninstallerState.appCount])
            GhostButton {
                objectName: "appsRefresh"
                text: I18n.L("Atualizar")
                compact: true
                onClicked: UninstallerState.loadApps()
            }
        }

        IgnoredCount { Layout.fillWidth: true; count: UninstallerState.ignoredCount }

        RowLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            spacing: 16

            // the applications
            Card {
                Layout.preferredWidth: 300
                Layout.fillHeight: true
                ColumnLayout {
                    anchors.fill: parent
                    anchors.margins: 10
                    spacing: 8
                    SearchField {
                        objectName: "appSearch"
                        Layout.fillWidth: true
                        placeholderText: I18n.L("Buscar app")
                        text: page.search
                        onTextEdited: page.search = text
                    }
                    ListView {
                        id: appList
                        objectName: "appList"
                        Layout.fillWidth: true
                        Layout.fillHeight: true
                        clip: true
                        boundsBehavior: Flickable.StopAtBounds
                        model: AppFilterModel {
                            sourceModel: UninstallerState.appModel
                            search: page.search
                        }
                        // An empty list says why: nothing matches the search, or nothing was found.
                        ColumnLayout {
                            objectName: "appsEmpty"
                            parent: appList  // over the list itself, not inside its scrolled content
                            visible: appList.count === 0 && (UninstallerState.appsListed || page.search !== "")
                            anchors.centerIn: parent
                            width: parent.width - 24
                            spacing: 8
                            Text {
                                textFormat: Text.PlainText
                                objectName: "appsEmptyText"
                                Layout.fillWidth: true
                                text: UninstallerState.appCount > 0 ? I18n.LF("Nenhum app corresponde a “%@”", [page.search])
                                                                    : I18n.L("Nenhum app encontrado")
                                color: DS.muted
                                font.pixelSize: 13
                                wrapMode: Text.Wrap
                                horizontalAlignment: Text.AlignHCenter
                            }
                            GhostButton {
                                Layout.alignment: Qt.AlignHCenter
                                visible: UninstallerState.appCount === 0
                                compact: true
                                text: I18n.L("Atualizar")
                                onClicked: UninstallerState.loadApps()
                            }
                        }
                        delegate: Rectangle {
                            required property string appId
                            required property string name
                            required property string icon
                            required property string owner
                            required property string version
                            required property var size
                            readonly property bool chosen: appId === UninstallerState.selectedApp
                            objectName: "appRow"
                            width: appList.width
                            height: owner !== "" ? 50 : 44
                            radius: 10
                            color: chosen ? DS.withAlpha(DS.primary, 0.18) : (rowMouse.containsMouse ? DS.elevated : "transparent")
                            activeFocusOnTab: true
                            Keys.onSpacePressed: choose()
                            Keys.onReturnPressed: choose()
                            function choose() {
                                Sound.play("tick")
                                UninstallerState.selectApp(appId)
                            }
                            RowLayout {
                                anchors.fill: parent
                                anchors.leftMargin: 10
                                anchors.rightMargin: 10
                                spacing: 10
                                AppIcon { source: icon }
                                ColumnLayout {
                                    Layout.fillWidth: true
                                    spacing: 1
                                    Text {
                                        Layout.fillWidth: true
                                        text: I18n.isolate(name)
                                        textFormat: Text.PlainText
                                        color: DS.text
                                        font.pixelSize: 13
                                        font.weight: chosen ? Font.DemiBold : Font.Normal
                                        elide: Text.ElideRight
                                        horizontalAlignment: Text.AlignLeft
                                    }
                                    Text {
                                        objectName: "appRowOwner"
                                        Layout.fillWidth: true
                                        visible: owner !== ""
                                        // who installed it, in words, then the version as itself
                                        text: I18n.directed(owner + (version !== "" ? " · " + I18n.isolate(version) : ""))
                                        textFormat: Text.PlainText
                                        color: DS.muted
                                        font.pixelSize: 10
                                        elide: Text.ElideRight
                                        horizontalAlignment: Text.AlignLeft
                                    }
                                }
                                Text {
                                    textFormat: Text.PlainText
                                    text: Fmt.bytes(size)
                                    color: DS.muted
                                    font: DS.mono(11)
                                }
                            }
                            MouseArea {
                                id: rowMouse
                                anchors.fill: parent
                                hoverEnabled: true
                                cursorShape: Qt.PointingHandCursor
                                onClicked: parent.choose()
                            }
                        }
                    }
                }
            }

            // the chosen application
            Card {
                Layout.fillWidth: true
                Layout.fillHeight: true

                ColumnLayout {
                    objectName: "appEmpty"
                    visible: UninstallerState.selectedApp === ""
                    anchors.centerIn: parent
                    width: parent.width - 48
                    spacing: 10
                    Chip { Layout.alignment: Qt.AlignHCenter; symbol: "app.badge" }
                    Text {
                        Layout.fillWidth: true
                        text: I18n.L("Escolha um app na lista")
                        color: DS.text
                        font.pixelSize: 15
                        font.weight: Font.DemiBold
                        horizontalAlignment: Text.AlignHCenter
                        wrapMode: Text.Wrap
                    }
                    Text {
                        Layout.fillWidth: true
                        text: I18n.L("Mostramos o app e todos os restos que ele deixou.")
                        color: DS.muted
                        font.pixelSize: 12
                        horizontalAlignment: Text.AlignHCenter
                        wrapMode: Text.Wrap
                    }
                }

                ColumnLayout {
                    objectName: "appSearching"
                    visible: UninstallerState.selectedApp !== "" && UninstallerState.appLoading
                    anchors.centerIn: parent
                    width: Math.min(260, parent.width - 48)
                    spacing: 10
                    SignalLine { Layout.fillWidth: true; active: parent.visible }
                    Text {
                        Layout.fillWidth: true
                        text: I18n.L("Procurando restos…")
                        color: DS.muted
                        font.pixelSize: 13
                        horizontalAlignment: Text.AlignHCenter
                    }
                }

                ColumnLayout {
                    objectName: "appDetail"
                    visible: UninstallerState.selectedApp !== "" && !UninstallerState.appLoading
                    anchors.fill: parent
                    anchors.margins: 16
                    spacing: 12
                    RowLayout {
                        Layout.fillWidth: true
                        spacing: 12
                        AppIcon { source: UninstallerState.selectedAppInfo.icon || "" }
                        ColumnLayout {
                            Layout.fillWidth: true
                            spacing: 2
                            RowLayout {
                                Layout.fillWidth: true
                                spacing: 8
                                Text {
                                    textFormat: Text.PlainText
                                    Layout.fillWidth: true
                                    // whole pixels: a width a fraction short would elide the name
                                    Layout.maximumWidth: Math.ceil(implicitWidth)
                                    text: I18n.isolate(UninstallerState.selectedAppInfo.name || "")
                                    color: DS.text
                                    font.pixelSize: 17
                                    font.weight: Font.Bold
                                    elide: Text.ElideMiddle
                                    horizontalAlignment: Text.AlignLeft
                                }
                                Chip {
                                    visible: (UninstallerState.selectedAppInfo.version || "") !== ""
                                    text: "v" + (UninstallerState.selectedAppInfo.version || "")
                                    tint: DS.muted
                                }
                                Chip {
                                    objectName: "appOwner"
                                    visible: (UninstallerState.selectedAppInfo.owner || "") !== ""
                                    text: UninstallerState.selectedAppInfo.owner || ""
                                    tint: DS.primary
                                }
                                Item { Layout.fillWidth: true }
                            }
                            Text {
                                Layout.fillWidth: true
                                text: I18n.isolate(UninstallerState.selectedAppInfo.bundleID || "")
                                textFormat: Text.PlainText
                                color: DS.muted
                                font: DS.mono(11)
                                elide: Text.ElideRight
                                horizontalAlignment: Text.AlignLeft
                            }
                            Text {
                                objectName: "appWhy"
                                Layout.fillWidth: true
                                visible: text !== ""
                                text: UninstallerState.selectedAppInfo.why || ""
                                textFormat: Text.PlainText
                                color: DS.warning
                                font.pixelSize: 11
                                wrapMode: Text.Wrap
                                horizontalAlignment: Text.AlignLeft
                            }
                        }
                    }
                    Rectangle { Layout.fillWidth: true; height: 1; color: DS.border }
                    ListView {
                        id: fileList
                        objectName: "appFiles"
                        KeepFocusInView { flickable: fileList }
                        Layout.fillWidth: true
                        Layout.fillHeight: true
                        clip: true
                        boundsBehavior: Flickable.StopAtBounds
                        model: UninstallerState.appFileModel
                        delegate: Item {
                            id: fileRow
                            required property string fileId
                            required property string name
                            required property string path
                            required property var size
                            required property bool selected
                            required property string note
                            required property int index
                            // the application's own item comes first; the leftovers may be ignored
                            readonly property bool leftover: index > 0 && path !== ""
                            width: fileList.width
                            height: note !== "" ? 46 : 38
                            TapHandler {
                                acceptedButtons: Qt.RightButton
                                enabled: fileRow.leftover
                                onTapped: (point) => rowMenu.openFor(fileRow.path, fileRow, point.position, page, false)
                            }
                            RowLayout {
                                anchors.fill: parent
                                anchors.leftMargin: 4
                                anchors.rightMargin: 4
                                spacing: 12
                                CheckBox {
                                    id: fileTick
                                    on: selected
                                    onToggled: UninstallerState.toggleAppFile(fileId)
                                    onMenuRequested: if (fileRow.leftover)
                                                         rowMenu.openFor(fileRow.path, fileTick, Qt.point(0, fileTick.height), page, true)
                                }
                                FileIcon { path: fileRow.path; size: 16 }
                                ColumnLayout {
                                    Layout.fillWidth: true
                                    spacing: 1
                                    Text {
                                        Layout.fillWidth: true
                                        text: I18n.isolate(name)
                                        textFormat: Text.PlainText
                                        color: DS.text
                                        font.pixelSize: 13
                                        elide: Text.ElideMiddle
                                        horizontalAlignment: Text.AlignLeft
                                    }
                                    Text {
                                        objectName: "appFileNote"
                                        Layout.fillWidth: true
                                        visible: note !== ""
                                        text: I18n.directed(note)
                                        textFormat: Text.PlainText
                                        color: DS.warning
                                        font.pixelSize: 11
                                        elide: Text.ElideRight
                                        horizontalAlignment: Text.AlignLeft
                                    }
                                }
                                Text {
                                    textFormat: Text.PlainText
                                    text: Fmt.bytes(size)
                                    color: DS.muted
                                    font: DS.mono(12)
                                }
                                RevealButton { path: fileRow.path }
                            }
                        }
                    }
                }
            }
        }

        ActionBar {
            Layout.fillWidth: true
            nothing: UninstallerState.selectedApp === "" || UninstallerState.appSelectedCount === 0
            nothingText: UninstallerState.selectedApp === "" ? I18n.L("Nenhum app selecionado") : I18n.L("Nada selecionado")
            caption: I18n.items(UninstallerState.appSelectedCount)
            value: Fmt.bytes(UninstallerState.appSelectedTotal)
            title: I18n.L("Desinstalar")
            disabled: UninstallerState.appSelectedCount <= 0 || UninstallerState.selectedAppInfo.removable === false
            hint: UninstallerState.selectedAppInfo.why || ""
            onAction: {
                UninstallerState.planUninstall()
                confirm.open()
            }
        }
    }

    PathMenu {
        id: rowMenu
        objectName: "appFileMenu"
    }

    ConfirmDialog {
        id: confirm
        objectName: "uninstallConfirm"
        plan: UninstallerState.uninstallPlan
        confirmText: I18n.L("Desinstalar")
        onConfirmed: UninstallerState.uninstallSelected()
        onClosed: UninstallerState.closePlan()
    }
}
