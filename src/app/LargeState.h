#pragma once
// The large-file walk as the window shows it: the threshold, the walk with
// its progress and its stop, the files found in two orders, the ticks, and
// the move of the ticked files to the Trash through the removal path.
#include <algorithm>
#include <cstdint>
#include <vector>

#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

#include "app/OneInstance.h"
#include "engines/removal/PlanMap.h"
#include "app/RecordListModel.h"
#include "app/RememberedTicks.h"
#include "engines/records/Large.h"

class NeverTouchState;
class RemovalState;

// The order in which the large-file page shows files by age: oldest access
// first, files without an access date before all others, equal dates in list order.
std::vector<std::size_t> oldestFirst(const std::vector<LargeFile>& files);

class LargeState : public QObject, public OneInstance<LargeState> {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

    Q_PROPERTY(bool largeScanning READ largeScanning NOTIFY largeScanningChanged)
    Q_PROPERTY(bool largeScanned READ largeScanned NOTIFY largeScannedChanged)
    Q_PROPERTY(int largeProgress READ largeProgress NOTIFY largeProgressChanged)
    Q_PROPERTY(qint64 largeMin READ largeMin WRITE setLargeMin NOTIFY largeMinChanged)
    Q_PROPERTY(QString largeMinLabel READ largeMinLabel NOTIFY largeMinChanged)
    Q_PROPERTY(QString largeShownMinLabel READ largeShownMinLabel NOTIFY largeFilesChanged)
    Q_PROPERTY(bool largeListAboveMin READ largeListAboveMin NOTIFY largeFilesChanged)
    Q_PROPERTY(QString largeSummary READ largeSummary NOTIFY largeFilesChanged)
    Q_PROPERTY(QVariantList largeOptions READ largeOptions CONSTANT)
    Q_PROPERTY(qint64 largeSelectedTotal READ largeSelectedTotal NOTIFY largeFilesChanged)
    Q_PROPERTY(int largeSelectedCount READ largeSelectedCount NOTIFY largeFilesChanged)
    Q_PROPERTY(int largeCount READ largeCount NOTIFY largeFilesChanged)
    Q_PROPERTY(RecordListModel* largeFileModel READ largeFileModel CONSTANT)
    Q_PROPERTY(RecordListModel* largeFileModelByAge READ largeFileModelByAge CONSTANT)
    Q_PROPERTY(QVariantMap trashPlan READ trashPlan NOTIFY trashPlanChanged)
    Q_PROPERTY(int ignoredCount READ ignoredCount NOTIFY ignoredCountChanged)

public:
    LargeState(RemovalState& removals, NeverTouchState& never, QObject* parent = nullptr);

    const std::vector<LargeFile>& largeFiles() const { return largeFiles_; }
    bool largeScanning() const { return largeScanning_; }
    bool largeScanned() const { return largeScanned_; }
    int largeProgress() const { return largeProgress_; }
    qint64 largeMin() const { return largeMin_; }
    void setLargeMin(qint64 bytes);
    // The label of the current threshold among the offered ones, or empty.
    QString largeMinLabel() const;
    QVariantList largeOptions() const;
    // The list shows the files of the last walk that reach the current
    // threshold. A threshold below the walk's own cannot show what the walk
    // skipped: the list then stays the walk's, and says so.
    qint64 largeShownMin() const { return std::max(largeMin_, listMin_); }
    QString largeShownMinLabel() const;
    // What the list holds, as the command line says it too: "3 arquivos acima
    // de 1 GB", "Nenhum arquivo acima de 1 GB".
    QString largeSummary() const;
    bool largeListAboveMin() const { return largeScanned_ && largeMin_ < listMin_; }
    // What the list shows (ticks of hidden files neither count nor act).
    std::vector<LargeFile> shownLargeFiles() const;
    qint64 largeSelectedTotal() const;
    int largeSelectedCount() const;
    int largeCount() const { return int(shownLargeFiles().size()); }
    RecordListModel* largeFileModel() const { return largeFileModel_; }
    RecordListModel* largeFileModelByAge() const { return largeFileModelByAge_; }
    // How many places the never-touch list kept the last walk from (and files it hid since).
    int ignoredCount() const { return ignoredCount_; }

    // Starts a walk of the home folder with the current threshold, superseding
    // a running one (whose result is then dropped).
    Q_INVOKABLE void scanLarge();
    // Asks the running walk to stop; what it found is still published.
    Q_INVOKABLE void cancelLarge();
    // The plan of moving the ticked files to the Trash, for the confirmation
    // (see planMap): made by planTrash, made again when the list changes
    // while it is shown, until closePlan.
    QVariantMap trashPlan() const { return plan_.map(); }
    const Plan::Record& trashPlanRecord() const { return plan_.record(); }
    Q_INVOKABLE void planTrash();
    Q_INVOKABLE void closePlan();
    // Carries out the plan shown (made now when none is), then drops the
    // entries that went and unticks, with the reason, those that stayed.
    Q_INVOKABLE void trashLarge();
    Q_INVOKABLE void toggleLargeFile(const QString& fileId);

    // What the walk publishes (also the tests' way to show a state).
    void setLargeFiles(std::vector<LargeFile> files);
    void setLargeScanning(bool scanning) { assign(largeScanning_, scanning, &LargeState::largeScanningChanged); }
    void setLargeProgress(int count) { assign(largeProgress_, count, &LargeState::largeProgressChanged); }

signals:
    void largeFilesChanged();
    void largeScanningChanged();
    void largeScannedChanged();
    void largeProgressChanged();
    void largeMinChanged();
    void trashPlanChanged();
    void ignoredCountChanged();

private:
    RemovalState& removals_;
    NeverTouchState& never_;
    std::vector<LargeFile> largeFiles_;
    int ignoredCount_ = 0;
    bool largeScanning_ = false;
    bool largeScanned_ = false;
    int largeProgress_ = 0;
    qint64 largeMin_ = 500000000;
    qint64 listMin_ = 0;  // the threshold the last walk used
    CancelFlagPtr largeFlag_ = std::make_shared<CancelFlag>();
    RecordListModel* largeFileModel_ = nullptr;
    RecordListModel* largeFileModelByAge_ = nullptr;
    ShownPlan plan_;
    RememberedTicks ticks_;  // the user's ticks, kept when the files are found again
    Plan::Record makePlan() const;
    void refreshLargeModels();
    // A place added to the never-touch list: the files it covers leave the list at once, counted.
    void honourNeverTouch();
};
