// Application discovery, the leftover search, the launch items and the
// administrator move into the Trash, on fixture folders.
#include <gtest/gtest.h>

#include <map>

#include <plist/plist.h>
#include <unistd.h>

#include "engines/removal/Removal.h"
#include "engines/apps/Apps.h"
#include "engines/apps/MacBundles.h"
#include "engines/startup/MacLaunchItems.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "platform/Plist.h"
#include "platform/Shell.h"
#include "profiles/SystemPlaces.h"
#include "support/Bundles.h"

namespace fs = std::filesystem;

namespace {

std::vector<QString> namesOf(const std::vector<AppInfo>& apps) { return listOf(apps, &AppInfo::name); }

// A binary property list of one dictionary of text values.
std::string binaryPlist(std::initializer_list<std::pair<const char*, const char*>> entries)
{
    plist_t dict = plist_new_dict();
    for (const auto& [key, value] : entries)
        plist_dict_set_item(dict, key, plist_new_string(value));
    char* data = nullptr;
    uint32_t length = 0;
    plist_to_bin(dict, &data, &length);
    std::string bytes(data, length);
    free(data);
    plist_free(dict);
    return bytes;
}

} // namespace

TEST(ScanApps, FoldersExtensionsIdentifiersAndOrder)
{
    const fs::path system = freshFolder("scan/Applications");
    const fs::path utilities = freshFolder("scan/Applications/Utilities");
    const fs::path user = freshFolder("scan/home-Applications");
    makeBundle(system, "zeta", "com.maker.zeta", "2.1");
    makeBundle(system, "Alpha", "com.maker.alpha");  // no version
    makeBundle(user, "Alpha", "com.maker.alpha", "1.0");  // same name elsewhere: listed too
    makeBundle(utilities, "beta", "com.applesauce.tool");
    makeBundle(system, "Safari", "com.apple.Safari");
    makeBundle(system, "Quillmoor", "com.halvick.Quillmoor");
    makeBundle(system, "Shouting", "com.maker.shout");
    fs::rename(system / "Shouting.app", system / "Shouting.APP");
    makeBundle(system, ".Hidden", "com.maker.hidden");
    makeBundle(system / "Nested", "Deep", "com.maker.deep");
    makeBundle(system, "Empty", "");  // no Info.plist
    for (const auto& [name, bytes] : std::vector<std::pair<std::string, std::string>>{
             {"Garbage", "<plist><dict><key>CFBundleIdentifier</key><stri"},
             {"Binaryjunk", std::string("bplist00\xff\xff\x00\x01garbage", 19)},
             {"Zero", ""},
             {"Array", "<plist><array><string>x</string></array></plist>"},
             {"Huge", std::string(Plist::kMaxBytes + 10, ' ')}}) {
        const fs::path bundle = makeBundle(system, name, "");
        writeFile(bundle / "Contents/Info.plist", bytes);
    }
    const fs::path binary = makeBundle(user, "Bin", "");
    writeFile(binary / "Contents/Info.plist",
              binaryPlist({{"CFBundleIdentifier", "org.\"quoted\".日本"}, {"CFBundleShortVersionString", "3"}}));

    // the system folder given twice still lists each path once
    const std::vector<AppInfo> apps = MacApps::scanApps({system, system / "Missing", utilities, user, system}, "com.apple.");
    EXPECT_EQ(namesOf(apps), (std::vector<QString>{"Alpha", "Alpha", "beta", "Bin", "zeta"}));
    ASSERT_EQ(apps.size(), 5u);
    EXPECT_EQ(apps[0].url, system / "Alpha.app");  // equal names keep folder order
    EXPECT_EQ(apps[0].version, "");
    EXPECT_EQ(apps[1].version, "1.0");
    EXPECT_EQ(apps[3].bundleID, QString::fromUtf8("org.\"quoted\".日本"));
    EXPECT_EQ(apps[3].version, "3");
    EXPECT_EQ(apps[4].id(), QString::fromStdString((system / "zeta.app").native()));
}

TEST(ScanApps, SearchMatchesNameOrIdentifierIgnoringCase)
{
    AppInfo app;
    app.name = "Notely";
    app.bundleID = "com.Maker.notes";
    for (const char* hit : {"", "note", "NOTELY", "maker.N"})
        EXPECT_TRUE(Sweeper::appMatches(app, hit)) << hit;
    EXPECT_FALSE(Sweeper::appMatches(app, "notes2"));
}

TEST(Leftovers, MatchingRule)
{
    const QString bid = "com.maker.app";
    for (const char* name : {"com.maker.app.plist", "com.maker.app.savedState", "com.maker.app.binarycookies",
                             "ABCDE.com.maker.app", "group.com.maker.app", "COM.Maker.App.plist",
                             "com.maker.app.agent", "xyz.com.maker.app.plist"})
        EXPECT_TRUE(MacApps::isLeftover(name, bid, "Widget Maker")) << name;
    for (const char* name : {"com.maker.ap", "maker", "com.maker.ap.plist"})
        EXPECT_FALSE(MacApps::isLeftover(name, bid, "Widget Maker")) << name;

    // by name only above 3 characters, and only the whole cut name
    EXPECT_TRUE(MacApps::isLeftover("notely", "x.y", "Notely"));
    EXPECT_TRUE(MacApps::isLeftover("Foo Bar.plist", "x.y", "Foo Bar"));
    EXPECT_FALSE(MacApps::isLeftover("notely-agent", "x.y", "Notely"));
    EXPECT_FALSE(MacApps::isLeftover("abc", "x.y", "Abc"));
    // each ending is cut once, in order
    EXPECT_EQ(MacApps::cutLeftoverName("A.savedState.plist"), "a");
    EXPECT_EQ(MacApps::cutLeftoverName("a.plist.plist"), "a.plist");
}

TEST(Leftovers, LargestFirstUnderTheBundle)
{
    const fs::path home = freshFolder("leftovers-home");
    const fs::path lib = home / "Library";
    writeBytes(lib / "Preferences/com.maker.app.plist", 100);
    writeBytes(lib / "Caches/com.maker.app/blob", 300000);
    writeBytes(lib / "Application Support/Maker App/data", 40000);
    writeBytes(lib / "Containers/other.thing/data", 90000);
    writeBytes(lib / "Logs/.com.maker.app.log", 90000);  // hidden: never offered
    writeBytes(lib / "Preferences/ByHost/com.maker.app.ABC.plist", 100);

    AppInfo app;
    app.url = makeBundle(freshFolder("leftovers-apps"), "Maker App", "com.maker.app", "", 8000);
    app.name = "Maker App";
    app.bundleID = "com.maker.app";
    const std::vector<JunkItem> files = MacApps::appFiles(app, Profiles::macosAppPlaces().leftoverDirs, home);
    // equal sizes (the two property lists): folder order
    ASSERT_EQ(listOf(files, &JunkItem::url),
              (std::vector<fs::path>{app.url, lib / "Caches/com.maker.app", lib / "Application Support/Maker App",
                                     lib / "Preferences/com.maker.app.plist",
                                     lib / "Preferences/ByHost/com.maker.app.ABC.plist"}));
    for (const JunkItem& item : files)
        EXPECT_TRUE(item.selected);
    EXPECT_GT(files[1].size, files[2].size);
}

TEST(Agents, LabelsProgramsAndFallbacks)
{
    const fs::path user = freshFolder("agents/user");
    const fs::path system = freshFolder("agents/daemons");
    writeFile(user / "com.x.labelled.plist",
              xmlPlist({{"Label", "Ünïcode \"quoted\" label"}, {"Program", "/usr/bin/prog"}},
                       "<key>ProgramArguments</key><array><string>/other</string></array>"));
    writeFile(user / "com.x.args.plist",
              xmlPlist({}, "<key>ProgramArguments</key><array><string>/bin/run</string><string>-x</string></array>"));
    writeFile(user / "com.x.empty.plist", xmlPlist({{"Label", "empty"}}, "<key>ProgramArguments</key><array/>"));
    writeFile(user / "com.x.agent.plist", "not a property list");
    writeFile(user / "com.x.shout.PLIST", xmlPlist({{"Label", "shout"}}));
    writeFile(user / ".hidden.plist", xmlPlist({{"Label", "hidden"}}));
    writeFile(system / "com.x.daemon.plist", binaryPlist({{"Label", "daemon"}, {"Program", "/sbin/d"}}));
    fs::create_directories(system / "folder.plist");

    const std::vector<AgentItem> items = MacStartup::scanAgents(
        {{user, "Usuário", true}, {freshFolder("agents") / "missing", "Todos os usuários", false},
         {system, "Sistema (daemon)", false}});
    std::map<QString, AgentItem> byLabel;
    for (const AgentItem& item : items)
        byLabel[item.label] = item;
    EXPECT_EQ(items.size(), 6u);  // the folder named .plist is listed with the fallbacks
    EXPECT_EQ(byLabel[QString::fromUtf8("Ünïcode \"quoted\" label")].program, "/usr/bin/prog");
    EXPECT_EQ(byLabel["com.x.args"].program, "/bin/run");
    EXPECT_EQ(byLabel["empty"].program, QString::fromUtf8("—"));
    EXPECT_EQ(byLabel["com.x.agent"].program, QString::fromUtf8("—"));
    EXPECT_FALSE(byLabel.count("shout") || byLabel.count("hidden"));
    EXPECT_EQ(byLabel["daemon"].program, "/sbin/d");
    EXPECT_FALSE(byLabel["daemon"].userOwned);
    EXPECT_EQ(byLabel["daemon"].scope, L("Sistema (daemon)"));
    EXPECT_TRUE(byLabel["empty"].userOwned);
}

TEST(Agents, UnloadCommandsPickTheDomainAndQuoteThePath)
{
    const fs::path agent = "/Library/LaunchAgents/it's $(x).plist";
    EXPECT_EQ(MacStartup::adminUnloadCommand(agent, 501),
              "launchctl bootout gui/501 " + Shell::q(agent.native()) + " 2>/dev/null");
    EXPECT_EQ(MacStartup::adminUnloadCommand("/Library/LaunchDaemons/d.plist", 501),
              "launchctl bootout system '/Library/LaunchDaemons/d.plist' 2>/dev/null");
    EXPECT_EQ(MacStartup::userUnloadCommand("/h/a'b.plist", 7), "launchctl bootout gui/7 '/h/a'\\''b.plist' 2>/dev/null");
}

TEST(Agents, RemovedByTheirOwnPathTheUsersToTheTrashTheSystemsThroughTheAdministrator)
{
    const fs::path user = freshFolder("launch/user");
    const fs::path others = freshFolder("launch/it's all users");
    const StartupBackend backend = MacStartup::backend({{user, "Usuário", true}, {others, "Todos os usuários", false}});
    writeFile(user / "com.x.mine.plist", xmlPlist({{"Label", "mine"}}));
    RecordingAdmin admin;
    const auto itemNamed = [&](const char* label) {
        for (const AgentItem& item : backend.scan())
            if (item.label == label)
                return item;
        ADD_FAILURE() << label;
        return AgentItem{};
    };

    const StartupChange mine = Startup::removeItem(backend, itemNamed("mine"), std::ref(admin));
    EXPECT_TRUE(mine.ok);
    EXPECT_EQ(mine.message, LF("“%@” desativado e movido para a Lixeira.", QString("mine")));
    EXPECT_TRUE(present(FS::trashFolder() / "com.x.mine.plist"));
    EXPECT_TRUE(admin.requests.empty());

    // the shared item, with administrator rights; two of the same name both stay in the Trash
    for (int round = 0; round < 2; ++round) {
        writeFile(others / "com.x.shared.plist", xmlPlist({{"Label", "shared"}}));
        EXPECT_TRUE(Startup::removeItem(backend, itemNamed("shared"), std::ref(admin)).ok);
    }
    ASSERT_EQ(admin.requests.size(), 2u);
    EXPECT_TRUE(admin.requests[0].actions.empty());  // the macos profile's own script
    EXPECT_NE(admin.requests[0].script.find("launchctl bootout gui/"), std::string::npos);
    EXPECT_NE(admin.requests[0].script.find(Shell::q((others / "com.x.shared.plist").native())), std::string::npos);
    EXPECT_TRUE(present(FS::trashFolder() / "com.x.shared.2.plist"));

    // a dismissed prompt: the message says so and the item stays
    writeFile(others / "com.x.shared.plist", xmlPlist({{"Label", "shared"}}));
    admin.answer = Admin::Reply{false, L("Cancelado"), {}, {}};
    const StartupChange refused = Startup::removeItem(backend, itemNamed("shared"), std::ref(admin));
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.message, LF("Não removido: %@", L("Cancelado")));
    EXPECT_TRUE(present(others / "com.x.shared.plist"));
}

TEST(AdminTrash, SameNamedItemsBothStayRestorableInTheTrash)
{
    const fs::path folder = freshFolder("admin-trash/it's here");
    RecordingAdmin admin;
    std::vector<fs::path> trashed;
    for (int round = 0; round < 2; ++round) {
        const fs::path item = folder / "Tool.app";
        writeFile(item / "Contents/round", std::to_string(round));
        const Admin::Reply result = Removal::adminTrash(item, "false 2>/dev/null", std::ref(admin));
        ASSERT_TRUE(result.ok) << qPrintable(result.reason);
        EXPECT_FALSE(present(item));
    }
    ASSERT_EQ(admin.requests.size(), 2u);  // one administrator run per removal
    EXPECT_EQ(admin.requests[0].script.rfind("false 2>/dev/null; mv ", 0), 0u);
    const fs::path first = FS::trashFolder() / "Tool.app";
    const fs::path second = FS::trashFolder() / "Tool.2.app";
    EXPECT_EQ(readFile(first / "Contents/round"), "0");
    EXPECT_EQ(readFile(second / "Contents/round"), "1");
    EXPECT_NE(readFile(infoFor(second)).find("Path=" + folder.parent_path().native() + "/it%27s%20here/Tool.app"),
              std::string::npos);

    // a dismissed prompt leaves the item and gives its name in the Trash back
    admin.answer = Admin::Reply{false, L("Cancelado"), {}, {}};
    const fs::path item = folder / "Tool.app";
    writeFile(item / "Contents/round", "2");
    const Admin::Reply refused = Removal::adminTrash(item, {}, std::ref(admin));
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.reason, L("Cancelado"));
    EXPECT_TRUE(present(item));
    EXPECT_FALSE(present(infoFor(FS::trashFolder() / "Tool.3.app")));
}

TEST(Plist, DeepNestingIsRefusedBeforeTheParserSeesIt)
{
    const auto nested = [](int levels) {
        std::string text = "<plist><dict><key>Label</key><string>x</string><key>K</key>";
        for (int i = 0; i < levels; ++i)
            text += "<array>";
        for (int i = 0; i < levels; ++i)
            text += "</array>";
        return QByteArray::fromStdString(text + "<key>E</key><array/></dict></plist>");
    };
    EXPECT_TRUE(Plist::parseDictionary(nested(Plist::kMaxXmlDepth - 1)).has_value());
    EXPECT_FALSE(Plist::parseDictionary(nested(300000)).has_value());  // would overflow the stack

    // a binary list whose trailer counts more objects than allowed
    std::string binary = binaryPlist({{"Label", "x"}});
    EXPECT_TRUE(Plist::parseDictionary(QByteArray::fromStdString(binary)).has_value());
    for (int i = 0; i < 8; ++i)
        binary[binary.size() - 24 + i] = char(i == 5 ? 0x01 : 0);  // 65,536 objects
    EXPECT_FALSE(Plist::withinParserLimits(QByteArray::fromStdString(binary)));
}

TEST(Plist, NestingBehindCommentsOrQuotesIsStillCounted)
{
    // the parser skips comments, CDATA sections and quoted values in a tag: a closing tag there closes nothing
    for (const char* level : {"<array><!-- </array> -->", "<array><string><![CDATA[</array>]]></string>",
                              "<array x=\"</array>\">", "<array><?pi </array>?>"}) {
        std::string text = "<plist><dict><key>K</key>";
        for (int i = 0; i < Plist::kMaxXmlDepth; ++i)
            text += level;
        for (int i = 0; i < Plist::kMaxXmlDepth; ++i)
            text += "</array>";
        EXPECT_FALSE(Plist::withinParserLimits(QByteArray::fromStdString(text + "</dict></plist>"))) << level;
    }
}

TEST(Plist, ATextWithANulCharacterIsRefusedBeforeTheParserSeesIt)
{
    // libplist 2.2 aborts the program when asked for such a key: {"é\0": "v"},
    // the key as UTF-16 text of two characters.
    const QByteArray binary = QByteArray::fromHex("62706c6973743030d101026200e900005176080b1000000000000001010000000000000003"
                                                  "00000000000000000000000000000012");
    EXPECT_FALSE(Plist::parseDictionary(binary).has_value());
    const QByteArray fine = QByteArray(binary).replace(QByteArray::fromHex("00e90000"), QByteArray::fromHex("00e90041"));
    EXPECT_EQ(Plist::text(Plist::parseDictionary(fine).value(), QString::fromUtf8("éA")), "v");
    // and a NUL byte in XML (never valid there) as well
    EXPECT_FALSE(Plist::parseDictionary(QByteArray("<plist><dict><key>k</key><string>a\0b</string></dict></plist>", 60))
                     .has_value());
}

TEST(Leftovers, TheNeverTouchListHidesLeftoversOpensTheirFoldersAndKeepsTheApplication)
{
    const fs::path root = freshFolder("leftovers-never");
    writeFile(root / "Tool.app/Contents/Info.plist");
    writeFile(root / "Config/tool/settings/mine.conf");
    writeFile(root / "Config/tool/cache.db", std::string(5'000, 'c'));
    writeFile(root / "Logs/tool.log");
    const auto item = [](const fs::path& url, const QString& name) {
        JunkItem made;
        made.url = url;
        made.name = name;
        made.selected = true;
        return made;
    };
    std::vector<JunkItem> files{item(root / "Tool.app", "Tool"), item(root / "Config/tool", "tool"),
                                item(root / "Logs/tool.log", "tool.log")};
    const NeverTouchList never({root / "Tool.app/Contents/Info.plist", root / "Config/tool/settings",
                                root / "Logs/tool.log"});
    EXPECT_EQ(Sweeper::honourNeverTouch(files, never), 2);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].url, root / "Tool.app");  // the application stays listed, unticked, saying why
    EXPECT_FALSE(files[0].selected);
    EXPECT_EQ(files[0].note, L("Na lista Nunca tocar"));
    EXPECT_EQ(files[1].url, root / "Config/tool/cache.db");  // the folder's other entry, one level down
    EXPECT_EQ(files[1].name, "tool/cache.db");
    EXPECT_TRUE(files[1].selected);
    EXPECT_GT(files[1].size, 0);
}
