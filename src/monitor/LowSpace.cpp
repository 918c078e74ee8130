#include "monitor/LowSpace.h"

#include <QSettings>

#include <sys/stat.h>

#include "platform/FS.h"

namespace LowSpace {

Settings readSettings(const QSettings& settings)
{
    Settings result;
    // INI files keep Booleans as the texts "true" and "false".
    const QString on = settings.value(kOnKey).toString();
    if (on == QLatin1String("false"))
        result.on = false;
    bool ok = false;
    const qlonglong gb = settings.value(kMinimumKey).toLongLong(&ok);
    if (ok && gb >= 1 && gb <= 100000)
        result.minimumGb = gb;
    return result;
}

bool isLow(const Figures& figures, std::int64_t minimumBytes)
{
    if (figures.size <= 0)
        return false;
    return figures.available < figures.size / 10 && figures.available < minimumBytes;
}

Step step(const Mark& previous, const Figures& figures, const Settings& settings, std::int64_t nowMs)
{
    Step result{false, previous};
    if (!isLow(figures, settings.minimumGb * kGb)) {
        result.next.recovered = true;
        return result;
    }
    if (!settings.on)
        return result;
    const bool dayGone = !previous.lastNoticeMs || nowMs - *previous.lastNoticeMs >= kDayMs;
    if (previous.recovered && dayGone) {
        result.notify = true;
        result.next = Mark{nowMs, false};
    }
    return result;
}

std::optional<Reading> read(const std::filesystem::path& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    const FS::Disk disk = FS::disk(path);
    if (disk.total <= 0)
        return std::nullopt;
    return Reading{std::uint64_t(info.st_dev), Figures{disk.total, disk.free}};
}

} // namespace LowSpace
