// quillmoor-cli in Japanese: every text of its own (help, plans, lists,
// usage errors) comes in the interface language; none is left in English.
#include <gtest/gtest.h>

#include <cstdlib>

#include "cli/AppCommands.h"
#include "cli/MonitorCommands.h"
#include "i18n/L.h"
#include "support/DesktopFixture.h"

TEST(CliLanguage, NothingOfItsOwnIsLeftInEnglish)
{
    setenv("LANGUAGE", "ja", 1);  // before the first text fixes the language for the run
    ASSERT_EQ(appLang(), Lang::ja);
    DesktopFixture fx;
    fx.populate();
    writeBytes(fx.home / ".cache/tool/blob", 8192);
    writeFile(fx.home / ".config/xterm/settings");
    Cli::setAppBackend(LinuxApps::backend(fx.sources(), fx.runner()));

    QString shown;
    for (const QStringList& args : std::vector<QStringList>{
             {"--help"}, {"--version"}, {"--bogus"}, {}, {"nothing"}, {"--profile", "beos"},
             {"junk", "x"}, {"clean"}, {"clean", "--group"}, {"clean", "--group", "nope"}, {"clean", "-x"},
             {"large", "--min", "1"}, {"large", "--min"}, {"large", "--min", "x"}, {"large", "-x"},
             {"apps"}, {"leftovers"}, {"leftovers", "xterm"}, {"uninstall", "xterm"}, {"uninstall", "nothing"},
             {"startup", "pause"}, {"startup", "off"}, {"startup", "off", "nothing"},
             {"maintenance"}, {"maintenance", "x"}, {"maintenance", "--run"}, {"maintenance", "--run", "nope"},
             {"du"}, {"du", "a", "b"}, {"du", "/nowhere"}, {"du", "-x"},
             {"monitor", "-x"}, {"monitor", "--samples"}, {"monitor", "--samples", "0"}}) {
        const CliOutcome r = runCli(args);
        shown += r.out + r.err;
    }
    Cli::MonitorReading reading;
    reading.volumes.push_back({"/media/al/STICK", "STICK", 5'000'000, "/dev/sdb1"});
    shown += Cli::monitorLine(reading);
    Cli::setAppBackend(std::nullopt);

    // The plan was shown (its tool as it is), so its texts were checked.
    EXPECT_TRUE(shown.contains("apt-get remove")) << qPrintable(shown);
    for (const char* english :
         {"Usage", "Options:", "Commands:", "Exit status", "(profile", "unknown", "no command", "takes", "needs",
          "bad ", "Would remove", "delete ", " trash ", "Total:", "files over", "apps found", "package:", "(package", "names ",
          "no application", "Command:", "[admin]", "To the Trash", " kept ", "Run again", "no startup", "routine",
          "Done:", "not a folder", "Disk:", "Memory:", "Processor:", "Power:", "Network:", " free", " items"})
        EXPECT_FALSE(shown.contains(english)) << english << "\n" << qPrintable(shown);
}
