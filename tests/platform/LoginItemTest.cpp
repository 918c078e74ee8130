// The login item's autostart entry as the desktop reads it back, the program it
// starts, the repair of an entry whose program is gone, and the version line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include <QDir>
#include <QTemporaryDir>

#include <glib.h>

#include "platform/Installation.h"
#include "platform/LoginItem.h"
#include "platform/Version.h"

namespace fs = std::filesystem;

namespace {

void writeExecutable(const fs::path& path)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "#!/bin/sh\n";
    fs::permissions(path, fs::perms::owner_all);
}

// An installation under `prefix`: bin/quillmoor with its desktop entry.
fs::path makeInstallation(const fs::path& prefix)
{
    writeExecutable(prefix / "bin/quillmoor");
    fs::create_directories(prefix / "share/applications");
    std::ofstream(prefix / "share/applications/com.halvick.Quillmoor.desktop") << "[Desktop Entry]\n";
    return prefix / "bin/quillmoor";
}

QString q(const fs::path& p) { return QString::fromStdString(p.string()); }

// Exec's first argument and TryExec as GLib reads them: string escapes first,
// then the quoting of Exec, then "%%" as "%" (a lone "%" would start a field code).
std::pair<QString, QString> readBack(const QString& entry)
{
    GKeyFile* keys = g_key_file_new();
    std::pair<QString, QString> out;
    const QByteArray text = entry.toUtf8();
    if (g_key_file_load_from_data(keys, text.constData(), gsize(text.size()), G_KEY_FILE_NONE, nullptr)) {
        gchar* exec = g_key_file_get_string(keys, "Desktop Entry", "Exec", nullptr);
        gchar** argv = nullptr;
        if (exec && g_shell_parse_argv(exec, nullptr, &argv, nullptr)) {
            const QString first = QString::fromUtf8(argv[0]);
            if (!QString(first).remove(QLatin1String("%%")).contains(u'%'))
                out.first = QString(first).replace(QLatin1String("%%"), QLatin1String("%"));
            g_strfreev(argv);
        }
        g_free(exec);
        gchar* tryExec = g_key_file_get_string(keys, "Desktop Entry", "TryExec", nullptr);
        out.second = QString::fromUtf8(tryExec);
        g_free(tryExec);
    }
    g_key_file_free(keys);
    return out;
}

} // namespace

TEST(Installation, TheInstalledProgramOrTheOneStarted)
{
    QTemporaryDir dir;
    const fs::path root = dir.path().toStdString();
    const fs::path installed = makeInstallation(root / "usr");
    writeExecutable(root / "build/quillmoor");
    writeExecutable(root / "loose/bin/quillmoor");  // a bin folder without the entry

    struct Case {
        const char* name;
        QString program;
        std::optional<QString> prefix;
        QString toStart;
    };
    const Case cases[] = {
        {"installed", q(installed), q(root / "usr"), q(installed)},
        {"installed, the path not clean", q(root / "usr/lib/../bin/quillmoor"), q(root / "usr"), q(installed)},
        {"installed, started as the CLI", q(root / "usr/bin/quillmoor-cli"), q(root / "usr"), q(installed)},
        {"build folder", q(root / "build/quillmoor"), std::nullopt, q(root / "build/quillmoor")},
        {"bin folder without the entry", q(root / "loose/bin/quillmoor"), std::nullopt, q(root / "loose/bin/quillmoor")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Installation::prefixOf(c.program), c.prefix) << c.name;
        EXPECT_EQ(Installation::programToStart(c.program), c.toStart) << c.name;
    }
}

TEST(LoginItem, ExecAndTryExecNameTheProgramAsTheDesktopReadsThem)
{
    const QString programs[] = {
        QStringLiteral("/usr/bin/quillmoor"),
        QStringLiteral("/home/a b/build/quillmoor"),
        QStringLiteral(R"(/home/it's "$HOME"/\100%/`q`/quillmoor)"),
    };
    for (const QString& program : programs) {
        const QString entry = LoginItem::desktopEntryFor(program);
        const auto [exec, tryExec] = readBack(entry);
        EXPECT_EQ(exec, program) << qPrintable(entry);
        EXPECT_EQ(tryExec, program) << qPrintable(entry);
    }
}

TEST(LoginItem, RegisteredProgramComesFromTheEntryUntilUnregistered)
{
    EXPECT_FALSE(LoginItem::isRegistered());
    EXPECT_EQ(LoginItem::registeredProgram(), std::nullopt);
    ASSERT_EQ(LoginItem::registerItem(R"(/opt/a "b"/quillmoor)"), std::nullopt);
    EXPECT_TRUE(LoginItem::isRegistered());
    EXPECT_EQ(LoginItem::registeredProgram(), QStringLiteral(R"(/opt/a "b"/quillmoor)"));

    // An entry of the earlier form, without TryExec: Exec's first word.
    std::ofstream(LoginItem::entryPath()) << "[Desktop Entry]\nType=Application\nName=Quillmoor\n"
                                             "Exec=\"/opt/it's \\$HOME/quillmoor\"\n";
    EXPECT_EQ(LoginItem::registeredProgram(), QStringLiteral("/opt/it's $HOME/quillmoor"));
    EXPECT_EQ(LoginItem::unregisterItem(), std::nullopt);
    EXPECT_FALSE(LoginItem::isRegistered());
    EXPECT_EQ(LoginItem::unregisterItem(), std::nullopt);  // nothing there is fine
}

TEST(LoginItem, FailureComesBackAsText)
{
    // The autostart folder's place is taken by a file: registering must say why it failed.
    const auto folder = LoginItem::entryPath().parent_path();
    fs::remove_all(folder);
    fs::create_directories(folder.parent_path());
    std::ofstream(folder) << "not a folder";
    const auto error = LoginItem::registerItem("/usr/bin/quillmoor");
    ASSERT_TRUE(error.has_value());
    EXPECT_FALSE(error->isEmpty());
    fs::remove(folder);
}

TEST(LoginItem, AnEntryWhoseProgramIsGoneIsRewrittenAtStart)
{
    QTemporaryDir dir;
    const fs::path root = dir.path().toStdString();
    const QString current = q(makeInstallation(root / "usr"));
    writeExecutable(root / "other/quillmoor");
    const QString gone = q(root / "build/quillmoor");  // never made
    const QString present = q(root / "other/quillmoor");

    // The program the entry names; whether it is rewritten; what it names after.
    struct Case {
        const char* name;
        QString entryText;  // empty: no entry at all
        bool rewritten;
        std::optional<QString> after;
    };
    const Case cases[] = {
        {"program gone", LoginItem::desktopEntryFor(gone), true, current},
        {"program present", LoginItem::desktopEntryFor(present), false, present},
        {"already this program", LoginItem::desktopEntryFor(current), false, current},
        {"no entry", QString(), false, std::nullopt},
        {"hidden entry", LoginItem::desktopEntryFor(gone) + QStringLiteral("Hidden=true\n"), false, std::nullopt},
        {"earlier form, program gone",
         QStringLiteral("[Desktop Entry]\nType=Application\nExec=\"%1\"\n").arg(gone), true, current},
    };
    for (const Case& c : cases) {
        fs::remove(LoginItem::entryPath());
        if (!c.entryText.isEmpty()) {
            fs::create_directories(LoginItem::entryPath().parent_path());
            std::ofstream(LoginItem::entryPath()) << c.entryText.toStdString();
        }
        EXPECT_EQ(LoginItem::repairItem(current), c.rewritten) << c.name;
        EXPECT_EQ(LoginItem::registeredProgram(), c.after) << c.name;
        EXPECT_EQ(LoginItem::isRegistered(), c.after.has_value()) << c.name;  // a hidden entry is not
        if (c.entryText.isEmpty()) {
            EXPECT_FALSE(fs::exists(LoginItem::entryPath())) << c.name;
        }
    }
    fs::remove(LoginItem::entryPath());
}

TEST(Version, FallsBackWhenPartsAreMissingOrNotText)
{
    EXPECT_EQ(versionText({}, {}), "Quillmoor 1.3 (1)");
    EXPECT_EQ(versionText(QVariant(2), QVariant(3.5)), "Quillmoor 1.3 (1)");
    EXPECT_EQ(versionText(QStringLiteral("2.0"), QStringLiteral("57")), "Quillmoor 2.0 (57)");
    EXPECT_TRUE(appVersionText().startsWith("Quillmoor "));
}
