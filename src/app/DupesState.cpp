#include "app/DupesState.h"

#include <QDateTime>
#include <QFile>
#include <QVariantMap>

#include "app/RemovalState.h"
#include "engines/dupes/DuplicateRemoval.h"
#include "i18n/L.h"
#include "platform/Background.h"
#include "platform/FS.h"
#include "platform/Sound.h"

namespace fs = std::filesystem;

namespace {

// The minimum sizes offered.
struct MinOption {
    const char* label;
    qint64 bytes;
};
constexpr MinOption kMinOptions[] = {
    {"0", 0}, {"100 KB", 100'000}, {"1 MB", 1'000'000}, {"10 MB", 10'000'000}, {"100 MB", 100'000'000}};

QString text(const fs::path& path) { return QFile::decodeName(QByteArray::fromStdString(path.native())); }

fs::path pathOf(const QString& folder)
{
    const QUrl url(folder);
    const QString local = url.isLocalFile() ? url.toLocalFile() : folder;
    return fs::path(QFile::encodeName(local).toStdString());
}

QString rowId(std::size_t group, std::size_t copy) { return QString::number(group) + ':' + QString::number(copy); }

} // namespace

DupesState::DupesState(RemovalState& removals, QObject* parent)
    : QObject(parent), OneInstance(this), removals_(removals)
{
    model_ = new RecordListModel({"rowId", "kind", "group", "size", "count", "reclaimable", "name", "folder", "path",
                                  "modified", "cost", "kept", "selected", "mayTick", "note"},
                                 "rowId", this);
}

QString DupesState::dupesPhase() const
{
    switch (progress_.phase) {
    case Dupes::Phase::Walking:
        return L("Procurando arquivos");
    case Dupes::Phase::Edges:
        return L("Comparando o início e o fim");
    case Dupes::Phase::Contents:
        return L("Comparando o conteúdo");
    }
    return {};
}

fs::path DupesState::searchedFolder() const { return folder_.empty() ? FS::home() : folder_; }

QString DupesState::dupesFolder() const { return text(searchedFolder()); }
QString DupesState::dupesFolderLabel() const
{
    return folder_.empty() ? L("Pasta pessoal") : FS::pretty(folder_);
}
QUrl DupesState::dupesFolderUrl() const { return QUrl::fromLocalFile(dupesFolder()); }

void DupesState::setDupesMin(qint64 bytes)
{
    assign(min_, std::max<qint64>(bytes, 0), &DupesState::dupesOptionsChanged);
}

QVariantList DupesState::dupesMinOptions() const
{
    QVariantList list;
    for (const MinOption& option : kMinOptions)
        list.append(QVariantMap{{"label", QString::fromLatin1(option.label)}, {"bytes", option.bytes}});
    return list;
}

void DupesState::setDupesHidden(bool hidden) { assign(hidden_, hidden, &DupesState::dupesOptionsChanged); }

void DupesState::setDupesKeepRule(int rule)
{
    if (rule < 0 || rule > int(Dupes::KeepRule::InFolder) || rule == int(rule_))
        return;
    rule_ = Dupes::KeepRule(rule);
    emit dupesOptionsChanged();
    Dupes::choose(groups_, rule_, preferred_);
    refresh();
}

QStringList DupesState::dupesKeepOptions() const
{
    return {L("Mais antiga"), L("Mais recente"), L("Caminho mais curto"), L("Numa pasta")};
}

QString DupesState::dupesPreferredLabel() const { return preferred_.empty() ? QString() : FS::pretty(preferred_); }

void DupesState::preferDupesFolder(const QString& folder)
{
    preferred_ = pathOf(folder);
    rule_ = Dupes::KeepRule::InFolder;
    emit dupesOptionsChanged();
    Dupes::choose(groups_, rule_, preferred_);
    refresh();
}

void DupesState::chooseDupesFolder(const QString& folder)
{
    const fs::path chosen = folder.isEmpty() ? fs::path() : pathOf(folder);
    if (chosen == folder_)
        return;
    folder_ = chosen == FS::home() ? fs::path() : chosen;
    emit dupesFolderChanged();
}

qint64 DupesState::dupesReclaimable() const
{
    qint64 sum = 0;
    for (const Dupes::Group& group : groups_)
        sum += Dupes::reclaimable(group);
    return sum;
}

int DupesState::dupesSelectedCount() const
{
    int count = 0;
    for (const Dupes::Group& group : groups_)
        for (const Dupes::ShownCopy& shown : group.copies)
            count += shown.selected ? 1 : 0;
    return count;
}

qint64 DupesState::dupesSelectedTotal() const
{
    qint64 sum = 0;
    for (const Dupes::Group& group : groups_)
        sum += Dupes::selectedBytes(group);
    return sum;
}

void DupesState::setGroups(std::vector<Dupes::Group> groups, int unreadable)
{
    groups_ = std::move(groups);
    unreadable_ = unreadable;
    scanned_ = true;
    refresh();
}

void DupesState::refresh()
{
    QList<QVariantMap> rows;
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        const Dupes::Group& group = groups_[g];
        rows.append({{"rowId", QString::number(g)},
                     {"kind", "group"},
                     {"group", int(g)},
                     {"size", qint64(group.size)},
                     {"count", int(group.copies.size())},
                     {"reclaimable", qint64(Dupes::reclaimable(group))}});
        std::vector<bool> ticked;
        for (const Dupes::ShownCopy& shown : group.copies)
            ticked.push_back(shown.selected);
        for (std::size_t c = 0; c < group.copies.size(); ++c) {
            const Dupes::ShownCopy& shown = group.copies[c];
            const fs::path& path = shown.copy.file.path;
            rows.append({{"rowId", rowId(g, c)},
                         {"kind", "copy"},
                         {"group", int(g)},
                         {"name", text(path.filename())},
                         {"folder", FS::pretty(path.parent_path())},
                         {"path", text(path)},
                         {"modified", QDateTime::fromMSecsSinceEpoch(shown.copy.file.mtimeNs / 1'000'000)},
                         {"cost", qint64(Dupes::freedBy(group, shown))},
                         {"kept", shown.kept},
                         {"selected", shown.selected},
                         {"mayTick", shown.selected || Dupes::mayTick(ticked, c)},
                         {"note", Dupes::copyNote(shown)}});
        }
    }
    model_->setRows(std::move(rows));
    shareOffered_ = Dupes::shareOffered(groups_);
    emit dupesGroupsChanged();
}

void DupesState::toggleDupe(const QString& id)
{
    const QStringList parts = id.split(':');
    if (parts.size() != 2)
        return;
    const std::size_t g = parts[0].toULongLong(), c = parts[1].toULongLong();
    if (g >= groups_.size() || c >= groups_[g].copies.size())
        return;
    Dupes::ShownCopy& shown = groups_[g].copies[c];
    std::vector<bool> ticked;
    for (const Dupes::ShownCopy& other : groups_[g].copies)
        ticked.push_back(other.selected);
    if (!shown.selected && !Dupes::mayTick(ticked, c))
        return;  // the last copy left stays
    shown.selected = !shown.selected;
    refresh();
}

void DupesState::selectAllDupes()
{
    for (Dupes::Group& group : groups_)
        for (Dupes::ShownCopy& shown : group.copies)
            shown.selected = !shown.kept;
    refresh();
}

void DupesState::selectNoDupes()
{
    for (Dupes::Group& group : groups_)
        for (Dupes::ShownCopy& shown : group.copies)
            shown.selected = false;
    refresh();
}

void DupesState::scanDupes()
{
    flag_->cancelled = true;  // a running search stops at its next check
    flag_ = std::make_shared<CancelFlag>();
    const CancelFlagPtr flag = flag_;
    assign(scanning_, true, &DupesState::dupesScanningChanged);
    progress_ = {};
    emit dupesProgressChanged();
    Sound::play(QStringLiteral("scan_start"));

    Dupes::ScanOptions options;
    options.walk.minBytes = min_;
    options.walk.hidden = hidden_;
    const fs::path folder = searchedFolder();
    const Dupes::KeepRule rule = rule_;
    const fs::path preferred = preferred_;
    const QPointer<QObject> self(this);
    // The reading threads only hand `state` on; it is used on the main thread.
    Background::run(
        this,
        [self, state = this, flag, options, folder, rule, preferred] {
            const auto progress = [self, state, flag](const Dupes::Progress& now) {
                Background::post(self, [state, flag, now] {
                    if (state->flag_ != flag)
                        return;
                    state->progress_ = now;
                    emit state->dupesProgressChanged();
                });
            };
            Dupes::ScanResult result = Dupes::scan(folder, options, *flag, progress);
            if (rule != Dupes::KeepRule::Oldest)
                Dupes::choose(result.groups, rule, preferred);
            return result;
        },
        [this, flag](Dupes::ScanResult result) {
            if (flag_ != flag)
                return;  // a newer search has started: this result is dropped
            assign(scanning_, false, &DupesState::dupesScanningChanged);
            if (result.cancelled)
                return;  // a stopped search keeps nothing: the last list stays
            setGroups(std::move(result.groups), result.unreadable);
            Sound::play(QStringLiteral("scan_done"));
        });
}

void DupesState::cancelDupes() { flag_->cancelled = true; }

void DupesState::afterRemoval()
{
    // What is gone leaves its group; a group left with one copy leaves the list.
    std::vector<Dupes::Group> kept;
    for (Dupes::Group& group : groups_) {
        std::erase_if(group.copies, [](const Dupes::ShownCopy& shown) {
            std::error_code ec;
            return !fs::exists(fs::symlink_status(shown.copy.file.path, ec));
        });
        if (group.copies.size() >= 2)
            kept.push_back(std::move(group));
    }
    Dupes::choose(kept, rule_, preferred_);
    setGroups(std::move(kept), unreadable_);
}

void DupesState::trashDupes()
{
    const Admin::Runner admin = removals_.adminRunner();
    removals_.performWork([plan = Dupes::removalPlan(groups_), admin] { return Dupes::trashCopies(plan, admin); },
                          [this] { afterRemoval(); });
}

void DupesState::shareDupes()
{
    removals_.performWork([plan = Dupes::removalPlan(groups_)] { return Dupes::shareCopies(plan); },
                          [this] {
                              // Copies that now share cost nothing any more.
                              for (Dupes::Group& group : groups_)
                                  Dupes::markShared(group);
                              afterRemoval();
                          });
}
