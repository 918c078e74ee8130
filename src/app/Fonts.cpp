#include "app/Fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>

#include "i18n/Lang.h"

void installFonts(QGuiApplication& app)
{
    QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/MaterialIcons-Regular.ttf"));

    QString family;
    switch (appLang()) {
    case Lang::ja: family = QStringLiteral("Noto Sans CJK JP"); break;
    case Lang::zh: family = QStringLiteral("Noto Sans CJK SC"); break;
    case Lang::ar: family = QStringLiteral("Noto Sans Arabic UI"); break;
    default: break;
    }
    if (family.isEmpty() || !QFontDatabase::families().contains(family))
        return;  // the system's default font then
    QFont font = app.font();
    font.setFamilies({family, font.family()});
    app.setFont(font);
}
