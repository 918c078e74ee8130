#include "app/DupesState.h"

#include <algorithm>
#include <memory>
#include <tuple>
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

// The picture of a group with the most pixels, then the largest file, then the oldest.
std::size_t mostPixels(const Dupes::Group& group)
{
    const auto order = [](const Dupes::ShownCopy& copy) {
        const Dupes::Picture& picture = copy.picture;
        return std::tuple(std::int64_t(picture.width) * picture.height, copy.copy.file.size, -copy.copy.file.mtimeNs);
    };
    std::size_t best = 0;
    for (std::size_t i = 1; i < group.copies.size(); ++i)
        if (order(group.copies[i]) > order(group.copies[best]))
            best = i;
    return best;
}

} // namespace

DupesState::DupesState(RemovalState& removals, NeverTouchState& never, QObject* parent)
    : QObject(parent), OneInstance(this), removals_(removals), never_(never)
{
    searches_[kIdentical].min = 1'000'000;
    connect(&never_, &NeverTouchState::placesChanged, this, &DupesState::honourNeverTouch);
    model_ = new RecordListModel({"rowId", "kind", "group", "size", "count", "reclaimable", "name", "folder", "path",
                                  "modified", "cost", "kept", "selected", "mayTick", "note", "refusal", "similar",
                                  "url", "bytes", "resolution", "format"},
                                 "rowId", this);
}

QString DupesState::dupesPhase() const
{
    switch (shown().progress.phase) {
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

void DupesState::setDupesView(int view)
{
    if (view < 0 || view > 2 || view == view_)
        return;
    closePlan();  // a confirmation belongs to the view it was opened in
    const bool sameSearch = searchOf(view) == searchOf(view_);
    view_ = view;
    emit dupesViewChanged();
    if (sameSearch)
        return;
    emit dupesScanningChanged();
    emit dupesProgressChanged();
    emit ignoredCountChanged();
    emit dupesOptionsChanged();  // the view's smallest file
    refresh();
}

void DupesState::setDupesLevel(int level)
{
    if (level < int(Dupes::Likeness::VerySimilar) || level > int(Dupes::Likeness::Maybe))
        return;
    assign(level_, Dupes::Likeness(level), &DupesState::dupesOptionsChanged);
}

QStringList DupesState::dupesLevelOptions() const { return {L("Muito parecidas"), L("Parecidas"), L("Talvez")}; }

fs::path DupesState::searchedFolder() const { return folder_.empty() ? FS::home() : folder_; }

QString DupesState::dupesFolder() const { return text(searchedFolder()); }
QString DupesState::dupesFolderLabel() const
{
    return folder_.empty() ? L("Pasta pessoal") : FS::pretty(folder_);
}
QUrl DupesState::dupesFolderUrl() const { return QUrl::fromLocalFile(dupesFolder()); }

void DupesState::setDupesMin(qint64 bytes)
{
    assign(shown().min, std::max<qint64>(bytes, 0), &DupesState::dupesOptionsChanged);
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
    // The rule now says which identical copy stays; the user's ticks still hold.
    Search& identical = searches_[kIdentical];
    identical.choices.kept.clear();
    Dupes::choose(identical.groups, rule_, preferred_);
    Dupes::applyChoices(identical.groups, identical.choices);
    if (isShown(identical))
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
    Search& identical = searches_[kIdentical];
    identical.choices.kept.clear();
    Dupes::choose(identical.groups, rule_, preferred_);
    Dupes::applyChoices(identical.groups, identical.choices);
    if (isShown(identical))
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
    for (const Dupes::Group& group : shown().groups)
        sum += Dupes::reclaimable(group);
    return sum;
}

int DupesState::dupesSelectedCount() const
{
    int count = 0;
    for (const Dupes::Group& group : shown().groups)
        for (const Dupes::ShownCopy& copy : group.copies)
            count += copy.selected ? 1 : 0;
    return count;
}

qint64 DupesState::dupesSelectedTotal() const
{
    qint64 sum = 0;
    for (const Dupes::Group& group : shown().groups)
        sum += Dupes::selectedBytes(group);
    return sum;
}

void DupesState::setGroups(std::vector<Dupes::Group> groups, int unreadable, int tooLarge)
{
    publish(shown(), std::move(groups), unreadable, tooLarge);
}

void DupesState::publish(Search& search, std::vector<Dupes::Group> groups, int unreadable, int tooLarge)
{
    search.groups = std::move(groups);
    search.unreadable = unreadable;
    search.tooLarge = tooLarge;
    search.scanned = true;
    Dupes::forgetMissing(search.choices, search.groups);
    Dupes::applyChoices(search.groups, search.choices);
    if (isShown(search))
        refresh();
}

void DupesState::setScanning(Search& search, bool scanning)
{
    if (search.scanning == scanning)
        return;
    search.scanning = scanning;
    if (isShown(search))
        emit dupesScanningChanged();
}

void DupesState::setIgnored(Search& search, int ignored)
{
    if (search.ignored == ignored)
        return;
    search.ignored = ignored;
    if (isShown(search))
        emit ignoredCountChanged();
}

void DupesState::refresh()
{
    QList<QVariantMap> rows;
    const QString refusedRow = std::exchange(refusedRow_, {});  // a refusal is said once, beside its row
    const QString refusal = std::exchange(refusal_, {});
    const std::vector<Dupes::Group>& groups = shown().groups;
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const Dupes::Group& group = groups[g];
        rows.append({{"rowId", QString::number(g)},
                     {"kind", "group"},
                     {"group", int(g)},
                     {"size", qint64(group.size)},
                     {"count", int(group.copies.size())},
                     {"reclaimable", qint64(Dupes::reclaimable(group))},
                     {"similar", group.similar}});
        std::vector<bool> ticked;
        for (const Dupes::ShownCopy& shown : group.copies)
            ticked.push_back(shown.selected);
        for (std::size_t c = 0; c < group.copies.size(); ++c) {
            const Dupes::ShownCopy& shown = group.copies[c];
            const fs::path& path = shown.copy.file.path;
            const Dupes::Picture& picture = shown.picture;
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
                         {"refusal", rowId(g, c) == refusedRow ? refusal : QString()},
                         {"url", group.similar ? QUrl::fromLocalFile(text(path)) : QUrl()},
                         {"bytes", qint64(shown.copy.file.size)},
                         {"resolution", picture.width > 0 ? QString::number(picture.width) + QStringLiteral(" × ")
                                                                + QString::number(picture.height)
                                                          : QString()},
                         {"format", picture.format}});
        }
    }
    model_->setRows(std::move(rows));
    shown().shareOffered = Dupes::shareOffered(groups);
    emit dupesGroupsChanged();
    if (plan_.shown())
        planDupes(planShares_);  // the confirmation shows the plan of the ticks as they are now
}

void DupesState::planDupes(bool share)
{
    planned_ = Dupes::removalPlan(shown().groups);
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
        plan_.shown() && planShares_ == share ? planned_ : Dupes::removalPlan(shown().groups);
    closePlan();
    return planned;
}

Dupes::Group* DupesState::groupOf(const QString& id, std::size_t& copy)
{
    const QStringList parts = id.split(':');
    if (parts.size() != 2)
        return nullptr;
    std::vector<Dupes::Group>& groups = shown().groups;
    const std::size_t g = parts[0].toULongLong();
    copy = parts[1].toULongLong();
    if (g >= groups.size() || copy >= groups[g].copies.size())
        return nullptr;
    return &groups[g];
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
        shown().choices.ticks[copy] = on;
        shown().choices.held.erase(copy);  // ticked again: the removal checks it again
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
    Dupes::Choices& choices = shown().choices;
    const Dupes::CopyId copy = Dupes::idOf(group->copies[c].copy.file);
    for (const Dupes::ShownCopy& shown : group->copies) {
        const Dupes::CopyId other = Dupes::idOf(shown.copy.file);
        choices.kept.erase(other);
        if (other == copy || (shown.kept && !group->similar))
            choices.ticks.erase(other);  // their ticks follow the keeping
        else if (shown.kept)
            choices.ticks[other] = false;  // no picture is ticked but by the user
    }
    choices.kept.insert(copy);
    Dupes::keep(*group, c);
    if (group->similar)
        for (Dupes::ShownCopy& shown : group->copies)
            if (const auto tick = choices.ticks.find(Dupes::idOf(shown.copy.file)); tick != choices.ticks.end())
                shown.selected = tick->second;
    refresh();
}

void DupesState::selectAllDupes()
{
    Search& search = shown();
    for (Dupes::Group& group : search.groups)
        for (Dupes::ShownCopy& copy : group.copies) {
            copy.selected = !copy.kept;
            copy.held = Dupes::Hold::None;
            search.choices.ticks[Dupes::idOf(copy.copy.file)] = copy.selected;
        }
    search.choices.held.clear();
    refresh();
}

void DupesState::selectNoDupes()
{
    Search& search = shown();
    for (Dupes::Group& group : search.groups)
        for (Dupes::ShownCopy& copy : group.copies) {
            copy.selected = false;
            search.choices.ticks[Dupes::idOf(copy.copy.file)] = false;
        }
    refresh();
}

void DupesState::scanDupes()
{
    const int which = searchOf(view_);
    Search& search = searches_[which];
    search.flag->cancelled = true;  // a running search of this view stops at its next check
    search.flag = std::make_shared<CancelFlag>();
    const CancelFlagPtr flag = search.flag;
    setScanning(search, true);
    search.progress = {};
    emit dupesProgressChanged();
    Sound::play(QStringLiteral("scan_start"));

    Dupes::WalkOptions walk;
    walk.minBytes = search.min;
    walk.hidden = hidden_;
    walk.never = never_.list();
    const fs::path folder = searchedFolder();
    const Dupes::KeepRule rule = rule_;
    const fs::path preferred = preferred_;
    const Dupes::Likeness level = level_;
    const QPointer<QObject> self(this);
    // What either search hands back to the main thread.
    struct Found {
        std::vector<Dupes::Group> groups;
        int unreadable = 0;
        int tooLarge = 0;
        int ignored = 0;
        bool cancelled = false;
    };
    // The reading threads only hand `state` on; it is used on the main thread.
    Background::run(
        this,
        [self, state = this, which, flag, walk, folder, rule, preferred, level] {
            const auto progress = [self, state, which, flag](const Dupes::Progress& now) {
                Background::post(self, [state, which, flag, now] {
                    Search& search = state->searches_[which];
                    if (search.flag != flag)
                        return;
                    search.progress = now;
                    if (state->isShown(search))
                        emit state->dupesProgressChanged();
                });
            };
            if (which == kSimilar) {
                const Dupes::SimilarOptions options{walk, level, 0, Dupes::defaultPictureCache()};
                Dupes::SimilarResult result = Dupes::findSimilar(folder, options, *flag, progress);
                return Found{std::move(result.groups), result.unreadable, result.tooLarge, result.ignored,
                             result.cancelled};
            }
            Dupes::ScanResult result = Dupes::scan(folder, Dupes::ScanOptions{walk, 0}, *flag, progress);
            if (rule != Dupes::KeepRule::Oldest)
                Dupes::choose(result.groups, rule, preferred);
            return Found{std::move(result.groups), result.unreadable, 0, result.ignored, result.cancelled};
        },
        [this, which, flag](Found found) {
            Search& search = searches_[which];
            if (search.flag != flag)
                return;  // a newer search has started: this result is dropped
            setScanning(search, false);
            if (found.cancelled)
                return;  // a stopped search keeps nothing: the last list stays
            search.choices.held.clear();  // the search has looked at every copy afresh
            setIgnored(search, found.ignored);
            publish(search, std::move(found.groups), found.unreadable, found.tooLarge);
            Sound::play(QStringLiteral("scan_done"));
        });
}

void DupesState::cancelDupes() { shown().flag->cancelled = true; }

void DupesState::chooseAgain(Search& search, std::vector<Dupes::Group>& groups) const
{
    if (&search == &searches_[kIdentical]) {
        Dupes::choose(groups, rule_, preferred_);
        return;
    }
    for (Dupes::Group& group : groups)
        if (std::none_of(group.copies.begin(), group.copies.end(), [](const Dupes::ShownCopy& copy) { return copy.kept; }))
            Dupes::keep(group, mostPixels(group));
}

void DupesState::honourNeverTouch()
{
    for (Search& search : searches_)
        hideNeverTouched(search);
}

void DupesState::hideNeverTouched(Search& search)
{
    const NeverTouchList& never = never_.list();
    const auto covered = [&never](const Dupes::ShownCopy& shown) { return never.covers(shown.copy.file.path); };
    int hidden = 0;
    for (const Dupes::Group& group : search.groups)
        hidden += int(std::count_if(group.copies.begin(), group.copies.end(), covered));
    if (hidden == 0)
        return;
    std::vector<Dupes::Group> left;
    for (Dupes::Group& group : search.groups) {
        std::erase_if(group.copies, covered);
        if (group.copies.size() >= 2)
            left.push_back(std::move(group));
    }
    // a group that lost its kept copy keeps another one
    chooseAgain(search, left);
    publish(search, std::move(left), search.unreadable, search.tooLarge);
    setIgnored(search, search.ignored + hidden);
}

void DupesState::afterRemoval(Search& search, const std::vector<Dupes::HeldCopy>& held)
{
    // What is gone leaves its group; a group left with one copy leaves the list.
    std::vector<Dupes::Group> left;
    for (Dupes::Group& group : search.groups) {
        std::erase_if(group.copies, [](const Dupes::ShownCopy& shown) {
            std::error_code ec;
            return !fs::exists(fs::symlink_status(shown.copy.file.path, ec));
        });
        if (group.copies.size() >= 2)
            left.push_back(std::move(group));
    }
    // What the check before removal left stays, unticked, with its reason.
    for (const Dupes::HeldCopy& copy : held)
        search.choices.held[copy.id] = copy.hold;
    chooseAgain(search, left);
    publish(search, std::move(left), search.unreadable, search.tooLarge);
}

void DupesState::trashDupes()
{
    const Admin::Runner admin = removals_.adminRunner();
    auto held = std::make_shared<std::vector<Dupes::HeldCopy>>();
    removals_.performWork(
        [plan = takePlan(false), admin, held] { return Dupes::trashCopies(plan, admin, held.get()); },
        [this, held, &search = shown()] { afterRemoval(search, *held); });
}

void DupesState::shareDupes()
{
    auto held = std::make_shared<std::vector<Dupes::HeldCopy>>();
    removals_.performWork([plan = takePlan(true), held] { return Dupes::shareCopies(plan, held.get()); },
                          [this, held, &search = shown()] {
                              // Copies that now share cost nothing any more.
                              for (Dupes::Group& group : search.groups)
                                  Dupes::markShared(group);
                              afterRemoval(search, *held);
                          });
}
