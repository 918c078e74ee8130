// LinuxStartup::scanUnits over what systemctl prints: split at 0xFF bytes (never in UTF-8), the output of
// list-unit-files, that of show, and the switched-off units as stored ("kind:name" a line). The show command
// built from the listed names must split back into exactly those names.
#include <set>

#include <glib.h>
#undef signals

#include "FuzzCheck.h"
#include "engines/startup/LinuxStartup.h"
#include "profiles/SystemPlaces.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    static const QStringList needed = Profiles::linuxStartupPlaces().servicesNeeded;
    const QList<QByteArray> parts = Fuzz::bytes(bytes, size).split(char(0xFF));
    const QString listed = Shell::decodeUtf8(parts.value(0));
    const QStringList switchedOff = Shell::decodeUtf8(parts.value(2)).split('\n');
    for (const bool user : {false, true}) {
        std::vector<std::string> commands;
        const LinuxStartup::Runner runner = [&](const std::string& command) {
            commands.push_back(command);
            return Shell::Result{true, commands.size() == 1 ? listed : Shell::decodeUtf8(parts.value(1))};
        };
        const std::vector<AgentItem> items = LinuxStartup::scanUnits(user, runner, switchedOff, needed);
        REQUIRE(qsizetype(items.size()) <= listed.count('\n') + 1 + switchedOff.size());
        const QString kind = user ? QStringLiteral("user-unit") : QStringLiteral("system-unit");
        std::set<QString> keys;
        std::vector<std::string> shown;  // the units show is asked about
        for (const AgentItem& item : items) {
            // on: listed as enabled, a service; off: one this program switched off
            REQUIRE(keys.insert(item.key).second && item.kind == kind && item.switchable && !item.program.isEmpty()
                    && (item.on ? item.key.endsWith(".service") && listed.contains(item.key)
                                : switchedOff.contains(kind + ':' + item.key)));
            if (!item.key.contains("@."))
                shown.push_back(item.key.toStdString());
        }
        // The show command, split as a POSIX shell would (Shell::run refuses one with a NUL byte).
        REQUIRE(commands.size() == (shown.empty() ? 1u : 2u));
        if (shown.empty() || commands[1].find('\0') != std::string::npos)
            continue;
        std::vector<std::string> expected{"systemctl", "show", "--no-pager", "--property=Id,Description,ExecStart"};
        if (user)
            expected.insert(expected.begin() + 1, "--user");
        expected.push_back("--");
        expected.insert(expected.end(), shown.begin(), shown.end());
        expected.push_back("2>/dev/null");
        int argc = 0;
        char** argv = nullptr;
        REQUIRE(g_shell_parse_argv(commands[1].c_str(), &argc, &argv, nullptr)
                && std::vector<std::string>(argv, argv + argc) == expected);
        g_strfreev(argv);
    }
    return 0;
}
