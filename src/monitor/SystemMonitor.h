#pragma once
// The live telemetry of one screen: disk, memory, processor, battery, network
// rates, the Wi-Fi name, external volumes and the size of the Trash, with short
// histories for the sparklines. The overview page and the tray panel each own
// one and run it only while they are shown. Lives on the main thread.
#include <functional>
#include <optional>
#include <vector>

#include <QObject>
#include <QTimer>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include "monitor/PanelValues.h"
#include "monitor/Sampling.h"
#include "monitor/Sources.h"
#include "platform/FS.h"

class SystemMonitor : public QObject {
    Q_OBJECT
    QML_ELEMENT

    Q_PROPERTY(qint64 diskTotal READ diskTotal NOTIFY sampled)
    Q_PROPERTY(qint64 diskFree READ diskFree NOTIFY sampled)
    Q_PROPERTY(quint64 memTotal READ memTotal NOTIFY sampled)
    Q_PROPERTY(quint64 memUsed READ memUsed NOTIFY sampled)
    Q_PROPERTY(double cpu READ cpu NOTIFY sampled)
    Q_PROPERTY(bool hasBattery READ hasBattery NOTIFY sampled)
    Q_PROPERTY(int batteryLevel READ batteryLevel NOTIFY sampled)
    Q_PROPERTY(QString batterySymbol READ batterySymbol NOTIFY sampled)
    Q_PROPERTY(QString batteryStatus READ batteryStatus NOTIFY sampled)
    Q_PROPERTY(double up READ up NOTIFY sampled)
    Q_PROPERTY(double down READ down NOTIFY sampled)
    Q_PROPERTY(QString wifi READ wifiText NOTIFY sampled)
    Q_PROPERTY(QVariantList volumes READ volumeList NOTIFY sampled)
    Q_PROPERTY(QString model READ model NOTIFY modelChanged)
    Q_PROPERTY(QList<qreal> cpuHistory READ cpuHistory NOTIFY sampled)
    Q_PROPERTY(QList<qreal> memHistory READ memHistory NOTIFY sampled)
    Q_PROPERTY(QList<qreal> netHistory READ netHistory NOTIFY sampled)
    Q_PROPERTY(bool trashKnown READ trashKnown NOTIFY trashSizeChanged)
    Q_PROPERTY(qint64 trashSize READ trashSizeOrZero NOTIFY trashSizeChanged)
    Q_PROPERTY(double memFraction READ memFraction NOTIFY sampled)
    Q_PROPERTY(double diskFreeFraction READ diskFreeFraction NOTIFY sampled)
    // Whether the disk is nearly full and the memory nearly used up (Panel's thresholds).
    Q_PROPERTY(bool diskLow READ diskLow NOTIFY sampled)
    Q_PROPERTY(bool memoryHigh READ memoryHigh NOTIFY sampled)
    Q_PROPERTY(bool running READ running NOTIFY runningChanged)

public:
    explicit SystemMonitor(QObject* parent = nullptr);

    // Replaces the /proc, /sys and /dev roots (tests) and re-reads the model.
    void setRoots(Monitor::Roots roots);
    // Replaces the Wi-Fi source (tests).
    void setWifiSource(std::function<std::optional<QString>()> source) { wifiSource_ = std::move(source); }

    Q_INVOKABLE void start();
    Q_INVOKABLE void stop();
    // Takes one complete sample now (main thread).
    Q_INVOKABLE void refresh();
    // Measures the Trash in the background now.
    Q_INVOKABLE void refreshTrash();
    // A network rate as text ("512 B/s", "1.5 MB/s").
    Q_INVOKABLE static QString rate(double bytesPerSecond) { return Monitor::rate(bytesPerSecond); }

    const FS::Disk& disk() const { return disk_; }
    const FS::Memory& mem() const { return mem_; }
    qint64 diskTotal() const { return disk_.total; }
    qint64 diskFree() const { return disk_.free; }
    quint64 memTotal() const { return mem_.total; }
    quint64 memUsed() const { return mem_.used; }
    double cpu() const { return sampler_.cpu(); }
    const std::optional<Monitor::Battery>& battery() const { return battery_; }
    bool hasBattery() const { return battery_.has_value(); }
    int batteryLevel() const { return battery_ ? battery_->level : 0; }
    QString batterySymbol() const;
    QString batteryStatus() const;
    double up() const { return sampler_.rates().up; }
    double down() const { return sampler_.rates().down; }
    const std::optional<QString>& wifi() const { return wifi_; }
    QString wifiText() const { return wifi_.value_or(QString()); }
    const std::vector<Monitor::VolumeInfo>& volumes() const { return volumes_; }
    QVariantList volumeList() const;
    QString model() const { return model_; }
    QList<qreal> cpuHistory() const { return QList<qreal>(cpuHistory_.begin(), cpuHistory_.end()); }
    QList<qreal> memHistory() const { return QList<qreal>(memHistory_.begin(), memHistory_.end()); }
    QList<qreal> netHistory() const { return QList<qreal>(netHistory_.begin(), netHistory_.end()); }
    const std::optional<qint64>& trashSize() const { return trashSize_; }
    bool trashKnown() const { return trashSize_.has_value(); }
    qint64 trashSizeOrZero() const { return trashSize_.value_or(0); }
    double memFraction() const { return Monitor::memFraction(mem_); }
    double diskFreeFraction() const { return Monitor::diskFreeFraction(disk_); }
    bool diskLow() const { return diskFreeFraction() < Panel::kLowDiskFreeFraction; }
    bool memoryHigh() const { return memFraction() > Panel::kHighMemoryFraction; }
    bool running() const { return timer_.isActive(); }

    // The volume mounted at PATH in the last sample, if any.
    std::optional<Monitor::VolumeInfo> volumeAt(const QString& path) const;

    // Seconds between samples, and the least time between two Trash measurements.
    static constexpr int kIntervalMs = 2000;
    static constexpr double kTrashEverySeconds = 20.0;

signals:
    void sampled();
    void modelChanged();
    void trashSizeChanged();
    void runningChanged();

private:
    Monitor::Roots roots_;
    std::function<std::optional<QString>()> wifiSource_;
    Monitor::Sampler sampler_;
    FS::Disk disk_;
    FS::Memory mem_;
    std::optional<Monitor::Battery> battery_;
    std::optional<QString> wifi_;
    std::vector<Monitor::VolumeInfo> volumes_;
    QString model_ = QStringLiteral("Mac");
    std::vector<double> cpuHistory_;
    std::vector<double> memHistory_;
    std::vector<double> netHistory_;
    std::optional<qint64> trashSize_;
    std::optional<double> trashChecked_;  // monotonic seconds of the last Trash measurement
    QTimer timer_;
};
