#include "ui/Symbols.h"

#include <QHash>

QString materialGlyphFor(const QString& symbol)
{
    static const QHash<QString, QString> table{
        // sections: sidebar icons and section symbols
        {"square.grid.2x2", "grid_view"},
        {"wand.and.stars", "auto_fix_high"},
        {"doc.on.doc", "file_copy"},
        {"doc.on.doc.fill", "file_copy"},
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
        {"wifi", "wifi"},
        {"battery.100", "battery_full"},
        {"bolt", "bolt"},
        {"eject", "eject"},
        {"network", "lan"},
    };
    return table.value(symbol, QStringLiteral("circle"));
}
