#pragma once
// The version line of the settings: "Quillmoor 1.3 (1)".
#include <QString>
#include <QVariant>

// Either part falls back ("1.3", "1") when it is missing or not text.
QString versionText(const QVariant& shortVersion, const QVariant& buildVersion);
// The running program's own version line.
QString appVersionText();
