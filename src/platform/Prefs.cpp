#include "platform/Prefs.h"

#include <QFileInfo>

namespace Prefs {

std::unique_ptr<QSettings> standard()
{
    return std::make_unique<QSettings>(QStringLiteral("halvick"), QStringLiteral("Quillmoor"));
}

std::unique_ptr<QSettings> earlier()
{
    auto settings = std::make_unique<QSettings>(QStringLiteral("halvick"), QStringLiteral("Tidyvane"));
    const QFileInfo file(settings->fileName());
    // A domain that was never written has nothing to migrate; one that cannot
    // be read is treated the same way.
    if (!file.exists() || !file.isReadable() || settings->status() != QSettings::NoError)
        return nullptr;
    return settings;
}

std::int64_t readInt(const QSettings& settings, const QString& key)
{
    bool ok = false;
    const qlonglong value = settings.value(key).toLongLong(&ok);
    return ok ? value : 0;
}

std::int64_t loadTotalFreed(QSettings& standard, QSettings* earlier)
{
    const QString totalKey = QStringLiteral("totalFreed");
    const QString lastCleanKey = QStringLiteral("lastClean");
    if (!standard.contains(totalKey) && earlier) {
        const std::int64_t earlierTotal = readInt(*earlier, totalKey);
        if (earlierTotal > 0)
            standard.setValue(totalKey, static_cast<qlonglong>(earlierTotal));
        if (earlier->contains(lastCleanKey))
            standard.setValue(lastCleanKey, earlier->value(lastCleanKey));
        standard.sync();
    }
    return readInt(standard, totalKey);
}

} // namespace Prefs
