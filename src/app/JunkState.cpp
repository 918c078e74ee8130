#include "app/JunkState.h"

#include <algorithm>
#include <filesystem>

#include <iterator>
#include <map>
#include <memory>

#include <QFile>
#include <QTimer>
#include <QVariantMap>

#include "app/NeverTouchState.h"
#include "app/RemovalState.h"
#include "app/ShellState.h"
#include "engines/junk/JunkPlan.h"
#include "engines/junk/JunkScan.h"
#include "engines/junk/ToolStores.h"
#include "monitor/LowSpace.h"
#include "platform/Prefs.h"
#include "i18n/L.h"
#include "i18n/ShownText.h"
#include "platform/FS.h"
#include "platform/Fmt.h"
#include "platform/Background.h"
#include "platform/Sound.h"
#include "profiles/Profile.h"

namespace {

// What a tick is remembered by: a tool's item by the id its tool knows it by
// (an image's id is its content), any other by its group and path.
QString tickKey(const JunkGroup& group, const JunkItem& item)
{
    return group.id + QLatin1Char('/')
           + (item.toolId.isEmpty() ? FS::text(item.url) : QStringLiteral("id:") + item.toolId);
}

} // namespace

std::vector<std::size_t> largestFirst(const std::vector<std::int64_t>& totals, std::size_t count)
{
    std::vector<std::size_t> order(totals.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return totals[a] > totals[b]; });
    if (order.size() > count)
        order.resize(count);
    return order;
}

JunkState::JunkState(RemovalState& removals, ShellState& shell, NeverTouchState& never, QObject* parent)
    : QObject(parent), OneInstance(this), removals_(removals), shell_(shell), never_(never),
      largestStore_(LowSpace::readCause(*Prefs::standard()))
{
    connect(&never_, &NeverTouchState::placesChanged, this, &JunkState::honourNeverTouch);
    junkGroupModel_ = new RecordListModel(
        {"groupId", "title", "detail", "symbol", "permanent", "admin", "held", "oneByOne", "measurable", "atLeast", "sizeKnown", "total", "selectedTotal",
         "count", "allOn", "someOn", "items"},
        "groupId", this);
}

void JunkState::setJunkScanned(bool scanned)
{
    if (assign(junkScanned_, scanned, &JunkState::junkScannedChanged))
        updateDensity();
}

void JunkState::setJunkScanning(bool scanning)
{
    if (assign(junkScanning_, scanning, &JunkState::junkScanningChanged))
        updateDensity();
}

void JunkState::setJunkLive(qint64 bytes)
{
    if (assign(junkLive_, bytes, &JunkState::junkLiveChanged))
        updateDensity();
}

void JunkState::setJunkCurrent(const QString& text) { assign(junkCurrent_, text, &JunkState::junkCurrentChanged); }

void JunkState::setJunkGroups(std::vector<JunkGroup> groups)
{
    junkGroups_ = std::move(groups);
    refreshJunkModel();
    emit junkGroupsChanged();
    updateDensity();
    if (plan_.shown())
        planClean();  // the confirmation shows the plan of the list as it is now
}

QVariantMap JunkState::cleanPlan() const { return plan_.map(); }

void JunkState::planClean()
{
    Plan::Record plan = Sweeper::planClean(junkGroups_);
    const QString heading = LF("Limpar %@?", shownRun(Fmt::bytes(Plan::totalBytes(plan))));
    plan_.show(std::move(plan), heading);
    emit cleanPlanChanged();
}

void JunkState::closePlan()
{
    if (plan_.close())
        emit cleanPlanChanged();
}

void JunkState::updateDensity()
{
    shell_.setNebulaDensity(nebulaDensityFor(junkScanning_, junkScanned_, junkLive_, junkSelectedTotal()));
}

void JunkState::refreshJunkModel()
{
    QList<QVariantMap> rows;
    rows.reserve(qsizetype(junkGroups_.size()));
    for (const JunkGroup& group : junkGroups_) {
        QVariantList items;
        int selected = 0;
        for (const JunkItem& item : group.items) {
            selected += item.selected ? 1 : 0;
            items.append(QVariantMap{
                {"itemId", item.id.toString(QUuid::WithoutBraces)},
                {"name", item.name},
                {"path", QFile::decodeName(QByteArray::fromStdString(item.url.native()))},
                {"size", static_cast<qint64>(item.size)},
                {"sizeKnown", item.sizeKnown},
                {"selected", item.selected},
                {"note", item.note},
                {"listedOnly", item.listedOnly},
            });
        }
        const int count = int(group.items.size());
        const bool sizeKnown = count == 0
            || std::any_of(group.items.begin(), group.items.end(), [](const JunkItem& i) { return i.sizeKnown; });
        rows.append(QVariantMap{
            {"groupId", group.id},
            {"title", group.title},
            {"detail", group.detail},
            {"symbol", group.symbol},
            {"permanent", group.permanent},
            {"admin", group.asksPassword()},
            {"held", group.held},
            {"oneByOne", group.oneByOne},
            {"measurable", !group.measure.empty()},
            {"atLeast", group.atLeast},
            {"sizeKnown", sizeKnown},
            {"total", static_cast<qint64>(group.total())},
            {"selectedTotal", static_cast<qint64>(group.selectedTotal())},
            {"count", count},
            {"allOn", count > 0 && selected == count},
            {"someOn", selected > 0},
            {"items", items},
        });
    }
    junkGroupModel_->setRows(std::move(rows));
}

QVariantList JunkState::largestJunkGroups() const
{
    std::vector<std::int64_t> totals;
    for (const JunkGroup& group : junkGroups_)
        totals.push_back(group.total());
    QVariantList list;
    for (std::size_t index : largestFirst(totals, 4))
        list.append(QVariantMap{{"title", junkGroups_[index].title}, {"total", static_cast<qint64>(totals[index])}});
    return list;
}

QVariantMap JunkState::junkGroupTotals() const
{
    QVariantMap totals;
    for (const JunkGroup& group : junkGroups_)
        if (group.total() > 0)
            totals.insert(group.id, static_cast<qint64>(group.total()));
    return totals;
}

qint64 JunkState::junkSelectedTotal() const
{
    qint64 sum = 0;
    for (const auto& group : junkGroups_)
        sum += group.selectedTotal();
    return sum;
}

qint64 JunkState::junkUnselectedTotal() const
{
    qint64 sum = 0;
    for (const auto& group : junkGroups_)
        sum += group.total() - group.selectedTotal();
    return sum;
}

void JunkState::toggleJunkItem(const QString& groupId, const QString& itemId)
{
    const QUuid id(itemId);
    for (JunkGroup& group : junkGroups_) {
        if (group.id != groupId)
            continue;
        for (JunkItem& item : group.items) {
            if (item.id == id) {
                if (item.listedOnly) {  // stands for a list this user may not read: nothing to remove yet
                    shell_.setMessage(L("Use Medir para ler esta lista primeiro."));
                    return;
                }
                item.selected = !item.selected;
                ticks_.remember(tickKey(group, item), item.url, item.selected);
                setJunkGroups(std::move(junkGroups_));
                return;
            }
        }
    }
}

void JunkState::toggleJunkGroup(const QString& groupId)
{
    for (JunkGroup& group : junkGroups_) {
        if (group.id != groupId)
            continue;
        if (group.oneByOne) {  // what holds data is picked one at a time
            shell_.setMessage(SystemJunk::isSnapshotGroup(group.id)
                                  ? L("Cada instantâneo é um caminho de volta: marque um a um os que podem sair.")
                                  : L("Cada volume guarda dados: marque um a um os que podem sair."));
            return;
        }
        const bool allOn = !group.items.empty()
            && std::all_of(group.items.begin(), group.items.end(), [](const JunkItem& i) { return i.selected; });
        for (JunkItem& item : group.items) {
            item.selected = !allOn;
            ticks_.remember(tickKey(group, item), item.url, item.selected);
        }
        setJunkGroups(std::move(junkGroups_));
        return;
    }
}

void JunkState::withUsersTicks(std::vector<JunkGroup>& groups) const
{
    for (JunkGroup& group : groups)
        for (JunkItem& item : group.items) {
            // an item the rules leave unticked for a reason (held open) is never ticked again by a memory
            const bool given = item.selected;
            const bool tick = ticks_.tickFor(tickKey(group, item), item.url, given);
            item.selected = tick && (given || item.note.isEmpty());
        }
}

void JunkState::rescanJunk()
{
    if (junkScanning_)
        return;
    setJunkScanned(false);
    scanJunk();
}

void JunkState::scanJunk()
{
    if (junkScanning_)
        return;  // one scan at a time (the system's parts of an older one are dropped when they come)
    cleanedSinceScan_ = false;
    setJunkScanning(true);
    setJunkLive(0);
    setJunkCurrent(QString());
    Sound::play(QStringLiteral("scan_start"));

    const QPointer<QObject> self(this);
    const Profiles::JunkCatalogue& catalogue = Profiles::active().junk;
    const std::vector<JunkRule> rules = catalogue.rules();
    const Sweeper::SystemPartReader systemPart =
        catalogue.systemPart ? Sweeper::SystemPartReader(catalogue.systemPart) : Sweeper::SystemPartReader();
    const unsigned long long ticket = scanTicket_.next();
    systemEarly_.clear();
    systemPending_ = systemPart ? int(std::size(SystemJunk::kParts)) : 0;
    setIgnoredCount(0);
    // The threads only hand `state` on; it is used on the main thread.
    Sweeper::JunkScanReports reports;
    reports.progress = [self, state = this](const QString& title, std::int64_t bytes) {
        Background::post(self, [state, title, bytes] {
            state->setJunkCurrent(title);
            if (bytes > 0)
                state->setJunkLive(state->junkLive_ + bytes);
        });
    };
    reports.homeRead = [self, state = this](const JunkFound& found) {
        Background::post(self, [state, found] {
            // a short pause, so the last figure can be read before the result replaces it
            QTimer::singleShot(400, state, [state, found]() mutable { state->homeRead(std::move(found)); });
        });
    };
    reports.partRead = [self, state = this, ticket](const JunkFound& found) {
        Background::post(self, [state, ticket, found] { state->systemPartRead(ticket, found); });
    };
    // what the scan returns is what the reports already said
    Background::run(
        this, [rules, never = never_.list(), systemPart, reports] { Sweeper::scanAllJunk(rules, never, systemPart, reports); },
        [] {});
}

void JunkState::homeRead(JunkFound found)
{
    std::vector<JunkGroup>& groups = found.groups;
    withUsersTicks(groups);
    for (JunkGroup& group : systemEarly_)
        groups.push_back(std::move(group));
    systemEarly_.clear();
    SystemJunk::sortGroups(groups);  // the home folder's keep their order, ahead of the system's
    setJunkGroups(std::move(groups));
    setIgnoredCount(ignoredCount_ + found.ignored);
    setJunkScanning(false);
    setJunkScanned(true);
    emit junkSystemPendingChanged();
    if (systemPending_ == 0)
        rememberLargestStore();
    Sound::play(QStringLiteral("scan_done"));
}

void JunkState::rememberLargestStore()
{
    std::optional<LowSpace::Cause> cause;
    if (const auto store = SystemJunk::largestToolStore(junkGroups_))
        cause = LowSpace::Cause{store->title, store->bytes};
    const auto prefs = Prefs::standard();
    LowSpace::storeCause(*prefs, cause);
    prefs->sync();
    largestStore_ = cause;
    emit largestStoreChanged();
}

QVariantMap JunkState::largestStore() const
{
    if (!largestStore_)
        return {};
    return {{"title", largestStore_->title}, {"total", qint64(largestStore_->bytes)}};
}

void JunkState::systemPartRead(unsigned long long ticket, JunkFound found)
{
    if (!scanTicket_.isCurrent(ticket))
        return;  // a newer scan reads its own
    --systemPending_;
    std::vector<JunkGroup>& groups = found.groups;
    withUsersTicks(groups);
    setIgnoredCount(ignoredCount_ + found.ignored);
    if (junkScanning_) {
        for (JunkGroup& group : groups)
            systemEarly_.push_back(std::move(group));
    } else if (!groups.empty()) {
        for (JunkGroup& group : groups)
            junkGroups_.push_back(std::move(group));
        SystemJunk::sortGroups(junkGroups_);
        setJunkGroups(std::move(junkGroups_));
    }
    emit junkSystemPendingChanged();
    if (systemPending_ == 0 && !junkScanning_)
        rememberLargestStore();
}

void JunkState::setIgnoredCount(int count)
{
    assign(ignoredCount_, count, &JunkState::ignoredCountChanged);
}

void JunkState::honourNeverTouch()
{
    if (junkScanning_ || !junkScanned_)
        return;  // a scan under way took the list as it was; the next one takes it as it is
    const NeverTouchList& never = never_.list();
    int hidden = 0;
    bool again = false;
    for (JunkGroup& group : junkGroups_) {
        const auto before = group.items.size();
        std::erase_if(group.items, [&](const JunkItem& item) {
            if (item.url.empty() || !never.touches(item.url))
                return false;
            // a folder holding a place offers its other entries, and a system group is held whole: found again
            if (group.admin || !never.covers(item.url)) {
                again = true;
                return false;
            }
            return true;
        });
        hidden += int(before - group.items.size());
    }
    if (again) {
        rescanJunk();
        return;
    }
    if (hidden == 0)
        return;
    std::erase_if(junkGroups_, [](const JunkGroup& group) { return group.items.empty(); });
    setJunkGroups(std::move(junkGroups_));
    setIgnoredCount(ignoredCount_ + hidden);
}

void JunkState::measureJunkGroup(const QString& groupId)
{
    const auto group = std::find_if(junkGroups_.begin(), junkGroups_.end(),
                                    [&](const JunkGroup& g) { return g.id == groupId; });
    const auto measure = Profiles::active().junk.measureSystem;
    if (!measuringGroup_.isEmpty() || group == junkGroups_.end() || group->measure.empty() || !measure)
        return;
    assign(measuringGroup_, groupId, &JunkState::measuringGroupChanged);
    auto result = std::make_shared<SystemJunk::Measured>();
    Background::run(
        this,
        [measure, chosen = *group, never = never_.list(), admin = removals_.adminRunner(), result] {
            *result = measure(chosen, never, admin);
        },
        [this, groupId, result] { measured(groupId, std::move(*result)); });
}

void JunkState::measured(const QString& groupId, SystemJunk::Measured result)
{
    assign(measuringGroup_, QString(), &JunkState::measuringGroupChanged);
    if (!result.failure.isEmpty()) {
        // the group stays as it was, saying why it was not measured
        for (JunkGroup& group : junkGroups_)
            if (group.id == groupId)
                for (JunkItem& item : group.items)
                    if (item.listedOnly || !item.sizeKnown)
                        item.note = result.failure;
        setJunkGroups(std::move(junkGroups_));
        return;
    }
    std::erase_if(junkGroups_, [&](const JunkGroup& group) { return group.id == groupId; });
    withUsersTicks(result.found.groups);
    for (JunkGroup& group : result.found.groups)
        junkGroups_.push_back(std::move(group));
    SystemJunk::sortGroups(junkGroups_);
    setJunkGroups(std::move(junkGroups_));
    rememberLargestStore();
}

void JunkState::cleanJunk()
{
    const Plan::Record plan = plan_.take([this] { return Sweeper::planClean(junkGroups_); });
    emit cleanPlanChanged();
    if (plan.empty())
        return;
    const std::vector<JunkGroup> groups = junkGroups_;
    const Admin::Runner admin = removals_.adminRunner();
    const auto cleanSystem = Profiles::active().junk.cleanSystem;
    auto outcome = std::make_shared<RemovalOutcome>();
    removals_.performWork(
        [plan, groups, admin, cleanSystem, outcome] {
            *outcome = Sweeper::cleanJunk(plan, groups, admin, cleanSystem);
            return *outcome;
        },
        [this, outcome] { pruneJunk(*outcome); });
}

void JunkState::pruneJunk(const RemovalOutcome& outcome)
{
    // Each planned item by its group and id: what went (or was gone) leaves
    // the list; what stayed is unticked with the reason beside it; the rest
    // keeps the user's ticks.
    std::map<QString, const Plan::ItemResult*> results;
    if (outcome.record)
        for (std::size_t i = 0; i < outcome.record->plan.items.size(); ++i) {
            const Plan::Item& item = outcome.record->plan.items[i];
            results[item.group + QLatin1Char('/') + item.id] = &outcome.record->results[i];
        }
    std::vector<JunkGroup> kept;
    for (JunkGroup& group : junkGroups_) {
        std::vector<JunkItem> items;
        for (JunkItem& item : group.items) {
            const auto found = results.find(group.id + QLatin1Char('/') + item.id.toString(QUuid::WithoutBraces));
            if (found != results.end()) {
                const Plan::Result result = found->second->result;
                if (result == Plan::Result::done || result == Plan::Result::gone)
                    continue;
                if (result != Plan::Result::notRun) {
                    item.selected = false;
                    if (!found->second->reason.isEmpty())
                        item.note = found->second->reason;
                }
            } else if (!group.admin) {
                std::error_code ec;
                if (!std::filesystem::exists(std::filesystem::symlink_status(item.url, ec)))
                    continue;
            }
            items.push_back(std::move(item));
        }
        group.items = std::move(items);
        if (!group.items.empty())
            kept.push_back(std::move(group));
    }
    cleanedSinceScan_ = true;
    setJunkGroups(std::move(kept));
}
