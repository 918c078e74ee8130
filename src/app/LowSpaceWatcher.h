#pragma once
// Watches the free space of the file systems holding the home folder and "/"
// while the program runs (window open or closed to the tray): one statvfs
// each a minute, off the main thread, no walk. When one runs low, a desktop notice says so once
// per crossing (LowSpace::step); its action opens the window on the junk
// page. Which file systems were warned about is remembered for the run only.
// Also holds the notice's two settings for the settings window.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include <QObject>
#include <QTimer>
#include <QtQml/qqmlregistration.h>

#include "app/OneInstance.h"
#include "monitor/DesktopNotifications.h"
#include "monitor/LowSpace.h"

class LowSpaceWatcher : public QObject, public OneInstance<LowSpaceWatcher> {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

    Q_PROPERTY(bool noticeOn READ noticeOn WRITE setNoticeOn NOTIFY settingsChanged)
    Q_PROPERTY(int minimumGb READ minimumGb WRITE setMinimumGb NOTIFY settingsChanged)

public:
    using Probe = std::function<std::optional<LowSpace::Reading>(const std::filesystem::path&)>;
    using Clock = std::function<std::int64_t()>;  // ms since the epoch

    // Watches the file systems holding PLACES (tests: any paths; a probe of
    // their own reads them). There is no default constructor: QML would make
    // an instance of its own with it instead of asking create().
    explicit LowSpaceWatcher(std::vector<std::filesystem::path> places, QObject* parent = nullptr);
    // The home folder and "/".
    static std::vector<std::filesystem::path> standardPlaces();

    // Checks now, then every minute. The program calls it; tests call check().
    void start();
    // One look at each file system, read on the thread pool; the notices that
    // are due go out when the readings are back.
    void check();

    bool noticeOn() const { return settings_.on; }
    void setNoticeOn(bool on);  // stored at once
    int minimumGb() const { return int(settings_.minimumGb); }
    void setMinimumGb(int gb);  // stored at once; outside 1 to 100000 it is ignored

    // Seams for tests: how a file system is read, and the clock.
    void setProbe(Probe probe) { probe_ = std::move(probe); }
    void setClock(Clock clock) { clock_ = std::move(clock); }
    DesktopNotifications& notifications() { return notifications_; }

signals:
    void settingsChanged();
    // The window should open on SECTION (a notice's action was chosen).
    void openSection(const QString& section);

private:
    LowSpace::Settings settings_;
    std::vector<std::filesystem::path> places_;
    Probe probe_;
    Clock clock_;
    std::map<std::uint64_t, LowSpace::Mark> marks_;  // by device
    DesktopNotifications notifications_;
    QTimer timer_;
    bool looking_ = false;  // a check's readings are still out
    struct Look {
        LowSpace::Reading reading;
        QString where;  // the file system's mount point, as the notice names it
    };
    void decide(const std::vector<Look>& looks);
    void storeSettings();
};
