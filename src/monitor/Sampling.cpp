#include "monitor/Sampling.h"

#include <algorithm>
#include <cmath>

#include <QLocale>

#include "i18n/FormatLocale.h"

namespace Monitor {

std::optional<double> busyFraction(const Ticks& previous, const Ticks& current)
{
    std::array<double, 4> delta{};
    double total = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        // unsigned subtraction wraps modulo 2^32
        delta[i] = static_cast<double>(static_cast<std::uint32_t>(current[i] - previous[i]));
        total += delta[i];
    }
    if (total <= 0)
        return std::nullopt;
    const double idle = delta[2];
    return (total - idle) / total;
}

NetRates netRates(const NetSample& previous, const NetSample& current)
{
    const double dt = std::max(0.5, current.time - previous.time);
    NetRates rates;
    if (current.received >= previous.received)
        rates.down = static_cast<double>(current.received - previous.received) / dt;
    if (current.sent >= previous.sent)
        rates.up = static_cast<double>(current.sent - previous.sent) / dt;
    return rates;
}

void appendBounded(std::vector<double>& history, double value)
{
    history.push_back(value);
    if (history.size() > kHistoryLength)
        history.erase(history.begin(), history.end() - kHistoryLength);
}

double memFraction(const FS::Memory& mem)
{
    return mem.total == 0 ? 0.0 : static_cast<double>(mem.used) / static_cast<double>(mem.total);
}

double diskFreeFraction(const FS::Disk& disk)
{
    return disk.total < 1 ? 1.0 : static_cast<double>(disk.free) / static_cast<double>(disk.total);
}

QString rate(double bytesPerSecond)
{
    if (!(bytesPerSecond >= 1024)) {
        const double whole = std::isfinite(bytesPerSecond) ? std::max(0.0, std::trunc(bytesPerSecond)) : 0.0;
        return withUnit(localNumber(static_cast<std::int64_t>(whole)), QStringLiteral("B/s"));
    }
    const qint64 bytes = static_cast<qint64>(std::min(std::trunc(bytesPerSecond), 9.0e18));
    const QString size = formattingLocale().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
    return QString(size).replace(QLatin1Char(' '), QChar(0x00A0)) + QStringLiteral("/s");
}

double Sampler::takeTicks(const std::optional<Ticks>& ticks)
{
    if (!ticks)
        return cpu_;
    if (prevTicks_) {
        if (const std::optional<double> busy = busyFraction(*prevTicks_, *ticks))
            cpu_ = *busy;
    } else {
        cpu_ = 0;
    }
    prevTicks_ = ticks;
    return cpu_;
}

NetRates Sampler::takeNet(const NetSample& sample)
{
    if (prevNet_)
        rates_ = netRates(*prevNet_, sample);
    prevNet_ = sample;
    return rates_;
}

} // namespace Monitor
