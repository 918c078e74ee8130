#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "i18n/L.h"
#include "monitor/PanelValues.h"
#include "platform/FS.h"
#include "platform/Trash.h"
#include "support/Fixtures.h"

using namespace Panel;

TEST(Sky, CloudinessBoundaries)
{
    EXPECT_EQ(cloudiness(0, 0.5, 0.5), 0.0);
    EXPECT_EQ(cloudiness(14, 0.5, 0.5), 0.5);
    EXPECT_EQ(cloudiness(28, 0.5, 0.5), 0.5);
    EXPECT_EQ(cloudiness(300, 0.5, 0.5), 0.5);
    EXPECT_DOUBLE_EQ(cloudiness(std::nullopt, 0.10, 0.5), 0.7);
    // exactly 12 % free is the milder step; exactly 88 % memory adds nothing
    EXPECT_DOUBLE_EQ(cloudiness(0, 0.12, 0.88), 0.15);
    EXPECT_DOUBLE_EQ(cloudiness(0, 0.5, 0.881), 0.15);
    EXPECT_DOUBLE_EQ(cloudiness(0, 0.25, 0.5), 0.0);
    EXPECT_EQ(cloudiness(300, 0.01, 0.99), 1.0);  // clamped
}

TEST(Sky, TitlesAndTexts)
{
    EXPECT_EQ(skyTitle(0.0), L("Céu limpo"));
    EXPECT_EQ(skyTitle(0.25), L("Algumas nuvens"));
    EXPECT_EQ(skyTitle(0.35), L("Algumas nuvens"));
    EXPECT_EQ(skyTitle(0.6), L("Céu carregado"));
    EXPECT_EQ(skyText(std::nullopt), L("Nenhuma limpeza ainda."));
    EXPECT_EQ(skyText(0), L("Limpo hoje."));
    EXPECT_EQ(skyText(3), LF("Última limpeza há %ld dia(s).", 3));
}

TEST(Sky, DaysSinceCleanCountsCalendarDays)
{
    const QDateTime now(QDate(2026, 12, 6), QTime(0, 30));
    EXPECT_EQ(daysSinceClean(QDateTime(QDate(2026, 12, 5), QTime(23, 50)), now), 1);
    EXPECT_EQ(daysSinceClean(QDateTime(QDate(2026, 12, 6), QTime(0, 1)), now), 0);
    EXPECT_EQ(daysSinceClean(QDateTime(QDate(2026, 11, 22), QTime(12, 0)), now), 14);
    EXPECT_FALSE(daysSinceClean(QVariant(), now).has_value());
    EXPECT_FALSE(daysSinceClean(QVariant("not a date"), now).has_value());
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
    std::ifstream in(std::string(RECORDED_DIR) + "/networkQuality.json", std::ios::binary);
    const QByteArray real = QByteArray::fromStdString(std::string(std::istreambuf_iterator<char>(in), {}));
    EXPECT_EQ(speedResult(real), "↓ 95 Mbps   ↑ 12 Mbps");
    EXPECT_EQ(speedResult(R"({"dl_throughput": "fast"})"), "↓ 0 Mbps   ↑ 0 Mbps");
    // speedtest-cli --json: download and upload, also in bits per second
    std::ifstream cli(std::string(RECORDED_DIR) + "/speedtest-cli.json", std::ios::binary);
    const QByteArray cliOut = QByteArray::fromStdString(std::string(std::istreambuf_iterator<char>(cli), {}));
    EXPECT_EQ(speedResult(cliOut, "download", "upload"), "↓ 95 Mbps   ↑ 12 Mbps");
    EXPECT_EQ(speedResult(cliOut), "↓ 0 Mbps   ↑ 0 Mbps");  // not networkQuality's keys
    for (const char* broken : {"", "sh: 1: /usr/bin/networkQuality: not found", "[1, 2]", "{\"dl_throughput\": 95",
                               "\xff\xfe"})
        EXPECT_EQ(speedResult(broken), L("Não foi possível medir agora.")) << broken;
}

TEST(EmptyTrash, DeletesEntriesWithTheirInformationButNotDsStore)
{
    const std::filesystem::path files = FS::trashFolder();
    const std::filesystem::path info = files.parent_path() / "info";
    writeFile(files / ".DS_Store", "finder");
    Trash::EmptyResult result = Trash::emptyTrash(files);
    EXPECT_EQ(result.freed, 0);
    EXPECT_EQ(result.failed, 0);
    EXPECT_TRUE(present(files / ".DS_Store"));

    writeFile(files / "report.pdf", std::string(10000, 'x'));
    writeFile(info / "report.pdf.trashinfo", "[Trash Info]\n");
    writeFile(files / ".hidden-folder/a/b.txt", "b");
    writeFile(info / ".hidden-folder.trashinfo", "[Trash Info]\n");
    result = Trash::emptyTrash(files);
    EXPECT_GE(result.freed, 10000);
    EXPECT_EQ(result.failed, 0);
    EXPECT_FALSE(present(files / "report.pdf"));
    EXPECT_FALSE(present(info / "report.pdf.trashinfo"));
    EXPECT_FALSE(present(files / ".hidden-folder"));
    EXPECT_FALSE(present(info / ".hidden-folder.trashinfo"));
    EXPECT_TRUE(present(files / ".DS_Store"));
}
