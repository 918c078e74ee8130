#pragma once
// The empty folders and broken links of the duplicates page, as the window
// shows them: the search of the page's place (the folder and the hidden
// option DupesState holds) with its count and its stop, the items as a flat
// list with their ticks, and their removal through the plan the confirmation
// shows: empty trees deleted, broken links to the Trash. What went leaves the
// list; what a removal left stays, unticked, with its reason.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include <QObject>
#include <QString>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

#include "app/OneInstance.h"
#include "app/RecordListModel.h"
#include "app/RememberedTicks.h"
#include "engines/dupes/Lint.h"
#include "engines/removal/PlanMap.h"

class DupesState;
class NeverTouchState;
class RemovalState;

class LintState : public QObject, public OneInstance<LintState> {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

    Q_PROPERTY(bool lintScanning READ lintScanning NOTIFY lintScanningChanged)
    Q_PROPERTY(bool lintScanned READ lintScanned NOTIFY lintItemsChanged)
    // Entries the running search has met.
    Q_PROPERTY(qint64 lintProgress READ lintProgress NOTIFY lintProgressChanged)
    // The list: rowId, kind ("folder" or "link"), name, folder, path, folders
    // (an empty tree: the folders it holds), target (a link: where it points),
    // selected, note.
    Q_PROPERTY(RecordListModel* lintModel READ lintModel CONSTANT)
    Q_PROPERTY(int lintCount READ lintCount NOTIFY lintItemsChanged)
    Q_PROPERTY(int lintSelectedCount READ lintSelectedCount NOTIFY lintItemsChanged)
    Q_PROPERTY(QVariantMap lintPlan READ lintPlan NOTIFY lintPlanChanged)
    Q_PROPERTY(int ignoredCount READ ignoredCount NOTIFY ignoredCountChanged)

public:
    // `place` holds where to look and whether hidden folders count.
    LintState(RemovalState& removals, NeverTouchState& never, const DupesState& place, QObject* parent = nullptr);

    bool lintScanning() const { return scanning_; }
    bool lintScanned() const { return scanned_; }
    qint64 lintProgress() const { return progress_; }
    RecordListModel* lintModel() const { return model_; }
    int lintCount() const { return int(items_.size()); }
    int lintSelectedCount() const;
    // How many places the never-touch list kept the last search from (and items it hid since).
    int ignoredCount() const { return ignoredCount_; }
    const std::vector<Lint::Item>& items() const { return items_; }

    // Starts a search of the page's place, superseding a running one.
    Q_INVOKABLE void scanLint();
    // Stops the running search; nothing of it is kept.
    Q_INVOKABLE void cancelLint();
    // Ticks or unticks one item (its row id).
    Q_INVOKABLE void toggleLint(const QString& rowId);
    Q_INVOKABLE void selectAllLint();
    Q_INVOKABLE void selectNoLint();
    // The plan of removing the ticked items, for the confirmation (see
    // planMap): made by planLint, made again when the ticks change while it
    // is shown, until closePlan.
    QVariantMap lintPlan() const { return plan_.map(); }
    const Plan::Record& lintPlanRecord() const { return plan_.record(); }
    Q_INVOKABLE void planLint();
    Q_INVOKABLE void closePlan();
    // Removes the ticked items (the plan shown is theirs).
    Q_INVOKABLE void removeLint();

    // What the search publishes (also the tests' way to show a state).
    void setItems(std::vector<Lint::Item> items);

signals:
    void lintScanningChanged();
    void lintProgressChanged();
    void lintItemsChanged();
    void lintPlanChanged();
    void ignoredCountChanged();

private:
    RemovalState& removals_;
    NeverTouchState& never_;
    const DupesState& place_;
    std::vector<Lint::Item> items_;
    bool scanning_ = false;
    bool scanned_ = false;
    qint64 progress_ = 0;
    int ignoredCount_ = 0;
    CancelFlagPtr flag_ = std::make_shared<CancelFlag>();
    RecordListModel* model_ = nullptr;
    ShownPlan plan_;
    std::vector<Lint::Item> planned_;  // the items of the plan shown
    RememberedTicks ticks_;  // the user's ticks, kept when the items are found again
    std::vector<Lint::Item> selected() const;
    void refresh();
    // A place added to the never-touch list: the items it covers leave the list at once, counted.
    void honourNeverTouch();
    // After a removal of the items at `tried`: what is gone leaves the list;
    // what stayed is unticked, with why (from the outcome's record when it says).
    void afterRemoval(const std::set<std::string>& tried, const Plan::Outcome* outcome);
};
