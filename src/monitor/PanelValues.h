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

// Whole calendar days from the last cleanup to now; nothing when the stored
// value is missing or not a date.
std::optional<int> daysSinceClean(const QVariant& lastClean, const QDateTime& now);

// 0 (clear) to 1 (overcast): the days since the last cleanup (0.35 when never,
// else days / 28 up to 0.5), plus 0.35 when under 12 % of the disk is free (or
// 0.15 under 25 %), plus 0.15 when over 88 % of the memory is used.
double cloudiness(std::optional<int> days, double diskFreeFraction, double memFraction);

QString skyTitle(double cloudiness);
QString skyText(std::optional<int> days);

// The power row's symbol and status text.
QString batterySymbol(const std::optional<Monitor::Battery>& battery);
QString batteryStatus(const std::optional<Monitor::Battery>& battery);

// The network row's line after a speed test: "↓ 95 Mbps   ↑ 12 Mbps" from the
// tool's JSON object (dl_throughput and ul_throughput in bits per second);
// L("Não foi possível medir agora.") for anything that is not a JSON object.
QString speedResult(const QByteArray& toolOutput);

} // namespace Panel
