#include "monitor/PanelValues.h"

#include <algorithm>
#include <cmath>

#include <QJsonDocument>
#include <QJsonObject>

#include "i18n/FormatLocale.h"
#include "i18n/L.h"

namespace Panel {

std::optional<int> daysSinceClean(const QVariant& lastClean, const QDateTime& now)
{
    if (!lastClean.isValid())
        return std::nullopt;
    QDateTime when = lastClean.toDateTime();
    if (!when.isValid())
        return std::nullopt;
    return static_cast<int>(when.date().daysTo(now.date()));
}

double cloudiness(std::optional<int> days, double diskFreeFraction, double memFraction)
{
    double value = days ? std::min(*days / 28.0, 0.5) : 0.35;
    if (diskFreeFraction < kLowDiskFreeFraction)
        value += 0.35;
    else if (diskFreeFraction < 0.25)
        value += 0.15;
    if (memFraction > kCloudyMemoryFraction)
        value += 0.15;
    return std::min(value, 1.0);
}

QString skyTitle(double cloudiness)
{
    if (cloudiness < 0.25)
        return L("Céu limpo");
    if (cloudiness >= 0.6)
        return L("Céu carregado");
    return L("Algumas nuvens");
}

QString skyText(std::optional<int> days)
{
    if (!days)
        return L("Nenhuma limpeza ainda.");
    if (*days == 0)
        return L("Limpo hoje.");
    return LP(*days, "Última limpeza há %ld dia(s).", qint64(*days));
}

QString batterySymbol(const std::optional<Monitor::Battery>& battery)
{
    if (!battery)
        return QStringLiteral("powerplug");
    if (battery->charging)
        return QStringLiteral("battery.100.bolt");
    if (battery->level < 25)
        return QStringLiteral("battery.25");
    if (battery->level < 50)
        return QStringLiteral("battery.50");
    if (battery->level < 75)
        return QStringLiteral("battery.75");
    return QStringLiteral("battery.100");
}

QString batteryStatus(const std::optional<Monitor::Battery>& battery)
{
    if (!battery)
        return L("Na tomada");
    if (battery->charging)
        return L("Carregando");
    if (battery->plugged)
        return L("Carregada, na tomada");
    return L("Na bateria");
}

QString speedResult(const QByteArray& toolOutput, const QString& downKey, const QString& upKey)
{
    const QJsonDocument document = QJsonDocument::fromJson(toolOutput);
    if (!document.isObject())
        return L("Não foi possível medir agora.");
    const QJsonObject object = document.object();
    const double dl = object.value(downKey).toDouble(0) / 1'000'000;
    const double ul = object.value(upKey).toDouble(0) / 1'000'000;
    const auto megabits = [](double rate) {
        return withUnit(localNumber(static_cast<std::int64_t>(std::llround(std::clamp(rate, 0.0, 1e12)))),
                        QStringLiteral("Mbps"));
    };
    return QStringLiteral("↓ ") + megabits(dl) + QStringLiteral("   ↑ ") + megabits(ul);
}

} // namespace Panel
