#pragma once
// The files an installation gives the desktop, made from the translation
// table at build time so their texts cannot drift from the program's:
// the desktop entry com.halvick.Quillmoor.desktop, the AppStream metadata
// com.halvick.Quillmoor.metainfo.xml and the polkit policy
// com.halvick.Quillmoor.policy of the administrator helper.
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

// The polkit policy: one action per class of administrator work, named
// com.halvick.Quillmoor.CLASS, that pkexec picks for "pkexec HELPER CLASS ..."
// (its exec.path is HELPER, the installed helper's absolute path, and its
// exec.argv1 the class word).
QString polkitPolicy(const QString& helperPath);

} // namespace DesktopMetadata
