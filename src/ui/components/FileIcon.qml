import QtQuick
import Quillmoor

// The icon of a file by its kind (folder, package, picture…).
Icon {
    property string path
    symbol: Files.symbolFor(path)
    color: DS.muted
}
