#pragma once
// The junk scan and clean as the window shows them: the groups found, the
// live figures while scanning, the ticks, and the clean through the removal
// path. The nebula of the sky follows the clutter found.
#include <cstdint>
#include <optional>
#include <vector>

#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

#include "app/OneInstance.h"
#include "app/RecordListModel.h"
#include "app/RememberedTicks.h"
#include "engines/records/Removal.h"
#include "platform/Background.h"
#include "engines/records/Junk.h"
#include "engines/junk/SystemJunkGroups.h"
#include "engines/removal/PlanMap.h"
#include "monitor/LowSpace.h"

class NeverTouchState;
class RemovalState;
class ShellState;

// The indexes of the `count` largest totals, largest first; equal totals keep their order.
std::vector<std::size_t> largestFirst(const std::vector<std::int64_t>& totals, std::size_t count);

class JunkState : public QObject, public OneInstance<JunkState> {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

    Q_PROPERTY(bool junkScanning READ junkScanning NOTIFY junkScanningChanged)
    Q_PROPERTY(bool junkScanned READ junkScanned WRITE setJunkScanned NOTIFY junkScannedChanged)
    Q_PROPERTY(qint64 junkLive READ junkLive NOTIFY junkLiveChanged)
    Q_PROPERTY(QString junkCurrent READ junkCurrent NOTIFY junkCurrentChanged)
    Q_PROPERTY(qint64 junkSelectedTotal READ junkSelectedTotal NOTIFY junkGroupsChanged)
    Q_PROPERTY(qint64 junkUnselectedTotal READ junkUnselectedTotal NOTIFY junkGroupsChanged)
    Q_PROPERTY(bool junkAllCleaned READ junkAllCleaned NOTIFY junkGroupsChanged)
    Q_PROPERTY(QVariantMap junkGroupTotals READ junkGroupTotals NOTIFY junkGroupsChanged)
    Q_PROPERTY(bool junkSystemPending READ junkSystemPending NOTIFY junkSystemPendingChanged)
    Q_PROPERTY(RecordListModel* junkGroupModel READ junkGroupModel CONSTANT)
    Q_PROPERTY(QVariantList largestJunkGroups READ largestJunkGroups NOTIFY junkGroupsChanged)
    Q_PROPERTY(QVariantMap cleanPlan READ cleanPlan NOTIFY cleanPlanChanged)
    Q_PROPERTY(int ignoredCount READ ignoredCount NOTIFY ignoredCountChanged)
    // What container tools keep that the last whole scan found most of: {title, total}, or empty.
    Q_PROPERTY(QVariantMap largestStore READ largestStore NOTIFY largestStoreChanged)
    Q_PROPERTY(QString measuringGroup READ measuringGroup NOTIFY measuringGroupChanged)

public:
    JunkState(RemovalState& removals, ShellState& shell, NeverTouchState& never, QObject* parent = nullptr);

    const std::vector<JunkGroup>& junkGroups() const { return junkGroups_; }
    bool junkScanning() const { return junkScanning_; }
    bool junkScanned() const { return junkScanned_; }
    qint64 junkLive() const { return junkLive_; }
    QString junkCurrent() const { return junkCurrent_; }
    qint64 junkSelectedTotal() const;
    // What the scan found that is not ticked (installers, items in use…).
    qint64 junkUnselectedTotal() const;
    // A clean has run since the scan and nothing found is ticked any more.
    bool junkAllCleaned() const { return cleanedSinceScan_ && junkSelectedTotal() == 0; }
    // What the last scan found in each group whose size it knows, by group id
    // (the maintenance routines that free the same name it).
    QVariantMap junkGroupTotals() const;
    // The system's groups are still being read after the home folder's were listed.
    bool junkSystemPending() const { return systemPending_ > 0 && !junkScanning_; }
    RecordListModel* junkGroupModel() const { return junkGroupModel_; }
    // The four largest groups ({title, total}), largest first.
    QVariantList largestJunkGroups() const;
    // How many items the never-touch list hid from the last scan (and since).
    int ignoredCount() const { return ignoredCount_; }
    QVariantMap largestStore() const;

    // Scans the profile's junk rules in the background; one scan at a time.
    Q_INVOKABLE void scanJunk();
    // "Scan again": the last results are put away (the page shows the scan
    // under way) and a new scan starts; nothing while one runs.
    Q_INVOKABLE void rescanJunk();
    // The plan of the clean of the ticked items, for the confirmation (see
    // planMap); made by planClean and made again whenever the groups change
    // while it is shown, until closePlan.
    QVariantMap cleanPlan() const;
    const Plan::Record& cleanPlanRecord() const { return plan_.record(); }
    Q_INVOKABLE void planClean();
    Q_INVOKABLE void closePlan();
    // Carries out the plan shown (made now when none is) through the removal
    // path, then drops what is gone.
    Q_INVOKABLE void cleanJunk();
    // Ticks or unticks one item; ticks every item of a group unless all are
    // ticked, then unticks them all.
    Q_INVOKABLE void toggleJunkItem(const QString& groupId, const QString& itemId);
    Q_INVOKABLE void toggleJunkGroup(const QString& groupId);
    // Measures, as the administrator (after the prompt), what a group could
    // not read with this user's rights, and shows the group as measured; one
    // measure at a time. measuringGroup is the group's id meanwhile.
    Q_INVOKABLE void measureJunkGroup(const QString& groupId);
    QString measuringGroup() const { return measuringGroup_; }

    // What the scan publishes (also the tests' way to show a state); each
    // emits only on a real change.
    void setJunkGroups(std::vector<JunkGroup> groups);
    void setJunkScanning(bool scanning);
    void setJunkScanned(bool scanned);
    void setJunkLive(qint64 bytes);
    void setJunkCurrent(const QString& text);

signals:
    void junkGroupsChanged();
    void junkScanningChanged();
    void junkScannedChanged();
    void junkLiveChanged();
    void junkCurrentChanged();
    void junkSystemPendingChanged();
    void cleanPlanChanged();
    void ignoredCountChanged();
    void largestStoreChanged();
    void measuringGroupChanged();

private:
    // Once every part of a scan has answered: the largest tool store, kept for the low-space notice.
    void rememberLargestStore();
    RemovalState& removals_;
    ShellState& shell_;
    NeverTouchState& never_;
    std::vector<JunkGroup> junkGroups_;
    int ignoredCount_ = 0;
    std::optional<LowSpace::Cause> largestStore_;  // as the settings keep it, read once
    bool junkScanning_ = false;
    bool junkScanned_ = false;
    bool cleanedSinceScan_ = false;
    QString measuringGroup_;
    void measured(const QString& groupId, SystemJunk::Measured result);
    qint64 junkLive_ = 0;
    QString junkCurrent_;
    RecordListModel* junkGroupModel_ = nullptr;
    // The system's parts of the running scan: how many are still read, and
    // those read before the home folder's groups were listed.
    int systemPending_ = 0;
    std::vector<JunkGroup> systemEarly_;
    Background::Latest scanTicket_;
    ShownPlan plan_;
    RememberedTicks ticks_;  // the user's ticks, kept when the groups are found again
    // The scan's groups with the user's ticks where they still hold.
    void withUsersTicks(std::vector<JunkGroup>& groups) const;
    void systemPartRead(unsigned long long ticket, JunkFound found);
    void homeRead(JunkFound found);
    void setIgnoredCount(int count);
    // A place added to the never-touch list: the rows it covers leave at once
    // (counted); when it lies inside a row, or in a system group, the scan runs again.
    void honourNeverTouch();
    void refreshJunkModel();
    // Drops the items whose files are gone and the system items that were
    // cleaned, then the empty groups.
    void pruneJunk(const RemovalOutcome& outcome);
    void updateDensity();
};
