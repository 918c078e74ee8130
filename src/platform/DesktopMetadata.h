#pragma once
// The files an installation gives the desktop, made from the translation
// table at build time so their texts cannot drift from the program's:
// the desktop entry com.halvick.Quillmoor.desktop and the AppStream
// metadata com.halvick.Quillmoor.metainfo.xml.
#include <utility>
#include <vector>

#include <QString>

#include "i18n/Lang.h"

namespace DesktopMetadata {

// The languages other than English with the locale name of their keys
// ("pt", "es", … "zh", "ar"), in table order.
const std::vector<std::pair<Lang, QString>>& localisedLanguages();

// The entry's texts in one language.
QString genericName(Lang lang);
QString comment(Lang lang);

QString desktopEntry();
// VERSION and DATE (YYYY-MM-DD) name the release.
QString metainfo(const QString& version, const QString& date);

} // namespace DesktopMetadata
