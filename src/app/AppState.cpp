#include "app/AppState.h"

#include <algorithm>
#include <filesystem>

#include <QFile>
#include <QJSEngine>
#include <QPointer>
#include <QQmlEngine>
#include <QThread>
#include <QThreadPool>
#include <QVariantMap>

#include "engines/junk/JunkScan.h"
#include "engines/large/LargeFiles.h"
#include "platform/LoginItem.h"
#include "platform/Prefs.h"
#include "platform/Sound.h"
#include "space/SpaceModel.h"
#include "profiles/Profile.h"

namespace {

AppState* g_instance = nullptr;

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

std::vector<std::size_t> oldestFirst(const std::vector<LargeFile>& files)
{
    std::vector<std::size_t> order(files.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const auto& x = files[a].accessed;
        const auto& y = files[b].accessed;
        if (!x || !y)
            return !x && y;  // no date counts as the most distant past
        return *x < *y;
    });
    return order;
}

double nebulaDensityFor(bool scanning, bool scanned, std::int64_t live, std::int64_t selectedTotal)
{
    if (scanning)
        return std::min(1.0, static_cast<double>(live) / 1.5e10 + 0.25);
    if (!scanned)
        return 0.5;
    return std::min(1.0, static_cast<double>(selectedTotal) / 1.5e10 + 0.08);
}

AppState::AppState(QObject* parent)
    : QObject(parent)
{
    disk_ = FS::disk();
    mem_ = FS::memory();
    fda_ = FS::hasFullDiskAccess();
    {
        auto standard = Prefs::standard();
        auto earlier = Prefs::earlier();
        totalFreed_ = Prefs::loadTotalFreed(*standard, earlier.get());
    }
    lastDensity_ = nebulaDensity();
    junkGroupModel_ = new RecordListModel(
        {"groupId", "title", "detail", "symbol", "permanent", "total", "selectedTotal", "count", "allOn",
         "someOn", "items"},
        "groupId", this);
    const QStringList largeRoles{"fileId", "name", "folder", "path", "size", "accessed", "selected"};
    largeFileModel_ = new RecordListModel(largeRoles, "fileId", this);
    largeFileModelByAge_ = new RecordListModel(largeRoles, "fileId", this);
    appModel_ = new RecordListModel({"appId", "name", "bundleID", "version", "path", "owner", "icon", "size"}, "appId", this);
    appFileModel_ = new RecordListModel({"fileId", "name", "path", "size", "selected", "note"}, "fileId", this);
    agentModel_ = new RecordListModel({"agentId", "label", "program", "scope", "userOwned", "path", "key", "kind", "on",
                                       "switchable", "locked", "otherDesktop"},
                                      "agentId", this);
    launchAtLogin_ = LoginItem::isRegistered();
    if (!g_instance)
        g_instance = this;
}

AppState::~AppState()
{
    if (g_instance == this)
        g_instance = nullptr;
}

AppState* AppState::create(QQmlEngine*, QJSEngine*)
{
    AppState* state = g_instance ? g_instance : new AppState(nullptr);
    QJSEngine::setObjectOwnership(state, QJSEngine::CppOwnership);
    return state;
}

AppState* AppState::instance() { return g_instance; }

QString AppState::section() const { return section_ ? sectionId(*section_) : QString(); }

void AppState::setSection(const QString& id)
{
    const std::optional<AppSection> next = sectionFromId(id);
    if (next == section_)
        return;
    section_ = next;
    emit sectionChanged();
}

QVariantList AppState::sections() const
{
    QVariantList list;
    for (const auto& info : allSections()) {
        list.append(QVariantMap{
            {"id", QString::fromLatin1(info.id)},
            {"title", QString::fromUtf8(info.title)},
            {"symbol", QString::fromLatin1(info.symbol)},
            {"tint", QString::fromLatin1(info.tint)},
            {"label", QString::fromUtf8(info.label)},
            {"icon", QString::fromLatin1(info.icon)},
        });
    }
    return list;
}

void AppState::setMessage(const QString& text)
{
    // Operations only ever set a text; clearing is the window's job, and an
    // empty text from a screen means the same as dismissing.
    if (text.isEmpty()) {
        dismissMessage();
        return;
    }
    message_ = text;
    emit messageChanged();
}

void AppState::dismissMessage()
{
    if (!message_)
        return;
    message_.reset();
    emit messageChanged();
}

void AppState::setBusy(bool busy) { assign(busy_, busy, &AppState::busyChanged); }

void AppState::refreshStats()
{
    assign(disk_, FS::disk(), &AppState::diskChanged);
    assign(mem_, FS::memory(), &AppState::memChanged);
    refreshFda();
}

void AppState::refreshFda() { setFda(FS::hasFullDiskAccess()); }

void AppState::setFda(bool fda) { assign(fda_, fda, &AppState::fdaChanged); }

void AppState::addFreed(qint64 bytes)
{
    if (bytes <= 0)
        return;  // the total only grows
    totalFreed_ += bytes;
    auto standard = Prefs::standard();
    standard->setValue(QStringLiteral("totalFreed"), static_cast<qlonglong>(totalFreed_));
    standard->sync();
    emit totalFreedChanged();
}

void AppState::setJunkScanned(bool scanned)
{
    if (assign(junkScanned_, scanned, &AppState::junkScannedChanged))
        updateDensity();
}

void AppState::setJunkScanning(bool scanning)
{
    if (assign(junkScanning_, scanning, &AppState::junkScanningChanged))
        updateDensity();
}

void AppState::setJunkLive(qint64 bytes)
{
    if (assign(junkLive_, bytes, &AppState::junkLiveChanged))
        updateDensity();
}

void AppState::setJunkCurrent(const QString& text)
{
    assign(junkCurrent_, text, &AppState::junkCurrentChanged);
}

void AppState::setJunkGroups(std::vector<JunkGroup> groups)
{
    junkGroups_ = std::move(groups);
    refreshJunkModel();
    emit junkGroupsChanged();
    updateDensity();
}

void AppState::refreshJunkModel()
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
                {"selected", item.selected},
                {"note", item.note},
            });
        }
        const int count = int(group.items.size());
        rows.append(QVariantMap{
            {"groupId", group.id},
            {"title", group.title},
            {"detail", group.detail},
            {"symbol", group.symbol},
            {"permanent", group.permanent},
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

QVariantList AppState::largestJunkGroups() const
{
    std::vector<std::int64_t> totals;
    for (const JunkGroup& group : junkGroups_)
        totals.push_back(group.total());
    QVariantList list;
    for (std::size_t index : largestFirst(totals, 4))
        list.append(QVariantMap{{"title", junkGroups_[index].title},
                                {"total", static_cast<qint64>(totals[index])}});
    return list;
}

bool AppState::trashWillEmpty() const
{
    for (const JunkGroup& group : junkGroups_)
        if (group.id == QLatin1String("trash") && group.selectedTotal() > 0)
            return true;
    return false;
}

void AppState::toggleJunkItem(const QString& groupId, const QString& itemId)
{
    const QUuid id(itemId);
    for (JunkGroup& group : junkGroups_) {
        if (group.id != groupId)
            continue;
        for (JunkItem& item : group.items) {
            if (item.id == id) {
                item.selected = !item.selected;
                setJunkGroups(std::move(junkGroups_));
                return;
            }
        }
    }
}

void AppState::toggleJunkGroup(const QString& groupId)
{
    for (JunkGroup& group : junkGroups_) {
        if (group.id != groupId)
            continue;
        const bool allOn = !group.items.empty()
            && std::all_of(group.items.begin(), group.items.end(), [](const JunkItem& i) { return i.selected; });
        for (JunkItem& item : group.items)
            item.selected = !allOn;
        setJunkGroups(std::move(junkGroups_));
        return;
    }
}

void AppState::scanJunk()
{
    if (junkScanning_)
        return;  // one scan at a time
    setJunkScanning(true);
    setJunkLive(0);
    setJunkCurrent(QString());
    Sound::play(QStringLiteral("scan_start"));

    QPointer<AppState> self(this);
    QThreadPool::globalInstance()->start([self] {
        std::vector<JunkGroup> groups = Sweeper::scanJunk(Profiles::active().junk.rules(), [self](const QString& title, std::int64_t bytes) {
            QMetaObject::invokeMethod(self.data(), [self, title, bytes] {
                if (!self)
                    return;
                self->setJunkCurrent(title);
                if (bytes > 0)
                    self->setJunkLive(self->junkLive_ + bytes);
            }, Qt::QueuedConnection);
        });
        // a short pause, so the last figure can be read before the result replaces it
        QThread::msleep(400);
        auto result = std::make_shared<std::vector<JunkGroup>>(std::move(groups));
        QMetaObject::invokeMethod(self.data(), [self, result] {
            if (!self)
                return;
            self->setJunkGroups(std::move(*result));
            self->setJunkScanning(false);
            self->setJunkScanned(true);
            Sound::play(QStringLiteral("scan_done"));
        }, Qt::QueuedConnection);
    });
}

void AppState::cleanJunk()
{
    std::vector<RemovalTarget> targets;
    for (const JunkGroup& group : junkGroups_)
        for (const JunkItem& item : group.items)
            if (item.selected)
                targets.push_back({item.url, group.permanent, item.size});
    perform(std::move(targets), [this] { pruneJunk(); });
}

void AppState::pruneJunk()
{
    std::vector<JunkGroup> kept;
    for (JunkGroup& group : junkGroups_) {
        std::erase_if(group.items, [](const JunkItem& item) {
            std::error_code ec;
            return !std::filesystem::exists(std::filesystem::symlink_status(item.url, ec));
        });
        if (!group.items.empty())
            kept.push_back(std::move(group));
    }
    setJunkGroups(std::move(kept));
}

void AppState::perform(std::vector<RemovalTarget> targets, std::function<void()> then)
{
    setBusy(true);
    Removal::AdminRunner admin = removalAdmin_;
    if (!admin)
        admin = [](const std::string& command) { return Shell::runAdmin(command); };
    QPointer<AppState> self(this);
    QThreadPool::globalInstance()->start([self, targets = std::move(targets), then = std::move(then), admin] {
        const RemovalOutcome outcome = Removal::run(targets, admin);
        QMetaObject::invokeMethod(self.data(), [self, outcome, then] {
            if (!self)
                return;
            self->publishRemoval(outcome);
            if (then)
                then();
        }, Qt::QueuedConnection);
    });
}

void AppState::publishRemoval(const RemovalOutcome& outcome)
{
    setBusy(false);
    {
        auto standard = Prefs::standard();
        const qint64 total = Prefs::recordRemoval(*standard, outcome.freed, outcome.trashed);
        assign(totalFreed_, total, &AppState::totalFreedChanged);
    }
    if (outcome.freed + outcome.trashed > 0) {
        Sound::play(QStringLiteral("clean"));
        setCelebrate(Celebration{outcome.freed, outcome.trashed});
    }
    if (!outcome.failures.empty())
        setMessage(Removal::failureMessage(outcome.failures));
    refreshStats();
}

qint64 AppState::junkTotal() const
{
    qint64 sum = 0;
    for (const auto& group : junkGroups_)
        sum += group.total();
    return sum;
}

qint64 AppState::junkSelectedTotal() const
{
    qint64 sum = 0;
    for (const auto& group : junkGroups_)
        sum += group.selectedTotal();
    return sum;
}

void AppState::setCelebrate(std::optional<Celebration> value)
{
    assign(celebrate_, value, &AppState::celebrateChanged);
}

void AppState::dismissCelebration() { setCelebrate(std::nullopt); }

void AppState::setLargeMin(qint64 bytes) { assign(largeMin_, bytes, &AppState::largeMinChanged); }

QString AppState::largeMinLabel() const { return Sweeper::largeThresholdLabel(largeMin_); }

QVariantList AppState::largeOptions() const
{
    QVariantList list;
    for (const Sweeper::LargeThreshold& option : Sweeper::largeThresholds())
        list.append(QVariantMap{{"label", QString::fromLatin1(option.label)},
                                {"bytes", static_cast<qint64>(option.bytes)}});
    return list;
}

qint64 AppState::largeSelectedTotal() const
{
    qint64 sum = 0;
    for (const LargeFile& file : largeFiles_)
        sum += file.selected ? file.size : 0;
    return sum;
}

int AppState::largeSelectedCount() const
{
    return int(std::count_if(largeFiles_.begin(), largeFiles_.end(), [](const LargeFile& f) { return f.selected; }));
}

void AppState::setLargeFiles(std::vector<LargeFile> files)
{
    largeFiles_ = std::move(files);
    refreshLargeModels();
    emit largeFilesChanged();
}

void AppState::refreshLargeModels()
{
    auto rowOf = [](const LargeFile& file) {
        const QString path = QFile::decodeName(QByteArray::fromStdString(file.url.native()));
        return QVariantMap{
            {"fileId", file.id.toString(QUuid::WithoutBraces)},
            {"name", QFile::decodeName(QByteArray::fromStdString(file.url.filename().native()))},
            {"folder", FS::pretty(file.url.parent_path())},
            {"path", path},
            {"size", static_cast<qint64>(file.size)},
            {"accessed", file.accessed ? QVariant(*file.accessed) : QVariant()},
            {"selected", file.selected},
        };
    };
    QList<QVariantMap> rows;
    for (const LargeFile& file : largeFiles_)
        rows.append(rowOf(file));
    QList<QVariantMap> byAge;
    for (std::size_t index : oldestFirst(largeFiles_))
        byAge.append(rows.at(qsizetype(index)));
    largeFileModel_->setRows(std::move(rows));
    largeFileModelByAge_->setRows(std::move(byAge));
}

void AppState::toggleLargeFile(const QString& fileId)
{
    const QUuid id(fileId);
    for (LargeFile& file : largeFiles_) {
        if (file.id == id) {
            file.selected = !file.selected;
            setLargeFiles(std::move(largeFiles_));
            return;
        }
    }
}

void AppState::scanLarge()
{
    largeFlag_->cancelled = true;  // a running scan stops at its next check
    largeFlag_ = std::make_shared<CancelFlag>();
    const CancelFlagPtr flag = largeFlag_;
    setLargeScanning(true);
    setLargeProgress(0);
    setLargeFiles({});
    Sound::play(QStringLiteral("scan_start"));

    const std::int64_t minBytes = largeMin_;
    QPointer<AppState> self(this);
    QThreadPool::globalInstance()->start([self, flag, minBytes] {
        std::vector<LargeFile> found = Sweeper::scanLarge(minBytes, *flag, [self, flag](int count) {
            QMetaObject::invokeMethod(self.data(), [self, flag, count] {
                if (self && self->largeFlag_ == flag)
                    self->setLargeProgress(count);
            }, Qt::QueuedConnection);
        }, FS::home(), 0, Profiles::active().traits.large);
        auto result = std::make_shared<std::vector<LargeFile>>(std::move(found));
        QMetaObject::invokeMethod(self.data(), [self, flag, result] {
            if (!self || self->largeFlag_ != flag)
                return;  // a newer scan has started: this result is dropped
            self->setLargeFiles(std::move(*result));
            self->setLargeScanning(false);
            self->assign(self->largeScanned_, true, &AppState::largeScannedChanged);
            Sound::play(QStringLiteral("scan_done"));
        }, Qt::QueuedConnection);
    });
}

void AppState::cancelLarge() { largeFlag_->cancelled = true; }

void AppState::trashLarge()
{
    std::vector<RemovalTarget> targets;
    for (const LargeFile& file : largeFiles_)
        if (file.selected)
            targets.push_back({file.url, false, file.size});
    perform(std::move(targets), [this] {
        std::vector<LargeFile> kept;
        for (LargeFile& file : largeFiles_) {
            std::error_code ec;
            if (std::filesystem::exists(std::filesystem::symlink_status(file.url, ec)))
                kept.push_back(std::move(file));
        }
        setLargeFiles(std::move(kept));
    });
}

void AppState::trashSpaceSelection(SpaceModel* model)
{
    if (!model)
        return;
    std::vector<RemovalTarget> targets;
    for (const SizeEntry& entry : model->selectedEntries())
        targets.push_back({entry.url, false, std::max<std::int64_t>(entry.size, 0)});
    if (targets.empty())
        return;
    QPointer<SpaceModel> space(model);
    perform(std::move(targets), [space] {
        if (space)
            space->open(space->current(), false);
    });
}

double AppState::nebulaDensity() const
{
    return nebulaDensityFor(junkScanning_, junkScanned_, junkLive_, junkSelectedTotal());
}

void AppState::updateDensity()
{
    assign(lastDensity_, nebulaDensity(), &AppState::nebulaDensityChanged);
}
