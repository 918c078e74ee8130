// The tray panel's derived values: the sky, the power symbol and the speed test's result.
#include <gtest/gtest.h>

#include "i18n/L.h"
#include "monitor/PanelValues.h"
#include "support/Fixtures.h"

using namespace Panel;

TEST(Sky, CloudinessAtEveryBoundaryAndItsTitle)
{
    const struct {
        std::optional<int> days;
        double diskFree, memory, cloudiness;
    } cases[] = {
        {0, 0.5, 0.5, 0.0}, {14, 0.5, 0.5, 0.5}, {28, 0.5, 0.5, 0.5}, {300, 0.5, 0.5, 0.5},
        {std::nullopt, 0.10, 0.5, 0.7},
        // exactly 12 % free is the milder step; exactly 88 % memory adds nothing
        {0, 0.12, 0.88, 0.15}, {0, 0.5, 0.881, 0.15}, {0, 0.25, 0.5, 0.0},
        {300, 0.01, 0.99, 1.0},  // clamped
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(cloudiness(c.days, c.diskFree, c.memory), c.cloudiness)
            << c.days.value_or(-1) << " " << c.diskFree << " " << c.memory;
    EXPECT_EQ(skyTitle(0.0), L("Céu limpo"));
    EXPECT_EQ(skyTitle(0.25), L("Algumas nuvens"));
    EXPECT_EQ(skyTitle(0.35), L("Algumas nuvens"));
    EXPECT_EQ(skyTitle(0.6), L("Céu carregado"));
}

TEST(Sky, DaysSinceTheLastCleanCountCalendarDays)
{
    const QDateTime now(QDate(2026, 12, 6), QTime(0, 30));
    EXPECT_EQ(daysSinceClean(QDateTime(QDate(2026, 12, 5), QTime(23, 50)), now), 1);
    EXPECT_EQ(daysSinceClean(QDateTime(QDate(2026, 12, 6), QTime(0, 1)), now), 0);
    EXPECT_EQ(daysSinceClean(QDateTime(QDate(2026, 11, 22), QTime(12, 0)), now), 14);
    EXPECT_FALSE(daysSinceClean(QVariant(), now).has_value());
    EXPECT_FALSE(daysSinceClean(QVariant("not a date"), now).has_value());
    EXPECT_EQ(skyText(std::nullopt), L("Nenhuma limpeza ainda."));
    EXPECT_EQ(skyText(0), L("Limpo hoje."));
    EXPECT_EQ(skyText(3), LP(3, "Última limpeza há %ld dia(s).", 3));
}

TEST(Power, SymbolsAndStatuses)
{
    using Monitor::Battery;
    EXPECT_EQ(batterySymbol(std::nullopt), "powerplug");
    EXPECT_EQ(batteryStatus(std::nullopt), L("Na tomada"));
    EXPECT_EQ(batterySymbol(Battery{24, false, false}), "battery.25");
    EXPECT_EQ(batterySymbol(Battery{25, false, false}), "battery.50");
    EXPECT_EQ(batterySymbol(Battery{74, false, false}), "battery.75");
    EXPECT_EQ(batterySymbol(Battery{75, false, false}), "battery.100");
    EXPECT_EQ(batterySymbol(Battery{10, true, true}), "battery.100.bolt");
    EXPECT_EQ(batteryStatus(Battery{10, true, true}), L("Carregando"));
    EXPECT_EQ(batteryStatus(Battery{100, false, true}), L("Carregada, na tomada"));
    EXPECT_EQ(batteryStatus(Battery{60, false, false}), L("Na bateria"));
}

TEST(SpeedTest, ReadsTheToolsJsonAndRefusesAnythingElse)
{
    const auto recorded = [](const char* name) {
        return QByteArray::fromStdString(readFile(std::filesystem::path(RECORDED_DIR) / name));
    };
    EXPECT_EQ(speedResult(recorded("networkQuality.json")), "↓ 95\u00A0Mbps   ↑ 12\u00A0Mbps");
    EXPECT_EQ(speedResult(R"({"dl_throughput": "fast"})"), "↓ 0\u00A0Mbps   ↑ 0\u00A0Mbps");
    // speedtest-cli --json: download and upload, also in bits per second
    const QByteArray cli = recorded("speedtest-cli.json");
    EXPECT_EQ(speedResult(cli, "download", "upload"), "↓ 95\u00A0Mbps   ↑ 12\u00A0Mbps");
    EXPECT_EQ(speedResult(cli), "↓ 0\u00A0Mbps   ↑ 0\u00A0Mbps");  // not networkQuality's keys
    for (const char* broken : {"", "sh: 1: /usr/bin/networkQuality: not found", "[1, 2]", "{\"dl_throughput\": 95",
                               "\xff\xfe"})
        EXPECT_EQ(speedResult(broken), L("Não foi possível medir agora.")) << broken;
}
