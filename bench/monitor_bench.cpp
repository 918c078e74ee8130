// How long one telemetry sample takes on the main thread: SystemMonitor::refresh()
// over the real /proc, /sys and system bus, 500 times, with each source alone.
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include <QCoreApplication>

#include "monitor/DesktopBus.h"
#include "monitor/Sources.h"
#include "monitor/SystemMonitor.h"
#include "Timing.h"

namespace {

void report(const char* name, int runs, const std::function<void()>& step)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        step();
        times.push_back(secondsSince(start) * 1e6);
    }
    std::printf("%-28s median %8.1f µs   slowest %8.1f µs   (%d runs)\n", name, median(times),
                *std::max_element(times.begin(), times.end()), runs);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    SystemMonitor monitor;
    monitor.refresh();  // the first sample also starts the Trash measurement
    report("SystemMonitor::refresh()", 500, [&] { monitor.refresh(); });
    report("  FS::disk", 500, [] { FS::disk(); });
    report("  FS::memory", 500, [] { FS::memory(); });
    report("  readTicks", 500, [] { Monitor::readTicks(); });
    report("  netBytes", 500, [] { Monitor::netBytes(); });
    report("  batteryInfo", 500, [] { Monitor::batteryInfo(); });
    report("  wifiName (D-Bus)", 500, [] { DesktopBus::wifiName(); });
    report("  externalVolumes", 500, [] { Monitor::externalVolumes(); });
    return 0;
}
