// quillmoor-cli's options: help, bad usage and the version.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include "support/Fixtures.h"

TEST(Cli, HelpSucceedsAndNamesTheOptions)
{
    for (const char* flag : {"--help", "-h"}) {
        const CliOutcome r = runCli({flag});
        EXPECT_EQ(r.status, Cli::Success);
        EXPECT_TRUE(r.out.contains("--json"));
        EXPECT_TRUE(r.err.isEmpty());
    }
}

TEST(Cli, BadUsageIsExitTwoWithOneLine)
{
    for (const QStringList& args : {QStringList{}, QStringList{"--bogus"}, QStringList{"no-such-command"},
                                    QStringList{"--json"}}) {
        const CliOutcome r = runCli(args);
        EXPECT_EQ(r.status, Cli::BadUsage) << qPrintable(args.join(' '));
        EXPECT_EQ(r.err.count('\n'), 1) << qPrintable(r.err);
        EXPECT_TRUE(r.err.startsWith("quillmoor-cli: "));
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST(Cli, VersionAsTextAndAsJson)
{
    const CliOutcome text = runCli({"--version"});
    EXPECT_EQ(text.status, Cli::Success);
    EXPECT_TRUE(text.out.startsWith("Quillmoor "));

    const CliOutcome json = runCli({"--json", "--version"});
    EXPECT_EQ(json.status, Cli::Success);
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json.out.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError);
    EXPECT_TRUE(doc.object().value("version").toString().startsWith("Quillmoor "));
}
