#include "cli/MonitorCommands.h"

#include <cmath>

#include <QElapsedTimer>
#include <QJsonArray>
#include <QThread>

#include "i18n/FormatLocale.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "monitor/DesktopBus.h"
#include "monitor/PanelValues.h"
#include "monitor/Sampling.h"
#include "platform/Quitting.h"
#include "platform/Fmt.h"

namespace Cli {

namespace {

constexpr int kDefaultSamples = 5;
constexpr int kIntervalMs = 2000;

QString percent(double fraction)
{
    return localPercent(fraction);
}

int runMonitor(Context& context)
{
    int samples = kDefaultSamples;
    for (int i = 0; i < context.args.size(); ++i) {
        if (context.args[i] != "--samples")
            return context.usageError(LF("argumento desconhecido “%@” para %@ (veja --help)", context.args[i], "monitor"));
        if (i + 1 >= context.args.size())
            return context.usageError(L("--samples precisa de um número de 1 a 10000"));
        const std::optional<int> count = parseSampleCount(context.args[++i]);
        if (!count)
            return context.usageError(LF("número de amostras inválido “%@” (1 a 10000)", context.args[i]));
        samples = *count;
    }

    // A silent first reading, so that the first printed line already shows
    // the processor load and the rates over a whole interval.
    QElapsedTimer clock;
    clock.start();
    Monitor::Sampler sampler;
    const auto read = [&] {
        sampler.takeTicks(Monitor::readTicks());
        Monitor::NetSample net = Monitor::netBytes();
        net.time = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        sampler.takeNet(net);
    };
    read();
    QJsonArray all;
    for (int n = 0; n < samples && !Quitting::requested(); ++n) {
        QThread::msleep(kIntervalMs);
        read();
        MonitorReading reading;
        reading.disk = FS::disk();
        reading.mem = FS::memory();
        reading.cpu = sampler.cpu();
        reading.rates = sampler.rates();
        reading.battery = Monitor::batteryInfo();
        reading.wifi = DesktopBus::wifiName();
        reading.volumes = Monitor::externalVolumes();
        if (context.json) {
            all.append(monitorJson(reading));
        } else {
            context.out << monitorLine(reading) << "\n";
            context.out.flush();
        }
    }
    if (context.json)
        context.printJson(all);
    return Success;
}

} // namespace

std::optional<int> parseSampleCount(const QString& text)
{
    for (const QChar c : text)
        if (c < '0' || c > '9')
            return std::nullopt;
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 1 || value > 10000)
        return std::nullopt;
    return value;
}

QString monitorLine(const MonitorReading& reading)
{
    QStringList parts;
    parts << LF("Disco: %@ livres", Fmt::bytes(reading.disk.free));
    parts << LF("Memória: %@", percent(Monitor::memFraction(reading.mem)));
    parts << LF("Processador: %@", percent(reading.cpu));
    parts << "↓ " + Monitor::rate(reading.rates.down) + "   ↑ " + Monitor::rate(reading.rates.up);
    QString power = Panel::batteryStatus(reading.battery);
    if (reading.battery)
        power += " " + localNumber(reading.battery->level) + "%";
    parts << LF("Energia: %@", power);
    parts << LF("Rede: %@", shownName(reading.wifi.value_or(QStringLiteral("—"))));
    for (const Monitor::VolumeInfo& volume : reading.volumes)
        parts << LF("%@: %@ livres", shownName(volume.name), Fmt::bytes(volume.free));
    return parts.join(QStringLiteral("  ·  "));
}

QJsonObject monitorJson(const MonitorReading& reading)
{
    QJsonArray volumes;
    for (const Monitor::VolumeInfo& volume : reading.volumes)
        volumes.append(QJsonObject{{"path", FS::text(volume.url)}, {"name", volume.name}, {"free", qint64(volume.free)}});
    QJsonValue battery = QJsonValue::Null;
    if (reading.battery)
        battery = QJsonObject{{"level", reading.battery->level},
                              {"charging", reading.battery->charging},
                              {"plugged", reading.battery->plugged}};
    return QJsonObject{
        {"diskTotal", qint64(reading.disk.total)},
        {"diskFree", qint64(reading.disk.free)},
        {"memTotal", qint64(reading.mem.total)},
        {"memUsed", qint64(reading.mem.used)},
        {"cpu", reading.cpu},
        {"down", reading.rates.down},
        {"up", reading.rates.up},
        {"battery", battery},
        {"wifi", reading.wifi ? QJsonValue(*reading.wifi) : QJsonValue(QJsonValue::Null)},
        {"volumes", volumes},
    };
}

std::vector<Command> monitorCommands()
{
    return {
        {QStringLiteral("monitor"), QStringLiteral("monitor [--samples N]"),
         L("disco, memória, processador, rede, energia, Wi-Fi e volumes ao vivo, N amostras a cada 2 s (padrão 5)"),
         runMonitor},
    };
}

} // namespace Cli
