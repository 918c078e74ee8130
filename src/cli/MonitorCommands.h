#pragma once
// quillmoor-cli's "monitor": live telemetry samples, 2 seconds apart.
#include <optional>
#include <vector>

#include <QJsonObject>
#include <QString>

#include "cli/Cli.h"
#include "monitor/Sources.h"
#include "platform/FS.h"

namespace Cli {

// "monitor".
std::vector<Command> monitorCommands();

// One sample as the command prints it.
struct MonitorReading {
    FS::Disk disk;
    FS::Memory mem;
    double cpu = 0;
    Monitor::NetRates rates;
    std::optional<Monitor::Battery> battery;
    std::optional<QString> wifi;
    std::vector<Monitor::VolumeInfo> volumes;
};

// The number after --samples: a whole number from 1 to 10000, else nothing.
std::optional<int> parseSampleCount(const QString& text);

// One line of text for a reading (in the interface language).
QString monitorLine(const MonitorReading& reading);
// A reading as a JSON object.
QJsonObject monitorJson(const MonitorReading& reading);

} // namespace Cli
