#pragma once
// The sampling arithmetic of the live telemetry, as pure functions: processor
// tick deltas, network rates, bounded histories, fractions and rate texts.
#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include <QString>

#include "platform/FS.h"

namespace Monitor {

// Cumulative processor ticks in the order user, system, idle, nice, each kept
// as its low 32 bits so that a counter passing 2^32 still subtracts right.
using Ticks = std::array<std::uint32_t, 4>;

// The busy fraction between two tick samples: everything but idle over the
// total of the four wrapping differences. Nothing when no tick passed.
std::optional<double> busyFraction(const Ticks& previous, const Ticks& current);

// Cumulative bytes received and sent, with the moment they were read (seconds).
struct NetSample {
    std::uint64_t received = 0;
    std::uint64_t sent = 0;
    double time = 0;
};

struct NetRates {
    double down = 0;  // bytes per second
    double up = 0;
};
// The rates between two samples over at least half a second; a counter that
// went backwards (a wrap, an interface gone) gives 0 for that direction.
NetRates netRates(const NetSample& previous, const NetSample& current);

// How many values a history keeps.
inline constexpr std::size_t kHistoryLength = 60;
// Appends a value and drops the oldest ones beyond kHistoryLength.
void appendBounded(std::vector<double>& history, double value);

// used / total; 0 when the total is 0.
double memFraction(const FS::Memory& mem);
// free / total; 1 when the total is below 1.
double diskFreeFraction(const FS::Disk& disk);

// A network rate as text: whole bytes with " B/s" below 1024, else a 1024-based
// count ("1.0 KB/s", "12.5 MB/s") in the locale's decimal separator.
QString rate(double bytesPerSecond);

// One sampler's memory between samples: the processor ticks and network
// counters of the previous sample and the last published figures.
class Sampler {
public:
    // Takes a tick reading (nothing when the source failed) and returns the
    // new processor fraction: 0 on the first reading, the previous value when
    // the source failed or no tick passed.
    double takeTicks(const std::optional<Ticks>& ticks);
    // Takes a network reading and returns the rates: unchanged (0 at first)
    // without a previous reading.
    NetRates takeNet(const NetSample& sample);

    double cpu() const { return cpu_; }
    NetRates rates() const { return rates_; }

private:
    std::optional<Ticks> prevTicks_;
    std::optional<NetSample> prevNet_;
    double cpu_ = 0;
    NetRates rates_;
};

} // namespace Monitor
