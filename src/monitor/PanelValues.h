#pragma once
// The tray panel's derived values as pure functions: how cloudy its sky is,
// the sky's title and text, the power symbol and status, and the reading of
// the speed-test tool's output.
#include <optional>

#include <QDateTime>
#include <QString>
#include <QVariant>

#include "monitor/Sources.h"

namespace Panel {

// Under this share of the disk free, the disk is nearly full: its gauges turn
// to the warning colour and the panel's sky clouds over.
inline constexpr double kLowDiskFreeFraction = 0.12;
// Over this share of the memory in use, the memory gauge turns to the warning colour.
inline constexpr double kHighMemoryFraction = 0.85;
// Over this share of the memory in use, the panel's sky clouds over.
inline constexpr double kCloudyMemoryFraction = 0.88;

// Whole calendar days from the last cleanup to now; nothing when the stored
// value is missing or not a date.
std::optional<int> daysSinceClean(const QVariant& lastClean, const QDateTime& now);

// 0 (clear) to 1 (overcast): the days since the last cleanup (0.35 when never,
// else days / 28 up to 0.5), plus 0.35 when the disk is low (kLowDiskFreeFraction;
// or 0.15 under 25 % free), plus 0.15 over kCloudyMemoryFraction of the memory used.
double cloudiness(std::optional<int> days, double diskFreeFraction, double memFraction);

QString skyTitle(double cloudiness);
QString skyText(std::optional<int> days);

// The power row's symbol and status text.
QString batterySymbol(const std::optional<Monitor::Battery>& battery);
QString batteryStatus(const std::optional<Monitor::Battery>& battery);

// The network row's line after a speed test: "↓ 95 Mbps   ↑ 12 Mbps" from the
// tool's JSON object (download and upload under the given keys, in bits per
// second: networkQuality's dl_throughput and ul_throughput, speedtest-cli's
// download and upload); L("Não foi possível medir agora.") for anything that
// is not a JSON object.
QString speedResult(const QByteArray& toolOutput, const QString& downKey = QStringLiteral("dl_throughput"),
                    const QString& upKey = QStringLiteral("ul_throughput"));

} // namespace Panel
