#pragma once
// The state behind the space page: the folder shown, its children with their
// sizes, the way back, the selection and the entry under the pointer.
// Opening a folder lists its children at once (sizes -1), then measures them
// in the background and merges the sizes in batches; when all are measured
// the list is sorted, largest first. A newer open supersedes an older one by
// its load token (the older measuring is stopped and its results dropped).
// Used on the main thread only.
#include <atomic>
#include <filesystem>
#include <memory>
#include <vector>

#include <QAbstractListModel>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QThreadPool>
#include <QUrl>
#include <QUuid>
#include <QVariantList>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

#include "engines/common/NeverTouchList.h"
#include "engines/removal/PlanMap.h"
#include "engines/removal/RemovalService.h"
#include "space/SpaceLogic.h"

class SpaceModel;

// The children of the shown folder as a list the page's list view reads.
class SpaceEntryModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by SpaceModel")

public:
    enum Role {
        EntryId = Qt::UserRole + 1,
        Name,
        Path,
        Size,
        IsDir,
        Selected,
        Protected,
        IsLink,
        OpensFolder,
        Ignored,     // a place of the never-touch list or inside one
        NeverTouch,  // why the never-touch list keeps it (ignored, or a folder holding a place); empty when it does not
    };

    explicit SpaceEntryModel(SpaceModel* owner);
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Called by the owner after it changed its entries.
    void reset();
    void rowsChanged(const std::vector<std::size_t>& rows, const QList<int>& roles);

private:
    SpaceModel* owner_;
};

class SpaceModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString current READ currentText NOTIFY currentChanged)
    Q_PROPERTY(QString currentName READ currentName NOTIFY currentChanged)
    Q_PROPERTY(QUrl currentUrl READ currentUrl NOTIFY currentChanged)
    Q_PROPERTY(QVariantList breadcrumbs READ breadcrumbList NOTIFY currentChanged)
    Q_PROPERTY(SpaceEntryModel* entryModel READ entryModel CONSTANT)
    Q_PROPERTY(int count READ count NOTIFY entriesChanged)
    Q_PROPERTY(bool loading READ loading NOTIFY loadingChanged)
    Q_PROPERTY(int historyCount READ historyCount NOTIFY historyChanged)
    Q_PROPERTY(qint64 total READ total NOTIFY entriesChanged)
    Q_PROPERTY(qint64 selectedTotal READ selectedTotal NOTIFY totalsChanged)
    Q_PROPERTY(int selectedCount READ selectedCount NOTIFY totalsChanged)
    Q_PROPERTY(QString hovered READ hovered WRITE setHovered NOTIFY hoveredChanged)
    Q_PROPERTY(bool showHidden READ showHidden WRITE setShowHidden NOTIFY showHiddenChanged)
    Q_PROPERTY(QString homePath READ homePath CONSTANT)
    // The entry whose tick was just refused, and why (plain text); empty when none.
    Q_PROPERTY(QString refusedEntry READ refusedEntry NOTIFY refusalChanged)
    Q_PROPERTY(QString refusal READ refusal NOTIFY refusalChanged)
    // The window's removal path (an object that is a RemovalService).
    Q_PROPERTY(QObject* removals READ removals WRITE setRemovals NOTIFY removalsChanged)
    Q_PROPERTY(QVariantMap trashPlan READ trashPlan NOTIFY trashPlanChanged)
    // The never-touch list as stored (NeverTouchState.keys): its places are
    // marked, never ticked, and left out of the plan.
    Q_PROPERTY(QStringList neverTouch READ neverTouchKeys WRITE setNeverTouchKeys NOTIFY neverTouchChanged)

public:
    explicit SpaceModel(QObject* parent = nullptr);
    ~SpaceModel() override;

    // Shows `url`; with `push` the folder being left goes onto the back stack
    // (unless it is the same folder). Returns at once; sizes arrive later.
    void open(const std::filesystem::path& url, bool push);
    Q_INVOKABLE void open(const QString& path, bool push);
    Q_INVOKABLE void openUrl(const QUrl& url, bool push);
    Q_INVOKABLE void openHome(bool push);
    // Returns to the most recent folder of the back stack; nothing when it is empty.
    Q_INVOKABLE void back();
    // Selects the entry, or deselects it; a protected entry is never
    // selected: the refusal then names it and says why.
    Q_INVOKABLE void toggle(const QString& id);
    // A click on a planet: a folder is entered (with a tick), a link to a
    // folder opens that folder by its real path, a file (or any other link) is
    // ticked or unticked unless it is protected.
    Q_INVOKABLE void activate(const QString& id);
    // Whether the entry may be selected (and so removed).
    Q_INVOKABLE bool canSelect(const QString& id) const;
    // Whether the entry is a place of the never-touch list or lies inside one.
    Q_INVOKABLE bool isIgnored(const QString& id) const;
    // Why the never-touch list keeps the entry from being removed; empty when it does not.
    Q_INVOKABLE QString neverTouchReason(const QString& id) const;
    // The plan of moving the selected entries to the Trash, for the
    // confirmation (see planMap): made by planTrash, made again when the
    // selection or its sizes change while it is shown, until closePlan.
    QVariantMap trashPlan() const { return plan_.map(); }
    const Plan::Record& trashPlanRecord() const { return plan_.record(); }
    Q_INVOKABLE void planTrash();
    Q_INVOKABLE void closePlan();
    // Carries out the plan shown (made now when none is) through the removal
    // path, then lists the folder again; nothing without a selection or a
    // removal path.
    Q_INVOKABLE void trashSelection();

    // Takes a changed never-touch list: the marks follow at once, and a
    // selected entry the list now keeps is unticked.
    void setNeverTouch(NeverTouchList list);
    const NeverTouchList& neverTouch() const { return neverTouch_; }
    QStringList neverTouchKeys() const { return neverTouchKeys_; }
    void setNeverTouchKeys(const QStringList& keys);

    QObject* removals() const { return removalsObject_; }
    void setRemovals(QObject* removals);

    // Merges measured sizes when `token` is still the current load's.
    void apply(const Space::Batch& batch, const QUuid& token);

    const std::filesystem::path& current() const { return current_; }
    QString currentText() const;
    QString currentName() const;
    QUrl currentUrl() const;
    QVariantList breadcrumbList() const;
    const std::vector<SizeEntry>& entries() const { return entries_; }
    SpaceEntryModel* entryModel() const { return entryModel_; }
    int count() const { return int(entries_.size()); }
    bool loading() const { return loading_; }
    const std::vector<std::filesystem::path>& history() const { return history_; }
    int historyCount() const { return int(history_.size()); }
    const QSet<QString>& selected() const { return selected_; }
    bool isSelected(const QString& id) const { return selected_.contains(id); }
    std::vector<SizeEntry> selectedEntries() const;
    qint64 total() const { return Space::total(entries_); }
    qint64 selectedTotal() const { return Space::selectedTotal(entries_, selected_); }
    int selectedCount() const { return int(selectedEntries().size()); }
    QString refusedEntry() const { return refusedEntry_; }
    QString refusal() const { return refusal_; }
    QString hovered() const { return hovered_; }
    void setHovered(const QString& id);
    bool showHidden() const { return showHidden_; }
    // Only records the choice; the page lists the folder again with open(current, false).
    void setShowHidden(bool show);
    QString homePath() const;
    const QUuid& token() const { return token_; }

signals:
    void currentChanged();
    void entriesChanged();
    void loadingChanged();
    void historyChanged();
    void totalsChanged();
    void hoveredChanged();
    void showHiddenChanged();
    void removalsChanged();
    void trashPlanChanged();
    void refusalChanged();
    void neverTouchChanged();

private:
    void finishLoad(const QUuid& token);
    void setLoading(bool loading);
    int rowOf(const QString& id) const;
    void setRefusal(const QString& id, const QString& why);

    std::filesystem::path current_;
    std::vector<SizeEntry> entries_;
    bool loading_ = false;
    std::vector<std::filesystem::path> history_;
    QSet<QString> selected_;
    QString refusedEntry_;
    QString refusal_;
    QString hovered_;
    bool showHidden_ = false;
    QUuid token_ = QUuid::createUuid();
    std::shared_ptr<std::atomic<bool>> loadCancel_ = std::make_shared<std::atomic<bool>>(false);
    SpaceEntryModel* entryModel_;
    QPointer<QObject> removalsObject_;
    RemovalService* removals_ = nullptr;
    NeverTouchList neverTouch_;
    QStringList neverTouchKeys_;
    ShownPlan plan_;
    Plan::Record makePlan() const;
    QThreadPool pool_;  // the loads' measuring; a superseded one ends soon after its cancel

    friend class SpaceEntryModel;
};
