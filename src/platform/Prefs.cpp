#include "platform/Prefs.h"

#include <algorithm>

#include <QDateTime>
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

std::int64_t recordRemoval(QSettings& standard, std::int64_t freed, std::int64_t trashed)
{
    const QString totalKey = QStringLiteral("totalFreed");
    const std::int64_t total = readInt(standard, totalKey) + std::max<std::int64_t>(freed, 0);
    standard.setValue(totalKey, static_cast<qlonglong>(total));
    if (freed + trashed > 0)
        standard.setValue(QStringLiteral("lastClean"), QDateTime::currentDateTime());
    standard.sync();
    return total;
}

} // namespace Prefs
