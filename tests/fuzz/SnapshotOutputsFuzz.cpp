// The readers of what the snapshot tools print and keep (Snapper's list,
// btrfs's default subvolume, quota groups and subvolume list, Timeshift's
// info.json and configuration), fed the same bytes: numbers are never
// negative, a snapshot's size never is, and a device UUID is never a path.

#include "FuzzCheck.h"
#include "engines/junk/SnapshotStore.h"
#include "engines/junk/TimeshiftStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const QByteArray out = Fuzz::bytes(bytes, size);
    const QString text = QString::fromUtf8(out);

    if (const auto list = Snapshots::parseSnapperList(out)) {
        for (const Snapshots::Snapshot& snapshot : *list)
            REQUIRE(snapshot.number > 0 && snapshot.preNumber >= 0
                    && (!snapshot.exclusiveBytes || *snapshot.exclusiveBytes >= 0));
        REQUIRE(Snapshots::judge(*list, {}, QDateTime::currentDateTime()).size() == list->size());
    }
    if (const std::optional<int> number = Snapshots::defaultSnapshot(text))
        REQUIRE(*number >= 0);

    const auto exclusive = Snapshots::parseQgroupShow(text);
    for (const auto& [id, bytes] : exclusive)
        REQUIRE(id >= 0 && bytes >= 0);
    const auto ids = Snapshots::parseSubvolumeList(text);
    for (const auto& [path, id] : ids)
        REQUIRE(!path.isEmpty() && id >= 0);
    for (const auto& [path, id] : ids)
        if (const auto bytes = Snapshots::btrfsExclusiveBytes(path.section(QLatin1Char('/'), 2, 2), exclusive, ids))
            REQUIRE(*bytes >= 0);

    if (const auto info = Snapshots::parseTimeshiftInfo(out))
        for (const QString& tag : info->tags)
            REQUIRE(!tag.isEmpty() && !tag.contains(QLatin1Char(' ')));
    if (const auto config = Snapshots::parseTimeshiftConfig(out))
        REQUIRE(!config->backupDeviceUuid.contains(QLatin1Char('/')) && !config->backupDeviceUuid.startsWith(QLatin1Char('-'))
                && !config->backupDeviceUuid.contains(QLatin1Char('.')));
    return 0;
}
