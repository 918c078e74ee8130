#include "app/LintState.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <utility>

#include <QFile>
#include <QPointer>

#include "app/DupesState.h"
#include "app/NeverTouchState.h"
#include "app/RemovalState.h"
#include "i18n/L.h"
#include "platform/Background.h"
#include "platform/FS.h"
#include "platform/Sound.h"
#include "profiles/Profile.h"

namespace fs = std::filesystem;

namespace {

QString text(const fs::path& path) { return QFile::decodeName(QByteArray::fromStdString(path.native())); }

} // namespace

LintState::LintState(RemovalState& removals, NeverTouchState& never, const DupesState& place, QObject* parent)
    : QObject(parent), OneInstance(this), removals_(removals), never_(never), place_(place)
{
    connect(&never_, &NeverTouchState::placesChanged, this, &LintState::honourNeverTouch);
    model_ = new RecordListModel({"rowId", "kind", "name", "folder", "path", "folders", "target", "selected", "note"},
                                 "rowId", this);
}

int LintState::lintSelectedCount() const
{
    return int(std::count_if(items_.begin(), items_.end(), [](const Lint::Item& item) { return item.selected; }));
}

std::vector<Lint::Item> LintState::selected() const
{
    std::vector<Lint::Item> ticked;
    std::copy_if(items_.begin(), items_.end(), std::back_inserter(ticked),
                 [](const Lint::Item& item) { return item.selected; });
    return ticked;
}

void LintState::setItems(std::vector<Lint::Item> items)
{
    items_ = std::move(items);
    scanned_ = true;
    refresh();
}

void LintState::refresh()
{
    QList<QVariantMap> rows;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const Lint::Item& item = items_[i];
        const fs::path path(item.path);
        rows.append({{"rowId", QString::number(i)},
                     {"kind", item.kind == Lint::Kind::EmptyFolder ? "folder" : "link"},
                     {"name", text(path.filename())},
                     {"folder", FS::pretty(path.parent_path())},
                     {"path", text(path)},
                     {"folders", item.folders},
                     {"target", text(fs::path(item.target))},
                     {"selected", item.selected},
                     {"note", Lint::noteOf(item)}});
    }
    model_->setRows(std::move(rows));
    emit lintItemsChanged();
    if (plan_.shown())
        planLint();  // the confirmation shows the plan of the ticks as they are now
}

void LintState::toggleLint(const QString& rowId)
{
    bool ok = false;
    const std::size_t i = rowId.toULongLong(&ok);
    if (!ok || i >= items_.size())
        return;
    Lint::Item& item = items_[i];
    item.selected = !item.selected;
    item.held.clear();  // ticked again: the removal checks it again
    ticks_.remember(text(fs::path(item.path)), item.path, item.selected);
    refresh();
}

void LintState::selectAllLint()
{
    for (Lint::Item& item : items_) {
        item.selected = true;
        item.held.clear();
        ticks_.remember(text(fs::path(item.path)), item.path, true);
    }
    refresh();
}

void LintState::selectNoLint()
{
    for (Lint::Item& item : items_) {
        item.selected = false;
        ticks_.remember(text(fs::path(item.path)), item.path, false);
    }
    refresh();
}

void LintState::planLint()
{
    planned_ = selected();
    const int count = int(planned_.size());
    plan_.show(Lint::planRecord(planned_), LP(count, "Remover %ld itens?", count));
    emit lintPlanChanged();
}

void LintState::closePlan()
{
    if (plan_.close())
        emit lintPlanChanged();
}

void LintState::removeLint()
{
    // What is removed is what the confirmation showed (made now when none is shown).
    std::vector<Lint::Item> items = plan_.shown() ? planned_ : selected();
    closePlan();
    if (items.empty())
        return;
    std::set<std::string> tried;
    for (const Lint::Item& item : items)
        tried.insert(item.path);
    const Admin::Runner admin = removals_.adminRunner();
    auto record = std::make_shared<std::optional<Plan::Outcome>>();
    removals_.performWork(
        [items = std::move(items), admin, record] {
            RemovalOutcome outcome = Lint::remove(items, admin);
            *record = outcome.record;
            return outcome;
        },
        [this, tried = std::move(tried), record] { afterRemoval(tried, *record ? &**record : nullptr); });
}

void LintState::afterRemoval(const std::set<std::string>& tried, const Plan::Outcome* outcome)
{
    // Why each path the removal reached stayed, when it did.
    std::map<std::string, QString> reasons;
    if (outcome)
        for (std::size_t i = 0; i < outcome->plan.items.size() && i < outcome->results.size(); ++i)
            reasons[outcome->plan.items[i].path.native()] = outcome->results[i].reason;
    std::vector<Lint::Item> left;
    for (Lint::Item& item : items_) {
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(item.path, ec)))
            continue;  // gone
        if (tried.count(item.path) > 0) {
            // tried and still there: unticked, with the removal's reason
            const auto reason = reasons.find(item.path);
            item.selected = false;
            item.held = reason != reasons.end() && !reason->second.isEmpty() ? reason->second : L("Não foi removido");
        }
        left.push_back(std::move(item));
    }
    setItems(std::move(left));
}

void LintState::scanLint()
{
    flag_->cancelled = true;  // a running search stops at its next check
    flag_ = std::make_shared<CancelFlag>();
    const CancelFlagPtr flag = flag_;
    assign(scanning_, true, &LintState::lintScanningChanged);
    assign(progress_, qint64(0), &LintState::lintProgressChanged);
    Sound::play(QStringLiteral("scan_start"));

    Lint::Options options;
    options.hidden = place_.dupesHidden();
    options.never = never_.list();
    options.needed = Profiles::neededFolders(Profiles::active().traits, FS::home());
    const fs::path folder = place_.searchedFolder();
    const QPointer<QObject> self(this);
    Background::run(
        this,
        [self, state = this, flag, options, folder] {
            const auto progress = [self, state, flag](std::int64_t entries) {
                Background::post(self, [state, flag, entries] {
                    if (state->flag_ == flag)
                        state->assign(state->progress_, qint64(entries), &LintState::lintProgressChanged);
                });
            };
            return Lint::find(folder, options, *flag, progress);
        },
        [this, flag](Lint::Result result) {
            if (flag_ != flag)
                return;  // a newer search has started: this result is dropped
            assign(scanning_, false, &LintState::lintScanningChanged);
            if (result.cancelled)
                return;  // a stopped search keeps nothing: the last list stays
            for (Lint::Item& item : result.items)
                item.selected = ticks_.tickFor(text(fs::path(item.path)), item.path, item.selected);
            assign(ignoredCount_, result.ignored, &LintState::ignoredCountChanged);
            setItems(std::move(result.items));
            Sound::play(QStringLiteral("scan_done"));
        });
}

void LintState::cancelLint() { flag_->cancelled = true; }

void LintState::honourNeverTouch()
{
    const NeverTouchList& never = never_.list();
    const auto hidden = std::erase_if(items_, [&never](const Lint::Item& item) { return never.covers(item.path); });
    if (hidden == 0)
        return;
    setItems(std::move(items_));
    assign(ignoredCount_, ignoredCount_ + int(hidden), &LintState::ignoredCountChanged);
}
