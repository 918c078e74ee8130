#include "app/LargeState.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include <QFile>
#include <QVariantMap>

#include "app/NeverTouchState.h"
#include "app/RemovalState.h"
#include "engines/large/LargeFiles.h"
#include "engines/removal/Removal.h"
#include "i18n/L.h"
#include "i18n/ShownText.h"
#include "platform/Background.h"
#include "platform/FS.h"
#include "platform/Fmt.h"
#include "platform/Sound.h"
#include "profiles/Profile.h"

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

LargeState::LargeState(RemovalState& removals, NeverTouchState& never, QObject* parent)
    : QObject(parent), OneInstance(this), removals_(removals), never_(never)
{
    connect(&never_, &NeverTouchState::placesChanged, this, &LargeState::honourNeverTouch);
    const QStringList roles{"fileId", "name", "folder", "path", "size", "accessed", "selected"};
    largeFileModel_ = new RecordListModel(roles, "fileId", this);
    largeFileModelByAge_ = new RecordListModel(roles, "fileId", this);
}

void LargeState::setLargeMin(qint64 bytes)
{
    if (bytes == largeMin_)
        return;
    largeMin_ = bytes;
    emit largeMinChanged();
    refreshLargeModels();
    emit largeFilesChanged();
}

QString LargeState::largeMinLabel() const { return Sweeper::largeThresholdLabel(largeMin_); }

QString LargeState::largeShownMinLabel() const { return Sweeper::largeThresholdLabel(largeShownMin()); }

QString LargeState::largeSummary() const
{
    // the threshold keeps its own order inside a right-to-left sentence
    return Sweeper::largeCountSentence(largeCount(), shownRun(largeShownMinLabel()));
}

std::vector<LargeFile> LargeState::shownLargeFiles() const
{
    std::vector<LargeFile> shown;
    for (const LargeFile& file : largeFiles_)
        if (file.size >= largeShownMin())
            shown.push_back(file);
    return shown;
}

QVariantList LargeState::largeOptions() const
{
    QVariantList list;
    for (const Sweeper::LargeThreshold& option : Sweeper::largeThresholds())
        list.append(QVariantMap{{"label", Sweeper::largeThresholdLabel(option.bytes)},
                                {"bytes", static_cast<qint64>(option.bytes)}});
    return list;
}

qint64 LargeState::largeSelectedTotal() const
{
    qint64 sum = 0;
    for (const LargeFile& file : shownLargeFiles())
        sum += file.selected ? file.size : 0;
    return sum;
}

int LargeState::largeSelectedCount() const
{
    const std::vector<LargeFile> shown = shownLargeFiles();
    return int(std::count_if(shown.begin(), shown.end(), [](const LargeFile& f) { return f.selected; }));
}

void LargeState::setLargeFiles(std::vector<LargeFile> files)
{
    largeFiles_ = std::move(files);
    refreshLargeModels();
    emit largeFilesChanged();
    if (plan_.shown())
        planTrash();  // the confirmation shows the plan of the list as it is now
}

void LargeState::refreshLargeModels()
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
    const std::vector<LargeFile> shown = shownLargeFiles();
    QList<QVariantMap> rows;
    for (const LargeFile& file : shown)
        rows.append(rowOf(file));
    QList<QVariantMap> byAge;
    for (std::size_t index : oldestFirst(shown))
        byAge.append(rows.at(qsizetype(index)));
    largeFileModel_->setRows(std::move(rows));
    largeFileModelByAge_->setRows(std::move(byAge));
}

void LargeState::toggleLargeFile(const QString& fileId)
{
    const QUuid id(fileId);
    for (LargeFile& file : largeFiles_) {
        if (file.id == id) {
            file.selected = !file.selected;
            ticks_.remember(FS::text(file.url), file.url, file.selected);
            setLargeFiles(std::move(largeFiles_));
            return;
        }
    }
}

void LargeState::scanLarge()
{
    largeFlag_->cancelled = true;  // a running walk stops at its next check
    largeFlag_ = std::make_shared<CancelFlag>();
    const CancelFlagPtr flag = largeFlag_;
    setLargeScanning(true);
    setLargeProgress(0);
    setLargeFiles({});
    assign(ignoredCount_, 0, &LargeState::ignoredCountChanged);
    Sound::play(QStringLiteral("scan_start"));

    const std::int64_t minBytes = largeMin_;
    const LargeWalkRules rules = Profiles::active().traits.large;
    const NeverTouchList never = never_.list();
    const QPointer<QObject> self(this);
    // The walking threads only hand `state` on; it is used on the main thread.
    Background::run(
        this,
        [self, state = this, flag, minBytes, rules, never] {
            const auto progress = [self, state, flag](int count) {
                Background::post(self, [state, flag, count] {
                    if (state->largeFlag_ == flag)
                        state->setLargeProgress(count);
                });
            };
            return Sweeper::scanLarge(minBytes, *flag, never, progress, FS::home(), 0, rules);
        },
        [this, flag, minBytes](LargeFound result) {
            if (largeFlag_ != flag)
                return;  // a newer walk has started: this result is dropped
            listMin_ = minBytes;
            assign(ignoredCount_, result.ignored, &LargeState::ignoredCountChanged);
            std::vector<LargeFile>& found = result.files;
            for (LargeFile& file : found)
                file.selected = ticks_.tickFor(FS::text(file.url), file.url, file.selected);
            setLargeFiles(std::move(found));
            setLargeScanning(false);
            assign(largeScanned_, true, &LargeState::largeScannedChanged);
            Sound::play(QStringLiteral("scan_done"));
        });
}

void LargeState::cancelLarge() { largeFlag_->cancelled = true; }

void LargeState::honourNeverTouch()
{
    const NeverTouchList& never = never_.list();
    const auto hidden = std::erase_if(largeFiles_, [&never](const LargeFile& file) { return never.covers(file.url); });
    if (hidden == 0)
        return;
    setLargeFiles(std::move(largeFiles_));
    assign(ignoredCount_, ignoredCount_ + int(hidden), &LargeState::ignoredCountChanged);
}

Plan::Record LargeState::makePlan() const
{
    std::vector<RemovalTarget> targets;
    for (const LargeFile& file : shownLargeFiles())
        if (file.selected)
            targets.push_back({file.url, false, file.size});
    return Removal::planTrash(QStringLiteral("large"), L("Arquivos grandes"), targets);
}

void LargeState::planTrash()
{
    Plan::Record plan = makePlan();
    const QString heading = LF("Mover %@ para a Lixeira?", shownRun(Fmt::bytes(Plan::totalBytes(plan))));
    plan_.show(std::move(plan), heading);
    emit trashPlanChanged();
}

void LargeState::closePlan()
{
    if (plan_.close())
        emit trashPlanChanged();
}

void LargeState::trashLarge()
{
    Plan::Record plan = plan_.take([this] { return makePlan(); });
    emit trashPlanChanged();
    if (plan.empty())
        return;
    removals_.performPlan(std::move(plan), [this](const RemovalOutcome& outcome) {
        // What went leaves the list; what stayed is unticked; the rest keeps its ticks.
        std::map<std::filesystem::path, Plan::Result> results;
        if (outcome.record)
            for (std::size_t i = 0; i < outcome.record->plan.items.size(); ++i)
                results[outcome.record->plan.items[i].path] = outcome.record->results[i].result;
        std::vector<LargeFile> kept;
        for (LargeFile& file : largeFiles_) {
            const auto found = results.find(file.url);
            if (found != results.end() && (found->second == Plan::Result::done || found->second == Plan::Result::gone))
                continue;
            if (found != results.end() && found->second != Plan::Result::notRun)
                file.selected = false;
            kept.push_back(std::move(file));
        }
        setLargeFiles(std::move(kept));
    });
}
