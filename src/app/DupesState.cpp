#include "app/DupesState.h"

#include <memory>
#include <utility>

#include <QDateTime>
#include <QFile>
#include <QVariantMap>

#include "app/NeverTouchState.h"
#include "app/RemovalState.h"
#include "i18n/L.h"
#include "i18n/ShownText.h"
#include "platform/Background.h"
#include "platform/FS.h"
#include "platform/Fmt.h"
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

DupesState::DupesState(RemovalState& removals, NeverTouchState& never, QObject* parent)
    : QObject(parent), OneInstance(this), removals_(removals), never_(never)
{
    connect(&never_, &NeverTouchState::placesChanged, this, &DupesState::honourNeverTouch);
    model_ = new RecordListModel({"rowId", "kind", "group", "size", "count", "reclaimable", "name", "folder", "path",
                                  "modified", "cost", "kept", "selected", "mayTick", "note", "refusal"},
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
    case Dupes::Phase::Pictures:
        return L("Lendo as fotos");
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
    // The rule now says which copy stays; the user's ticks still hold.
    choices_.kept.clear();
    Dupes::choose(groups_, rule_, preferred_);
    Dupes::applyChoices(groups_, choices_);
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
    choices_.kept.clear();
    Dupes::choose(groups_, rule_, preferred_);
    Dupes::applyChoices(groups_, choices_);
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
    Dupes::forgetMissing(choices_, groups_);
    Dupes::applyChoices(groups_, choices_);
    refresh();
}

void DupesState::refresh()
{
    QList<QVariantMap> rows;
    const QString refusedRow = std::exchange(refusedRow_, {});  // a refusal is said once, beside its row
    const QString refusal = std::exchange(refusal_, {});
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
                         {"cost", shown.kept ? qint64(0) : qint64(Dupes::freedBy(group, shown))},  // the kept copy frees nothing
                         {"kept", shown.kept},
                         {"selected", shown.selected},
                         {"mayTick", shown.selected || (!shown.kept && Dupes::mayTick(ticked, c))},
                         {"note", Dupes::copyNote(shown)},
                         {"refusal", rowId(g, c) == refusedRow ? refusal : QString()}});
        }
    }
    model_->setRows(std::move(rows));
    shareOffered_ = Dupes::shareOffered(groups_);
    emit dupesGroupsChanged();
    if (plan_.shown())
        planDupes(planShares_);  // the confirmation shows the plan of the ticks as they are now
}

void DupesState::planDupes(bool share)
{
    planned_ = Dupes::removalPlan(groups_);
    planShares_ = share;
    Plan::Record record = Dupes::planRecord(planned_, share);
    const QString total = shownRun(Fmt::bytes(Plan::totalBytes(record)));
    plan_.show(std::move(record), share ? LF("Recuperar %@ sem apagar nenhum arquivo?", total)
                                        : LF("Mover %@ para a Lixeira?", total));
    emit dupesPlanChanged();
}

void DupesState::closePlan()
{
    if (plan_.close())
        emit dupesPlanChanged();
}

std::vector<Dupes::PlannedCopy> DupesState::takePlan(bool share)
{
    std::vector<Dupes::PlannedCopy> planned =
        plan_.shown() && planShares_ == share ? planned_ : Dupes::removalPlan(groups_);
    closePlan();
    return planned;
}

Dupes::Group* DupesState::groupOf(const QString& id, std::size_t& copy)
{
    const QStringList parts = id.split(':');
    if (parts.size() != 2)
        return nullptr;
    const std::size_t g = parts[0].toULongLong();
    copy = parts[1].toULongLong();
    if (g >= groups_.size() || copy >= groups_[g].copies.size())
        return nullptr;
    return &groups_[g];
}

void DupesState::toggleDupe(const QString& id)
{
    std::size_t c = 0;
    Dupes::Group* group = groupOf(id, c);
    if (!group)
        return;
    const bool on = !group->copies[c].selected;
    switch (Dupes::tick(*group, c, on)) {
    case Dupes::Refusal::None: {
        const Dupes::CopyId copy = Dupes::idOf(group->copies[c].copy.file);
        choices_.ticks[copy] = on;
        choices_.held.erase(copy);  // ticked again: the removal checks it again
        group->copies[c].held = Dupes::Hold::None;
        break;
    }
    case Dupes::Refusal::Kept:
        refusedRow_ = id;
        refusal_ = L("A mantida fica: use “Manter esta” em outra cópia");
        break;
    case Dupes::Refusal::LastCopy:
        refusedRow_ = id;
        refusal_ = L("Uma cópia de cada grupo sempre fica");
        break;
    }
    refresh();
}

void DupesState::keepDupe(const QString& id)
{
    std::size_t c = 0;
    Dupes::Group* group = groupOf(id, c);
    if (!group)
        return;
    const Dupes::CopyId copy = Dupes::idOf(group->copies[c].copy.file);
    for (const Dupes::ShownCopy& shown : group->copies) {
        const Dupes::CopyId other = Dupes::idOf(shown.copy.file);
        choices_.kept.erase(other);
        if (shown.kept || other == copy)
            choices_.ticks.erase(other);  // their ticks follow the keeping
    }
    choices_.kept.insert(copy);
    Dupes::keep(*group, c);
    refresh();
}

void DupesState::selectAllDupes()
{
    for (Dupes::Group& group : groups_)
        for (Dupes::ShownCopy& shown : group.copies) {
            shown.selected = !shown.kept;
            shown.held = Dupes::Hold::None;
            choices_.ticks[Dupes::idOf(shown.copy.file)] = shown.selected;
        }
    choices_.held.clear();
    refresh();
}

void DupesState::selectNoDupes()
{
    for (Dupes::Group& group : groups_)
        for (Dupes::ShownCopy& shown : group.copies) {
            shown.selected = false;
            choices_.ticks[Dupes::idOf(shown.copy.file)] = false;
        }
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
    options.walk.never = never_.list();
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
            choices_.held.clear();  // the search has looked at every copy afresh
            assign(ignoredCount_, result.ignored, &DupesState::ignoredCountChanged);
            setGroups(std::move(result.groups), result.unreadable);
            Sound::play(QStringLiteral("scan_done"));
        });
}

void DupesState::cancelDupes() { flag_->cancelled = true; }

void DupesState::honourNeverTouch()
{
    const NeverTouchList& never = never_.list();
    const auto covered = [&never](const Dupes::ShownCopy& shown) { return never.covers(shown.copy.file.path); };
    int hidden = 0;
    for (const Dupes::Group& group : groups_)
        hidden += int(std::count_if(group.copies.begin(), group.copies.end(), covered));
    if (hidden == 0)
        return;
    std::vector<Dupes::Group> left;
    for (Dupes::Group& group : groups_) {
        std::erase_if(group.copies, covered);
        if (group.copies.size() >= 2)
            left.push_back(std::move(group));
    }
    // a group that lost its kept copy keeps another one
    Dupes::choose(left, rule_, preferred_);
    setGroups(std::move(left), unreadable_);
    assign(ignoredCount_, ignoredCount_ + hidden, &DupesState::ignoredCountChanged);
}

void DupesState::afterRemoval(const std::vector<Dupes::HeldCopy>& held)
{
    // What is gone leaves its group; a group left with one copy leaves the list.
    std::vector<Dupes::Group> left;
    for (Dupes::Group& group : groups_) {
        std::erase_if(group.copies, [](const Dupes::ShownCopy& shown) {
            std::error_code ec;
            return !fs::exists(fs::symlink_status(shown.copy.file.path, ec));
        });
        if (group.copies.size() >= 2)
            left.push_back(std::move(group));
    }
    // What the check before removal left stays, unticked, with its reason.
    for (const Dupes::HeldCopy& copy : held)
        choices_.held[copy.id] = copy.hold;
    Dupes::choose(left, rule_, preferred_);
    setGroups(std::move(left), unreadable_);
}

void DupesState::trashDupes()
{
    const Admin::Runner admin = removals_.adminRunner();
    auto held = std::make_shared<std::vector<Dupes::HeldCopy>>();
    removals_.performWork(
        [plan = takePlan(false), admin, held] { return Dupes::trashCopies(plan, admin, held.get()); },
        [this, held] { afterRemoval(*held); });
}

void DupesState::shareDupes()
{
    auto held = std::make_shared<std::vector<Dupes::HeldCopy>>();
    removals_.performWork([plan = takePlan(true), held] { return Dupes::shareCopies(plan, held.get()); },
                          [this, held] {
                              // Copies that now share cost nothing any more.
                              for (Dupes::Group& group : groups_)
                                  Dupes::markShared(group);
                              afterRemoval(*held);
                          });
}
