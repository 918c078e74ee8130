// quillmoor-cli's "apps", "leftovers" and "agents" on a fixture home.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>

#include "cli/AppCommands.h"
#include "i18n/L.h"
#include "platform/Fmt.h"
#include "platform/FS.h"
#include "profiles/Profile.h"
#include "support/Bundles.h"
#include "support/DesktopFixture.h"

namespace fs = std::filesystem;

namespace {

class AppCli : public ::testing::Test {
protected:
    static void TearDownTestSuite() { Profiles::choose("linux"); }
    static void SetUpTestSuite()
    {
        Profiles::choose("macos");  // application bundles
        const fs::path apps = FS::home() / "Applications";
        makeBundle(apps, "Maker", "com.maker.app", "2.0", 9000);
        makeBundle(apps, "it's odd", "org.odd");
        writeBytes(FS::home() / "Library/Caches/com.maker.app/blob", 50000);
        writeBytes(FS::home() / "Library/Preferences/com.maker.app.plist", 10);
        writeFile(FS::home() / "Library/LaunchAgents/com.maker.helper.plist",
                  xmlPlist({{"Label", "com.maker.helper"}, {"Program", "/opt/maker/helper"}}));
    }
};

} // namespace

TEST_F(AppCli, AppsListsByNameWithSizes)
{
    const QJsonArray apps = jsonOf(runCli({"apps", "--json"})).array();
    ASSERT_EQ(apps.size(), 2);
    EXPECT_EQ(apps[0]["name"].toString(), "it's odd");
    EXPECT_EQ(apps[1]["bundleID"].toString(), "com.maker.app");
    EXPECT_EQ(apps[1]["version"].toString(), "2.0");
    EXPECT_GE(apps[1]["size"].toInteger(), 9000);

    const CliOutcome text = runCli({"apps"});
    EXPECT_EQ(text.status, Cli::Success);
    EXPECT_TRUE(text.out.contains("bundle")) << qPrintable(text.out);
    EXPECT_TRUE(text.out.contains("Maker  (com.maker.app)")) << qPrintable(text.out);
    EXPECT_TRUE(text.out.trimmed().endsWith("quillmoor-cli leftovers APP")) << qPrintable(text.out);  // not the window's words
    EXPECT_EQ(runCli({"apps", "extra"}).status, Cli::BadUsage);
}

TEST_F(AppCli, LeftoversByNameIdentifierOrPath)
{
    const QString bundle = QString::fromStdString((FS::home() / "Applications/Maker.app").native());
    for (const QString& app : {QString("maker"), QString("COM.MAKER.APP"), bundle, QString("~/Applications/Maker.app")}) {
        const CliOutcome r = runCli({"leftovers", app, "--json"});
        ASSERT_EQ(r.status, Cli::Success) << qPrintable(app + r.err);
        const QJsonArray files = jsonOf(r).object()["files"].toArray();
        ASSERT_EQ(files.size(), 3) << qPrintable(app);
        EXPECT_EQ(files[0]["path"].toString(), bundle);  // the bundle first, then largest first
        EXPECT_TRUE(files[1]["path"].toString().endsWith("Caches/com.maker.app"));
    }
    const CliOutcome missing = runCli({"leftovers", "nothing"});
    EXPECT_EQ(missing.status, Cli::Failure);
    EXPECT_TRUE(missing.err.contains("nothing"));
    EXPECT_EQ(runCli({"leftovers"}).status, Cli::BadUsage);
}

TEST_F(AppCli, AgentsListTheUsersOwn)
{
    ASSERT_TRUE(Profiles::choose("macos"));  // launch property lists are its startup items
    const QJsonArray agents = jsonOf(runCli({"agents", "--json"})).array();
    const CliOutcome text = runCli({"agents"});
    Profiles::choose("linux");
    ASSERT_GE(agents.size(), 1);
    EXPECT_EQ(agents[0]["label"].toString(), "com.maker.helper");
    EXPECT_EQ(agents[0]["id"].toString(), "com.maker.helper.plist");
    EXPECT_EQ(agents[0]["kind"].toString(), "launchd");
    EXPECT_TRUE(agents[0]["userOwned"].toBool());
    EXPECT_TRUE(text.out.startsWith("com.maker.helper.plist  com.maker.helper  [")) << qPrintable(text.out);
    EXPECT_TRUE(text.out.section('\n', 0, 0).endsWith("/opt/maker/helper")) << qPrintable(text.out);
}

// ---- the linux profile: desktop entries, owners and the uninstall plan ----

TEST(LinuxAppCli, AppsLeftoversAndThePlan)
{
    DesktopFixture fx;
    fx.populate();
    writeFile(fx.home / ".config/xterm/settings");
    Cli::setAppBackend(LinuxApps::backend(fx.sources(), fx.runner()));

    const QJsonArray apps = jsonOf(runCli({"apps", "--json"})).array();
    ASSERT_EQ(apps.size(), 9);
    QJsonObject xterm;
    for (const QJsonValue& app : apps)
        if (app["name"].toString() == "XTerm")
            xterm = app.toObject();
    EXPECT_EQ(xterm["id"].toString(), "debian-xterm.desktop");
    EXPECT_EQ(xterm["owner"].toObject(), (QJsonObject{{"kind", "package"}, {"name", "xterm"}}));
    EXPECT_EQ(xterm["size"].toInteger(), 2456 * 1024);
    EXPECT_EQ(xterm["icon"].toString(), "mini.xterm");

    const QJsonArray files = jsonOf(runCli({"leftovers", "debian-xterm", "--json"})).object()["files"].toArray();
    ASSERT_EQ(files.size(), 2);
    EXPECT_TRUE(files[1]["selected"].toBool());
    EXPECT_EQ(files[1]["note"].toString(), "");

    // the package name names both of its applications: one plan that names the other, nothing done without --yes
    const CliOutcome plan = runCli({"uninstall", "xterm"});
    EXPECT_EQ(plan.status, Cli::Success) << qPrintable(plan.err);
    EXPECT_TRUE(plan.out.contains(LF("Removidos por %@ (não podem ser restaurados): %@", "apt-get remove",
                                     joinList({itemCount(1), Fmt::bytes(2456 * 1024)}))))
        << qPrintable(plan.out);
    EXPECT_TRUE(plan.out.contains(LF("Com senha de administrador: %@", "XTerm"))) << qPrintable(plan.out);
    EXPECT_TRUE(plan.out.contains(LF("Apps que saem junto: %@", "UXTerm"))) << qPrintable(plan.out);
    EXPECT_TRUE(std::filesystem::exists(fx.home / ".config/xterm"));

    // nobody owns it: refused, unless only its leftovers are asked for
    writeFile(fx.home / ".config/tool/settings");
    const CliOutcome refused = runCli({"uninstall", "Shop Tool", "--yes"});
    EXPECT_EQ(refused.status, Cli::Failure);
    EXPECT_EQ(refused.err.trimmed(), L("Nada instalou esta entrada: não há o que desinstalar."));
    EXPECT_TRUE(std::filesystem::exists(fx.home / ".config/tool/settings"));
    const CliOutcome leftovers = runCli({"uninstall", "Shop Tool", "--leftovers-only", "--yes"});
    EXPECT_EQ(leftovers.status, Cli::Success) << qPrintable(leftovers.err);
    EXPECT_FALSE(std::filesystem::exists(fx.home / ".config/tool"));
    EXPECT_TRUE(std::filesystem::exists(fx.local / "tool.desktop"));
    // a word naming applications of different owners is a usage error listing them
    DesktopFixture::entry(fx.user, "my-xterm.desktop", "Name=XTerm\nExec=true\n");
    const CliOutcome twice = runCli({"uninstall", "xterm"});
    EXPECT_EQ(twice.status, Cli::BadUsage);
    EXPECT_TRUE(twice.err.contains("my-xterm.desktop")) << qPrintable(twice.err);

    Cli::setAppBackend(std::nullopt);
}

TEST(LinuxAppCli, FileNamesThatAreNotUtf8GetIdsThatNameTheirOneFile)
{
    DesktopFixture fx;
    DesktopFixture::entry(fx.user, "caf\xe9.desktop", "Name=One\nExec=true\n");
    DesktopFixture::entry(fx.user, "caf\xe8.desktop", "Name=Two\nExec=true\n");
    Cli::setAppBackend(LinuxApps::backend(fx.sources(), fx.runner()));
    const QJsonArray apps = jsonOf(runCli({"--json", "apps"})).array();
    ASSERT_EQ(apps.size(), 2);
    const QString first = apps[0]["id"].toString();
    const QString second = apps[1]["id"].toString();
    EXPECT_TRUE(first.startsWith("bytes:")) << qPrintable(first);
    EXPECT_NE(first, second);
    // each id leads back to its own application (their paths read alike once decoded)
    for (const QJsonValue& app : apps) {
        const CliOutcome one = runCli({"--json", "leftovers", app["id"].toString()});
        ASSERT_EQ(one.status, Cli::Success) << qPrintable(one.err);
        EXPECT_EQ(jsonOf(one).object()["name"].toString(), app["name"].toString());
    }
    Cli::setAppBackend(std::nullopt);
}
