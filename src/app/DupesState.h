#pragma once
// The duplicate search as the window shows it: where to look and from what
// size, the search with its phases and its stop, the groups as one flat list
// (a heading row per group, then its copies), which copy is kept, the ticks
// (never the kept copy's), and the two actions on the ticked copies (to the
// Trash, or sharing the kept copy's data). The user's ticks and kept copies
// are remembered by copy, so a removal or a new search keeps them.
#include <cstdint>
#include <vector>

#include <QObject>
#include <QString>
#include <QUrl>
#include <QVariantList>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

#include "app/OneInstance.h"
#include "app/RecordListModel.h"
#include "engines/removal/PlanMap.h"
#include "engines/dupes/DuplicateRemoval.h"
#include "engines/dupes/DuplicateScan.h"
#include "engines/dupes/DuplicateTicks.h"

class RemovalState;

class NeverTouchState;

class DupesState : public QObject, public OneInstance<DupesState> {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

    Q_PROPERTY(bool dupesScanning READ dupesScanning NOTIFY dupesScanningChanged)
    Q_PROPERTY(bool dupesScanned READ dupesScanned NOTIFY dupesGroupsChanged)
    // The phase now running, its counts, and the bytes read so far.
    Q_PROPERTY(QString dupesPhase READ dupesPhase NOTIFY dupesProgressChanged)
    Q_PROPERTY(qint64 dupesProgressFiles READ dupesProgressFiles NOTIFY dupesProgressChanged)
    Q_PROPERTY(qint64 dupesProgressTotal READ dupesProgressTotal NOTIFY dupesProgressChanged)
    Q_PROPERTY(qint64 dupesBytesRead READ dupesBytesRead NOTIFY dupesProgressChanged)
    // Where to look: the home folder unless another was chosen.
    Q_PROPERTY(QString dupesFolder READ dupesFolder NOTIFY dupesFolderChanged)
    Q_PROPERTY(QString dupesFolderLabel READ dupesFolderLabel NOTIFY dupesFolderChanged)
    Q_PROPERTY(QUrl dupesFolderUrl READ dupesFolderUrl NOTIFY dupesFolderChanged)
    Q_PROPERTY(qint64 dupesMin READ dupesMin WRITE setDupesMin NOTIFY dupesOptionsChanged)
    Q_PROPERTY(QVariantList dupesMinOptions READ dupesMinOptions CONSTANT)
    Q_PROPERTY(bool dupesHidden READ dupesHidden WRITE setDupesHidden NOTIFY dupesOptionsChanged)
    // Which copy is kept: 0 oldest, 1 newest, 2 shortest path, 3 inside the preferred folder.
    Q_PROPERTY(int dupesKeepRule READ dupesKeepRule WRITE setDupesKeepRule NOTIFY dupesOptionsChanged)
    Q_PROPERTY(QStringList dupesKeepOptions READ dupesKeepOptions CONSTANT)
    Q_PROPERTY(QString dupesPreferredLabel READ dupesPreferredLabel NOTIFY dupesOptionsChanged)
    // The list: rows of kind "group" (size, count, reclaimable) and "copy"
    // (name, folder, path, modified, cost (what removing it frees: nothing for
    // the kept copy), kept, selected, mayTick, note, and
    // refusal: why the last click on that row was refused, else empty).
    Q_PROPERTY(RecordListModel* dupesModel READ dupesModel CONSTANT)
    Q_PROPERTY(int dupesGroupCount READ dupesGroupCount NOTIFY dupesGroupsChanged)
    Q_PROPERTY(qint64 dupesReclaimable READ dupesReclaimable NOTIFY dupesGroupsChanged)
    Q_PROPERTY(int dupesSelectedCount READ dupesSelectedCount NOTIFY dupesGroupsChanged)
    Q_PROPERTY(qint64 dupesSelectedTotal READ dupesSelectedTotal NOTIFY dupesGroupsChanged)
    Q_PROPERTY(int dupesUnreadable READ dupesUnreadable NOTIFY dupesGroupsChanged)
    Q_PROPERTY(bool dupesShareOffered READ dupesShareOffered NOTIFY dupesGroupsChanged)
    Q_PROPERTY(QVariantMap dupesPlan READ dupesPlan NOTIFY dupesPlanChanged)
    Q_PROPERTY(int ignoredCount READ ignoredCount NOTIFY ignoredCountChanged)

public:
    DupesState(RemovalState& removals, NeverTouchState& never, QObject* parent = nullptr);
    // How many places the never-touch list kept the last search from (and copies it hid since).
    int ignoredCount() const { return ignoredCount_; }

    bool dupesScanning() const { return scanning_; }
    bool dupesScanned() const { return scanned_; }
    QString dupesPhase() const;
    qint64 dupesProgressFiles() const { return progress_.files; }
    qint64 dupesProgressTotal() const { return progress_.total; }
    qint64 dupesBytesRead() const { return progress_.bytesRead; }
    QString dupesFolder() const;
    QString dupesFolderLabel() const;
    QUrl dupesFolderUrl() const;
    qint64 dupesMin() const { return min_; }
    void setDupesMin(qint64 bytes);
    QVariantList dupesMinOptions() const;
    bool dupesHidden() const { return hidden_; }
    void setDupesHidden(bool hidden);
    int dupesKeepRule() const { return int(rule_); }
    void setDupesKeepRule(int rule);
    QStringList dupesKeepOptions() const;
    QString dupesPreferredLabel() const;
    RecordListModel* dupesModel() const { return model_; }
    int dupesGroupCount() const { return int(groups_.size()); }
    qint64 dupesReclaimable() const;
    int dupesSelectedCount() const;
    qint64 dupesSelectedTotal() const;
    int dupesUnreadable() const { return unreadable_; }
    bool dupesShareOffered() const { return shareOffered_; }

    const std::vector<Dupes::Group>& groups() const { return groups_; }

    // Starts a search with the current choices, superseding a running one.
    Q_INVOKABLE void scanDupes();
    // Stops the running search; nothing of it is kept.
    Q_INVOKABLE void cancelDupes();
    // Looks in this folder from now on (a file: URL or a path); empty: the home folder.
    Q_INVOKABLE void chooseDupesFolder(const QString& folder);
    // Keeps, in each group, the first copy inside this folder (the rule becomes 3).
    Q_INVOKABLE void preferDupesFolder(const QString& folder);
    // Ticks or unticks one copy ("group:copy" row id); ticking the kept copy
    // is refused, and the row says why.
    Q_INVOKABLE void toggleDupe(const QString& rowId);
    // Keeps this copy of its group instead of the one kept now.
    Q_INVOKABLE void keepDupe(const QString& rowId);
    // Ticks every copy but one per group (the kept one stays), or none.
    Q_INVOKABLE void selectAllDupes();
    Q_INVOKABLE void selectNoDupes();
    // The plan of moving the ticked copies to the Trash (or, with `share`, of
    // making them share the kept copy's data), for the confirmation (see
    // planMap): made by planDupes, made again when the ticks change while it
    // is shown, until closePlan.
    QVariantMap dupesPlan() const { return plan_.map(); }
    const Plan::Record& dupesPlanRecord() const { return plan_.record(); }
    Q_INVOKABLE void planDupes(bool share);
    Q_INVOKABLE void closePlan();
    // Carries out the plan shown (made now when none is): moves the ticked
    // copies to the Trash / makes them share the kept copy's data.
    Q_INVOKABLE void trashDupes();
    Q_INVOKABLE void shareDupes();

    // What the search publishes (also the tests' way to show a state).
    void setGroups(std::vector<Dupes::Group> groups, int unreadable);

signals:
    void ignoredCountChanged();
    void dupesScanningChanged();
    void dupesProgressChanged();
    void dupesFolderChanged();
    void dupesOptionsChanged();
    void dupesGroupsChanged();
    void dupesPlanChanged();

private:
    RemovalState& removals_;
    NeverTouchState& never_;
    int ignoredCount_ = 0;
    // A place added to the never-touch list: the copies it covers leave their groups at once, counted.
    void honourNeverTouch();
    std::vector<Dupes::Group> groups_;
    int unreadable_ = 0;
    bool scanning_ = false;
    bool scanned_ = false;
    bool shareOffered_ = false;
    Dupes::Progress progress_;
    std::filesystem::path folder_;     // empty: the home folder
    std::filesystem::path preferred_;  // for the "inside a folder" rule
    qint64 min_ = 1'000'000;
    bool hidden_ = false;
    Dupes::KeepRule rule_ = Dupes::KeepRule::Oldest;
    CancelFlagPtr flag_ = std::make_shared<CancelFlag>();
    RecordListModel* model_ = nullptr;
    Dupes::Choices choices_;
    QString refusedRow_;  // the row whose last click was refused, and why
    QString refusal_;
    ShownPlan plan_;
    bool planShares_ = false;
    std::vector<Dupes::PlannedCopy> planned_;  // the copies of the plan shown
    // The plan shown for `share`, or a new one; closes what is shown.
    std::vector<Dupes::PlannedCopy> takePlan(bool share);

    std::filesystem::path searchedFolder() const;
    // The copy a row id names, or null.
    Dupes::Group* groupOf(const QString& rowId, std::size_t& copy);
    void refresh();
    void afterRemoval(const std::vector<Dupes::HeldCopy>& held);
};
