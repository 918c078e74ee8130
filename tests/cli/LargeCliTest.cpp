// quillmoor-cli's "large" on a fixture home, and its --min values.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>

#include "cli/LargeCommands.h"
#include "platform/FS.h"
#include "platform/Fmt.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;

namespace {

// Three sparse files around the thresholds, one hidden one that never shows.
class LargeCli : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        sparseFile(FS::home() / "Movies/film.mkv", 2000000000);
        sparseFile(FS::home() / "Downloads/disk image.iso", 600000000);
        sparseFile(FS::home() / "Music/album.flac", 400000000);
        sparseFile(FS::home() / ".local/cache.bin", 3000000000);
    }
    static QJsonArray parsedArray(const CliOutcome& r) { return jsonOf(r).array(); }
};

} // namespace

TEST_F(LargeCli, JsonListsFilesAtTheDefaultThresholdLargestFirst)
{
    const CliOutcome r = runCli({"large", "--json"});
    ASSERT_EQ(r.status, Cli::Success) << qPrintable(r.err);
    const QJsonArray files = parsedArray(r);
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(files[0]["path"].toString(), QString::fromStdString((FS::home() / "Movies/film.mkv").native()));
    EXPECT_EQ(files[0]["size"].toInteger(), 2000000000);
    EXPECT_EQ(files[1]["path"].toString(), QString::fromStdString((FS::home() / "Downloads/disk image.iso").native()));
    EXPECT_TRUE(QDateTime::fromString(files[0]["accessed"].toString(), Qt::ISODate).isValid());
    if (!isatty(STDERR_FILENO)) {  // no progress line mixed into the error stream
        EXPECT_TRUE(r.err.isEmpty()) << qPrintable(r.err);
    }
}

TEST_F(LargeCli, MinChoosesTheThresholdAndTextEndsWithTheSummary)
{
    EXPECT_EQ(parsedArray(runCli({"large", "--min", "100MB", "--json"})).size(), 3);
    EXPECT_EQ(parsedArray(runCli({"large", "--min", "1 gb", "--json"})).size(), 1);
    EXPECT_EQ(parsedArray(runCli({"large", "--min", "600000000", "--json"})).size(), 2);  // inclusive

    const CliOutcome text = runCli({"large", "--min", "100MB"});
    ASSERT_EQ(text.status, Cli::Success);
    const QStringList lines = text.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].endsWith("/Movies/film.mkv")) << qPrintable(lines[0]);
    EXPECT_TRUE(lines[2].endsWith("/Music/album.flac")) << qPrintable(lines[2]);
    EXPECT_TRUE(lines[3].contains("3") && lines[3].contains("100\u00A0MB")) << qPrintable(lines[3]);

    // A threshold that is not one of the labels is shown in bytes.
    const CliOutcome odd = runCli({"large", "--min", "1500000000"});
    EXPECT_TRUE(odd.out.trimmed().split('\n').last().contains(Fmt::bytes(1500000000))) << qPrintable(odd.out);
}

TEST_F(LargeCli, BadArgumentsAreBadUsage)
{
    for (const QStringList& args : {QStringList{"large", "--min"}, QStringList{"large", "--min", "7GB"},
                                    QStringList{"large", "--min", "-1"}, QStringList{"large", "extra"}}) {
        const CliOutcome r = runCli(args);
        EXPECT_EQ(r.status, Cli::BadUsage) << qPrintable(args.join(' '));
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.startsWith("quillmoor-cli: ")) << qPrintable(r.err);
    }
}

TEST(LargeMin, ThresholdTextsAndPlainBytes)
{
    const std::pair<const char*, std::int64_t> good[] = {
        {"100MB", 100000000}, {"500mb", 500000000}, {"1 GB", 1000000000}, {"5Gb", 5000000000},
        {"0", 0},             {" 123 ", 123},       {"9223372036854775807", INT64_MAX}};
    for (const auto& [text, bytes] : good)
        EXPECT_EQ(Cli::parseLargeMin(text), bytes) << text;
    for (const char* bad : {"", "GB", "2GB", "1.5GB", "10 KB", "-5", "+5", "1 000", "12abc", "0x10",
                            "9223372036854775808"})
        EXPECT_EQ(Cli::parseLargeMin(bad), std::nullopt) << bad;

    EXPECT_EQ(Cli::largeMinLabel(5000000000), "5\u00A0GB");
    EXPECT_EQ(Cli::largeMinLabel(5000000001), "5.00\u00A0GB");
}
