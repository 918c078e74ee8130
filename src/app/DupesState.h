#pragma once
// The duplicate search as the window shows it: where to look and from what
// size, the search with its phases and its stop, the groups as one flat list
// (a heading row per group, then its copies), which copy is kept, the ticks
// (never the kept copy's), and the two actions on the ticked copies (to the
// Trash, or sharing the kept copy's data). The user's ticks and kept copies
// are remembered by copy, so a removal or a new search keeps them.
//
// The page has views: identical copies, pictures that look alike, and the
// empty folders and broken links (LintState's list). The first two are two
// searches of this object, each with its own groups, choices and progress;
// the properties and the model show the one of the view chosen, and a search
// that finishes while the other view is shown keeps its result for later.
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
#include "engines/dupes/SimilarScan.h"

class RemovalState;

class NeverTouchState;

class DupesState : public QObject, public OneInstance<DupesState> {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

    // The page's view: 0 identical copies, 1 pictures that look alike, 2 empty
    // folders and broken links (shown by LintState; here the identical search stays shown).
    Q_PROPERTY(int dupesView READ dupesView WRITE setDupesView NOTIFY dupesViewChanged)
    // How alike the pictures must be: 1 very, 2 alike, 3 maybe.
    Q_PROPERTY(int dupesLevel READ dupesLevel WRITE setDupesLevel NOTIFY dupesOptionsChanged)
    Q_PROPERTY(QStringList dupesLevelOptions READ dupesLevelOptions CONSTANT)
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
    // The list: rows of kind "group" (size, count, reclaimable, similar) and "copy"
    // (name, folder, path, modified, cost (what removing it frees: nothing for
    // the kept copy), kept, selected, mayTick, note, and
    // refusal: why the last click on that row was refused, else empty; a
    // picture also has url (for its thumbnail), bytes (its own size),
    // resolution ("4000 × 3000") and format).
    Q_PROPERTY(RecordListModel* dupesModel READ dupesModel CONSTANT)
    Q_PROPERTY(int dupesGroupCount READ dupesGroupCount NOTIFY dupesGroupsChanged)
    Q_PROPERTY(qint64 dupesReclaimable READ dupesReclaimable NOTIFY dupesGroupsChanged)
    Q_PROPERTY(int dupesSelectedCount READ dupesSelectedCount NOTIFY dupesGroupsChanged)
    Q_PROPERTY(qint64 dupesSelectedTotal READ dupesSelectedTotal NOTIFY dupesGroupsChanged)
    Q_PROPERTY(int dupesUnreadable READ dupesUnreadable NOTIFY dupesGroupsChanged)
    // Pictures too large to read (the likeness search only).
    Q_PROPERTY(int dupesTooLarge READ dupesTooLarge NOTIFY dupesGroupsChanged)
    Q_PROPERTY(bool dupesShareOffered READ dupesShareOffered NOTIFY dupesGroupsChanged)
    Q_PROPERTY(QVariantMap dupesPlan READ dupesPlan NOTIFY dupesPlanChanged)
    Q_PROPERTY(int ignoredCount READ ignoredCount NOTIFY ignoredCountChanged)

public:
    DupesState(RemovalState& removals, NeverTouchState& never, QObject* parent = nullptr);
    // How many places the never-touch list kept the last search from (and copies it hid since).
    int ignoredCount() const { return shown().ignored; }

    int dupesView() const { return view_; }
    void setDupesView(int view);
    int dupesLevel() const { return int(level_); }
    void setDupesLevel(int level);
    QStringList dupesLevelOptions() const;
    bool dupesScanning() const { return shown().scanning; }
    // Whether either search is running, shown or not.
    bool searching() const { return searches_[0].scanning || searches_[1].scanning; }
    bool dupesScanned() const { return shown().scanned; }
    QString dupesPhase() const;
    qint64 dupesProgressFiles() const { return shown().progress.files; }
    qint64 dupesProgressTotal() const { return shown().progress.total; }
    qint64 dupesBytesRead() const { return shown().progress.bytesRead; }
    QString dupesFolder() const;
    QString dupesFolderLabel() const;
    QUrl dupesFolderUrl() const;
    // The smallest file the shown view's search takes (each view has its own:
    // the small copies of a photo are the ones worth finding).
    qint64 dupesMin() const { return shown().min; }
    void setDupesMin(qint64 bytes);
    QVariantList dupesMinOptions() const;
    bool dupesHidden() const { return hidden_; }
    void setDupesHidden(bool hidden);
    int dupesKeepRule() const { return int(rule_); }
    void setDupesKeepRule(int rule);
    QStringList dupesKeepOptions() const;
    QString dupesPreferredLabel() const;
    RecordListModel* dupesModel() const { return model_; }
    int dupesGroupCount() const { return int(shown().groups.size()); }
    qint64 dupesReclaimable() const;
    int dupesSelectedCount() const;
    qint64 dupesSelectedTotal() const;
    int dupesUnreadable() const { return shown().unreadable; }
    int dupesTooLarge() const { return shown().tooLarge; }
    bool dupesShareOffered() const { return shown().shareOffered; }
    // The folder searched (the home folder unless another was chosen), for the
    // page's other list too.
    std::filesystem::path searchedFolder() const;

    const std::vector<Dupes::Group>& groups() const { return shown().groups; }

    // Starts the shown view's search with the current choices, superseding a
    // running one of that view (the other view's search runs on).
    Q_INVOKABLE void scanDupes();
    // Stops the shown view's running search; nothing of it is kept.
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
    // Ticks every copy but one per group (the kept one stays), or none. In the
    // pictures' view this ticks the smaller pictures: the kept one has the most pixels.
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

    // What the shown view's search publishes (also the tests' way to show a state).
    void setGroups(std::vector<Dupes::Group> groups, int unreadable, int tooLarge = 0);

signals:
    void dupesViewChanged();
    void ignoredCountChanged();
    void dupesScanningChanged();
    void dupesProgressChanged();
    void dupesFolderChanged();
    void dupesOptionsChanged();
    void dupesGroupsChanged();
    void dupesPlanChanged();

private:
    // One search of the page: identical copies or pictures that look alike.
    struct Search {
        std::vector<Dupes::Group> groups;
        Dupes::Choices choices;
        Dupes::Progress progress;
        int unreadable = 0;
        int tooLarge = 0;
        int ignored = 0;  // places the never-touch list kept it from, and copies hidden since
        qint64 min = 0;   // the smallest file it takes
        bool scanning = false;
        bool scanned = false;
        bool shareOffered = false;
        CancelFlagPtr flag = std::make_shared<CancelFlag>();
    };
    static constexpr int kIdentical = 0;
    static constexpr int kSimilar = 1;

    RemovalState& removals_;
    NeverTouchState& never_;
    Search searches_[2];  // the identical copies' search takes files of 1 MB and up
    int view_ = kIdentical;
    // The search a view shows (the empty folders' view shows the identical one).
    static int searchOf(int view) { return view == kSimilar ? kSimilar : kIdentical; }
    Search& shown() { return searches_[searchOf(view_)]; }
    const Search& shown() const { return searches_[searchOf(view_)]; }
    bool isShown(const Search& search) const { return &search == &shown(); }
    // A place added to the never-touch list: the copies it covers leave their groups at once, counted.
    void honourNeverTouch();
    void hideNeverTouched(Search& search);
    std::filesystem::path folder_;     // empty: the home folder
    std::filesystem::path preferred_;  // for the "inside a folder" rule
    bool hidden_ = false;
    Dupes::KeepRule rule_ = Dupes::KeepRule::Oldest;
    Dupes::Likeness level_ = Dupes::Likeness::Similar;
    RecordListModel* model_ = nullptr;
    QString refusedRow_;  // the row whose last click was refused, and why
    QString refusal_;
    ShownPlan plan_;
    bool planShares_ = false;
    std::vector<Dupes::PlannedCopy> planned_;  // the copies of the plan shown
    // The plan shown for `share`, or a new one; closes what is shown.
    std::vector<Dupes::PlannedCopy> takePlan(bool share);

    // The copy a row id names, or null.
    Dupes::Group* groupOf(const QString& rowId, std::size_t& copy);
    // Sets the kept copies again after copies left the groups: the keep
    // rule's for identical copies; for pictures, a group that lost its kept
    // copy keeps the one with the most pixels.
    void chooseAgain(Search& search, std::vector<Dupes::Group>& groups) const;
    void publish(Search& search, std::vector<Dupes::Group> groups, int unreadable, int tooLarge);
    void setScanning(Search& search, bool scanning);
    void setIgnored(Search& search, int ignored);
    void refresh();
    void afterRemoval(Search& search, const std::vector<Dupes::HeldCopy>& held);
};
