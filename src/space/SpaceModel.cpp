#include "space/SpaceModel.h"

#include <numeric>

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QSemaphore>
#include <QVariantMap>

#include "i18n/L.h"
#include "i18n/ShownText.h"
#include "platform/FS.h"
#include "platform/Fmt.h"
#include "platform/NeverTouch.h"
#include "platform/Sound.h"
#include "space/SpaceMeasure.h"
#include "space/SpacePlan.h"

namespace {

QString textOf(const std::filesystem::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

std::filesystem::path pathOf(const QString& text)
{
    return std::filesystem::path(QFile::encodeName(text).toStdString());
}

// "/a/./b/" -> "/a/b", so that the same folder always compares equal.
std::filesystem::path cleaned(const std::filesystem::path& path)
{
    std::string text = path.lexically_normal().native();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

} // namespace

// ---- SpaceEntryModel ------------------------------------------------------------

SpaceEntryModel::SpaceEntryModel(SpaceModel* owner) : QAbstractListModel(owner), owner_(owner) {}

int SpaceEntryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(owner_->entries_.size());
}

QVariant SpaceEntryModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const SizeEntry& entry = owner_->entries_[std::size_t(index.row())];
    switch (role) {
    case EntryId:
    case Path:
        return entry.id();
    case Qt::DisplayRole:
    case Name:
        return entry.name();
    case Size:
        return qint64(entry.size);
    case IsDir:
        return entry.isDir;
    case IsLink:
        return entry.isLink;
    case OpensFolder:
        return entry.opensFolder();
    case Selected:
        return owner_->selected_.contains(entry.id());
    case Protected:
        return FS::isProtected(entry.url);
    case Ignored:
        return owner_->neverTouch_.covers(entry.url);
    case NeverTouch:
        return Space::neverTouchReason(entry.url, owner_->neverTouch_);
    default:
        return {};
    }
}

QHash<int, QByteArray> SpaceEntryModel::roleNames() const
{
    return {{EntryId, "entryId"},     {Name, "name"},          {Path, "path"},
            {Size, "size"},           {IsDir, "isDir"},        {Selected, "selected"},
            {Protected, "protectedEntry"}, {IsLink, "isLink"}, {OpensFolder, "opensFolder"},
            {Ignored, "ignored"},     {NeverTouch, "neverTouch"}};
}

void SpaceEntryModel::reset()
{
    beginResetModel();
    endResetModel();
}

void SpaceEntryModel::rowsChanged(const std::vector<std::size_t>& rows, const QList<int>& roles)
{
    if (rows.empty())
        return;
    // One signal over the span of the changed rows: a batch of thousands of
    // sizes is one update of the view, not thousands.
    const auto [low, high] = std::minmax_element(rows.begin(), rows.end());
    emit dataChanged(index(int(*low)), index(int(*high)), roles);
}

// ---- SpaceModel -------------------------------------------------------------------

SpaceModel::SpaceModel(QObject* parent)
    : QObject(parent), current_(cleaned(FS::home())), entryModel_(new SpaceEntryModel(this))
{
    pool_.setMaxThreadCount(8);
    // the confirmation shows the plan of the selection as it is now
    connect(this, &SpaceModel::totalsChanged, this, [this] {
        if (plan_.shown())
            planTrash();
    });
}

SpaceModel::~SpaceModel()
{
    // The measuring threads notice the cancel within moments; wait for them,
    // so none outlives the model.
    loadCancel_->store(true);
    pool_.waitForDone();
}

void SpaceModel::open(const QString& path, bool push) { open(pathOf(path), push); }

void SpaceModel::openUrl(const QUrl& url, bool push)
{
    if (url.isLocalFile())
        open(url.toLocalFile(), push);
}

void SpaceModel::openHome(bool push) { open(FS::home(), push); }

void SpaceModel::open(const std::filesystem::path& url, bool push)
{
    const std::filesystem::path folder = cleaned(url);
    if (push && folder != current_) {
        history_.push_back(current_);
        emit historyChanged();
    }
    current_ = folder;
    selected_.clear();
    setRefusal({}, {});
    entries_ = Space::listEntries(folder, showHidden_);
    entryModel_->reset();
    emit currentChanged();
    emit entriesChanged();
    emit totalsChanged();
    setLoading(true);

    loadCancel_->store(true);  // the older measuring stops; its results would be dropped anyway
    loadCancel_ = std::make_shared<std::atomic<bool>>(false);
    token_ = QUuid::createUuid();

    std::vector<std::filesystem::path> children = Space::toMeasure(entries_);
    QPointer<SpaceModel> self(this);
    const QUuid token = token_;
    const std::shared_ptr<std::atomic<bool>> cancel = loadCancel_;
    pool_.start([self, token, cancel, children = std::move(children)] {
        // Each batch is merged on the main thread; the measuring waits for it
        // (so at most one batch is in flight) but keeps an eye on the cancel,
        // so that a model going away is never waited for.
        const Space::HandOver handOver = [&](Space::Batch batch) {
            auto merged = std::make_shared<QSemaphore>();
            QMetaObject::invokeMethod(QCoreApplication::instance(), [self, token, batch = std::move(batch), merged] {
                if (self)
                    self->apply(batch, token);
                merged->release();
            }, Qt::QueuedConnection);
            while (!merged->tryAcquire(1, 50))
                if (cancel->load())
                    return false;
            return !cancel->load();
        };
        Space::measure(children, handOver, cancel.get());
        if (cancel->load())
            return;
        QMetaObject::invokeMethod(QCoreApplication::instance(), [self, token] {
            if (self)
                self->finishLoad(token);
        }, Qt::QueuedConnection);
    });
}

void SpaceModel::back()
{
    if (history_.empty())
        return;
    const std::filesystem::path previous = history_.back();
    history_.pop_back();
    emit historyChanged();
    open(previous, false);
}

void SpaceModel::apply(const Space::Batch& batch, const QUuid& token)
{
    if (token != token_ || batch.empty())
        return;
    const std::vector<std::size_t> changed = Space::applyBatch(entries_, batch);
    if (changed.empty())
        return;
    entryModel_->rowsChanged(changed, {SpaceEntryModel::Size});
    emit entriesChanged();
    emit totalsChanged();
}

void SpaceModel::finishLoad(const QUuid& token)
{
    if (token != token_)
        return;  // a newer load owns the entries and the loading flag
    Space::sortBySize(entries_);
    entryModel_->reset();
    emit entriesChanged();
    setLoading(false);
}

void SpaceModel::setLoading(bool loading)
{
    if (loading_ == loading)
        return;
    loading_ = loading;
    emit loadingChanged();
}

int SpaceModel::rowOf(const QString& id) const
{
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].id() == id)
            return int(i);
    return -1;
}

bool SpaceModel::canSelect(const QString& id) const
{
    const int row = rowOf(id);
    return row >= 0 && !FS::isProtected(entries_[std::size_t(row)].url)
           && Space::keptReason(entries_[std::size_t(row)], neverTouch_).isEmpty();
}

bool SpaceModel::isIgnored(const QString& id) const { return neverTouch_.covers(pathOf(id)); }

QString SpaceModel::neverTouchReason(const QString& id) const { return Space::neverTouchReason(pathOf(id), neverTouch_); }

void SpaceModel::toggle(const QString& id)
{
    const int row = rowOf(id);
    if (row < 0)
        return;
    const SizeEntry& entry = entries_[std::size_t(row)];
    if (!selected_.remove(id)) {
        if (FS::isProtected(entry.url)) {
            setRefusal(id, entry.isDir ? L("Pasta protegida: o Quillmoor não a remove")
                                       : L("Arquivo protegido: o Quillmoor não o remove"));
            return;
        }
        if (const QString why = Space::keptReason(entry, neverTouch_); !why.isEmpty()) {
            setRefusal(id, why);
            return;
        }
        selected_.insert(id);
    }
    setRefusal({}, {});
    entryModel_->rowsChanged({std::size_t(row)}, {SpaceEntryModel::Selected});
    emit totalsChanged();
}

void SpaceModel::setRefusal(const QString& id, const QString& why)
{
    if (refusedEntry_ == id && refusal_ == why)
        return;
    refusedEntry_ = id;
    refusal_ = why;
    emit refusalChanged();
}

void SpaceModel::activate(const QString& id)
{
    const int row = rowOf(id);
    if (row < 0)
        return;
    const SizeEntry entry = entries_[std::size_t(row)];
    if (entry.opensFolder()) {
        Sound::play(QStringLiteral("tick"), 0.25f);
        open(entry.folderToOpen(), true);
    } else {
        toggle(id);  // a protected file stays unselected
    }
}

std::vector<SizeEntry> SpaceModel::selectedEntries() const
{
    std::vector<SizeEntry> chosen;
    if (selected_.isEmpty())
        return chosen;
    for (const SizeEntry& entry : entries_)
        if (selected_.contains(entry.id()))
            chosen.push_back(entry);
    return chosen;
}

QString SpaceModel::currentText() const { return textOf(current_); }

QString SpaceModel::currentName() const
{
    const std::filesystem::path name = current_.filename();
    return name.empty() ? textOf(current_) : textOf(name);
}

QUrl SpaceModel::currentUrl() const { return QUrl::fromLocalFile(currentText()); }

QVariantList SpaceModel::breadcrumbList() const
{
    QVariantList list;
    for (const std::filesystem::path& crumb : Space::breadcrumbs(current_))
        list.append(QVariantMap{{"path", textOf(crumb)}, {"name", textOf(crumb.filename())}});
    return list;
}

void SpaceModel::setHovered(const QString& id)
{
    if (hovered_ == id)
        return;
    hovered_ = id;
    emit hoveredChanged();
}

void SpaceModel::setShowHidden(bool show)
{
    if (showHidden_ == show)
        return;
    showHidden_ = show;
    emit showHiddenChanged();
}

QString SpaceModel::homePath() const { return textOf(cleaned(FS::home())); }

void SpaceModel::setRemovals(QObject* removals)
{
    if (removalsObject_ == removals)
        return;
    removalsObject_ = removals;
    removals_ = qobject_cast<RemovalService*>(removals);
    emit removalsChanged();
}

void SpaceModel::setNeverTouchKeys(const QStringList& keys)
{
    if (keys == neverTouchKeys_)
        return;
    neverTouchKeys_ = keys;
    std::vector<std::filesystem::path> places;
    for (const QString& key : keys)
        if (const std::optional<std::filesystem::path> place = NeverTouch::decode(key))
            places.push_back(*place);
    setNeverTouch(NeverTouchList(std::move(places)));
}

void SpaceModel::setNeverTouch(NeverTouchList list)
{
    neverTouch_ = std::move(list);
    // A ticked entry the list keeps now is unticked (the plan would leave it out anyway).
    bool unticked = false;
    for (const SizeEntry& entry : entries_)
        if (!Space::neverTouchReason(entry.url, neverTouch_).isEmpty())
            unticked |= selected_.remove(entry.id());
    if (!entries_.empty()) {
        std::vector<std::size_t> rows(entries_.size());
        std::iota(rows.begin(), rows.end(), std::size_t(0));
        entryModel_->rowsChanged(rows, {SpaceEntryModel::Selected, SpaceEntryModel::Ignored, SpaceEntryModel::NeverTouch});
    }
    emit neverTouchChanged();
    if (unticked)
        emit totalsChanged();  // a plan on screen is made again
    else if (plan_.shown())
        planTrash();
}

Plan::Record SpaceModel::makePlan() const { return Space::trashPlan(selectedEntries(), neverTouch_); }

void SpaceModel::planTrash()
{
    Plan::Record plan = makePlan();
    const auto count = qint64(plan.items.size());
    const QString heading = LP(count, "Mover %ld itens (%@) para a Lixeira?", count, shownRun(Fmt::bytes(Plan::totalBytes(plan))));
    plan_.show(std::move(plan), heading);
    emit trashPlanChanged();
}

void SpaceModel::closePlan()
{
    if (plan_.close())
        emit trashPlanChanged();
}

void SpaceModel::trashSelection()
{
    Plan::Record plan = plan_.take([this] { return makePlan(); });
    emit trashPlanChanged();
    if (plan.empty() || !removals_ || !removalsObject_)
        return;
    const QPointer<SpaceModel> self(this);
    removals_->performPlan(std::move(plan), [self](const RemovalOutcome&) {
        if (self)
            self->open(self->current(), false);
    });
}
