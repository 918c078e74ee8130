// The login item as an XDG autostart entry, and the version line.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/LoginItem.h"
#include "platform/Version.h"

TEST(LoginItem, RegisterThenUnregisterLeavesNoEntry)
{
    EXPECT_FALSE(LoginItem::isRegistered());
    EXPECT_EQ(LoginItem::registerItem("/opt/Quillmoor/bin/quillmoor"), std::nullopt);
    EXPECT_TRUE(LoginItem::isRegistered());
    EXPECT_EQ(LoginItem::unregisterItem(), std::nullopt);
    EXPECT_FALSE(LoginItem::isRegistered());
    EXPECT_EQ(LoginItem::unregisterItem(), std::nullopt);  // nothing there is fine
}

TEST(LoginItem, HiddenEntryIsNotRegistered)
{
    const auto path = LoginItem::entryPath();
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << "[Desktop Entry]\nType=Application\nExec=quillmoor\nHidden=true\n";
    EXPECT_FALSE(LoginItem::isRegistered());
    std::filesystem::remove(path);
}

TEST(LoginItem, ExecutableWithSpecialCharactersIsQuoted)
{
    const QString entry = LoginItem::desktopEntryFor(R"(/home/a b/it's "$HOME"\100%.bin)");
    // Quoted for Exec, then every backslash doubled as the entry's string escapes ask.
    EXPECT_TRUE(entry.contains(R"(Exec="/home/a b/it's \\"\\$HOME\\"\\\\100%%.bin")")) << qPrintable(entry);
    EXPECT_TRUE(entry.contains(R"(TryExec=/home/a b/it's "$HOME"\\100%.bin)")) << qPrintable(entry);
}

TEST(LoginItem, FailureComesBackAsText)
{
    // The autostart folder's place is taken by a file: registering must say why it failed.
    const auto folder = LoginItem::entryPath().parent_path();
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder.parent_path());
    std::ofstream(folder) << "not a folder";
    const auto error = LoginItem::registerItem("/usr/bin/quillmoor");
    ASSERT_TRUE(error.has_value());
    EXPECT_FALSE(error->isEmpty());
    std::filesystem::remove(folder);
}

TEST(Version, FallsBackWhenPartsAreMissingOrNotText)
{
    EXPECT_EQ(versionText({}, {}), "Quillmoor 1.3 (1)");
    EXPECT_EQ(versionText(QVariant(2), QVariant(3.5)), "Quillmoor 1.3 (1)");
    EXPECT_EQ(versionText(QStringLiteral("2.0"), QStringLiteral("57")), "Quillmoor 2.0 (57)");
    EXPECT_TRUE(appVersionText().startsWith("Quillmoor "));
}
