#include "ui/Symbols.h"

#include <QFile>
#include <QHash>
#include <QMimeDatabase>

#include "platform/FS.h"
#include "profiles/Profile.h"

QString materialGlyphFor(const QString& symbol)
{
    static const QHash<QString, QString> table{
        // sections: sidebar icons and section symbols
        {"square.grid.2x2", "grid_view"},
        {"wand.and.stars", "auto_fix_high"},
        {"doc.on.doc", "file_copy"},
        {"doc.on.doc.fill", "file_copy"},
        {"square.on.square", "content_copy"},
        {"square.on.square.fill", "content_copy"},
        {"app.badge", "apps"},
        {"rectangle.split.3x3", "grid_on"},
        {"power", "power_settings_new"},
        {"power.circle.fill", "power_settings_new"},
        {"slider.horizontal.3", "tune"},
        {"gauge.with.dots.needle.67percent", "speed"},
        {"sparkles", "auto_awesome"},
        {"xmark.app.fill", "disabled_by_default"},
        {"chart.pie.fill", "pie_chart"},
        {"wrench.and.screwdriver.fill", "build"},
        // frame, banner and settings
        {"speaker.wave.2", "volume_up"},
        {"speaker.slash", "volume_off"},
        {"checkmark", "check"},
        {"lock.shield", "admin_panel_settings"},
        {"gearshape", "settings"},
        {"globe", "language"},
        {"info.circle", "info"},
        {"arrow.up.right", "open_in_new"},
        // gauges and cards
        {"internaldrive", "storage"},
        {"memorychip", "memory"},
        {"cpu", "developer_board"},
        {"trash", "delete"},
        {"folder", "folder"},
        {"doc", "description"},
        {"magnifyingglass", "search"},
        {"lock", "lock"},
        {"clock", "schedule"},
        {"wifi", "wifi"},
        {"battery.100", "battery_full"},
        {"bolt", "bolt"},
        {"eject", "eject"},
        {"network", "lan"},
        // the tray panel
        {"powerplug", "power"},
        {"battery.100.bolt", "battery_charging_full"},
        {"battery.25", "battery_1_bar"},
        {"battery.50", "battery_3_bar"},
        {"battery.75", "battery_5_bar"},
        {"externaldrive", "usb"},
        {"eject.fill", "eject"},
        {"ellipsis.circle", "more_horiz"},
        {"circle.hexagongrid", "bubble_chart"},
        {"menubar.rectangle", "dashboard"},
        // junk groups and file kinds
        {"shippingbox.fill", "inventory_2"},
        {"doc.text.fill", "article"},
        {"macwindow.on.rectangle", "web_asset"},
        {"hammer.fill", "construction"},
        {"terminal.fill", "terminal"},
        {"film.stack.fill", "movie"},
        {"cpu.fill", "memory"},
        {"archivebox.fill", "archive"},
        {"paperclip", "attach_file"},
        {"opticaldiscdrive.fill", "album"},
        {"trash.fill", "delete"},
        {"chevron.down", "expand_more"},
        {"minus", "remove"},
        {"chevron.backward", "chevron_left"},
        {"chevron.forward", "chevron_right"},
        {"magnifyingglass.circle", "travel_explore"},
        {"folder.fill", "folder"},
        {"shippingbox", "inventory_2"},
        {"clock.arrow.circlepath", "history"},
        {"doc.zipper", "folder_zip"},
        {"opticaldisc", "album"},
        {"photo", "image"},
        {"film", "movie"},
        {"music.note", "music_note"},
        {"doc.text", "article"},
        {"app", "apps"},
        {"person", "person"},
        {"gearshape.2", "settings_applications"},
        // maintenance routines and the space map
        {"square.stack.3d.up", "layers"},
        {"textformat", "text_fields"},
        {"eye", "visibility"},
        {"eye.slash", "visibility_off"},
        {"dock.rectangle", "dock"},
        {"chevron.forward", "chevron_right"},
        {"house", "home"},
        {"arrow.up", "arrow_upward"},
        {"link", "link"},
        // the never-touch list
        {"xmark", "close"},
    };
    return table.value(symbol, QStringLiteral("circle"));
}

QString symbolForFile(const std::filesystem::path& path)
{
    std::error_code error;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(path, error)))
        return QStringLiteral("link");
    if (FS::isDir(path))
        return FS::isPackage(path, Profiles::active().traits.large.packageExtensions) ? QStringLiteral("shippingbox")
                                                                                      : QStringLiteral("folder.fill");
    static const QMimeDatabase mimes;
    const QMimeType type = mimes.mimeTypeForFile(QFile::decodeName(QByteArray::fromStdString(path.native())),
                                                 QMimeDatabase::MatchExtension);
    const QString name = type.name();
    if (name.startsWith(QLatin1String("image/")))
        return QStringLiteral("photo");
    if (name.startsWith(QLatin1String("video/")))
        return QStringLiteral("film");
    if (name.startsWith(QLatin1String("audio/")))
        return QStringLiteral("music.note");
    if (name.contains(QLatin1String("iso9660")) || name.contains(QLatin1String("disk-image")) || name.contains(QLatin1String("cd-image"))
        || name.contains(QLatin1String("apple-diskimage")))
        return QStringLiteral("opticaldisc");
    if (type.inherits(QStringLiteral("application/x-archive")) || name.contains(QLatin1String("zip"))
        || name.contains(QLatin1String("compressed")) || name.contains(QLatin1String("tar")))
        return QStringLiteral("doc.zipper");
    if (name.startsWith(QLatin1String("text/")))
        return QStringLiteral("doc.text");
    return QStringLiteral("doc");
}
