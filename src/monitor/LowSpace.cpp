#include "monitor/LowSpace.h"

#include <QSettings>

#include <sys/stat.h>

#include "i18n/L.h"
#include "i18n/ShownText.h"
#include "platform/FS.h"
#include "platform/Fmt.h"

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

std::optional<Cause> readCause(const QSettings& settings)
{
    bool ok = false;
    const qlonglong bytes = settings.value(kCauseBytesKey).toLongLong(&ok);
    const QString title = settings.value(kCauseTitleKey).toString();
    if (!ok || bytes <= 0 || title.isEmpty())
        return std::nullopt;
    return Cause{title, bytes};
}

void storeCause(QSettings& settings, const std::optional<Cause>& cause)
{
    if (!cause) {
        settings.remove(kCauseTitleKey);
        settings.remove(kCauseBytesKey);
        return;
    }
    settings.setValue(kCauseTitleKey, cause->title);
    settings.setValue(kCauseBytesKey, qlonglong(cause->bytes));
}

QString noticeText(std::int64_t available, const QString& where, const std::optional<Cause>& cause)
{
    QString text = LF("Restam %@ livres em %@.", shownRun(Fmt::bytes(available)), shownRun(where));
    if (cause)
        text += QLatin1Char(' ')
                + LF("O que mais ocupava na última varredura: %@ (%@).", shownRun(cause->title),
                     shownRun(Fmt::bytes(cause->bytes)));
    return text;
}

} // namespace LowSpace
