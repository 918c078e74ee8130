#pragma once
#include <cstdlib>
// What the helper knows about its run: the user it acts for and where the
// system's folders and tools are. In the installed helper the system is the
// real one; only the test build (QUILLMOOR_ADMIN_TEST_BUILD) can put a
// fixture folder in front of every system path and tool.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <sys/types.h>

#include "platform/AdminActions.h"
#include "platform/Shell.h"

namespace AdminHelper {

struct Context {
    uid_t user = 0;    // the user the helper acts for
    std::string root;  // empty: the real system; a fixture folder in the test build

    // A system path ("/var/log") as this run sees it.
    std::string system(std::string_view path) const { return root + std::string(path); }
    // The absolute path of a tool from the system's own folders (/usr/sbin,
    // /usr/bin, /sbin, /bin: never PATH); empty when it is not installed.
    std::string tool(std::string_view name) const;
};

// Answers for one action (the index is filled in by the caller).
Admin::Answer done();
Admin::Answer failed(std::string code, std::string detail);

// A tool's run as an answer: done when it exited with 0, else failed with its
// last line ("tool"), or why it did not start.
Admin::Answer toolAnswer(std::string_view name, const Shell::ProcessOutput& output);

// Runs a tool with exactly these arguments (no shell) and waits for it:
// done when it exits with 0, else failed with its last line ("tool"), or
// "missing" when it is not installed.
Admin::Answer runTool(const Context& context, std::string_view name, const std::vector<std::string>& args);

// LC_ALL=C (and no LANGUAGE) while this object lives, then the helper's own
// locale variables back: the tools answer in the same words whatever the
// user's language.
class CLocale {
public:
    CLocale()
    {
        for (Saved& variable : saved_) {
            if (const char* value = std::getenv(variable.name))
                variable.value = value;
        }
        setenv("LC_ALL", "C", 1);
        unsetenv("LANGUAGE");
    }
    ~CLocale()
    {
        for (const Saved& variable : saved_) {
            if (variable.value)
                setenv(variable.name, variable.value->c_str(), 1);
            else
                unsetenv(variable.name);
        }
    }
    CLocale(const CLocale&) = delete;
    CLocale& operator=(const CLocale&) = delete;

private:
    struct Saved {
        const char* name;
        std::optional<std::string> value;
    };
    Saved saved_[2] = {{"LC_ALL", {}}, {"LANGUAGE", {}}};
};

} // namespace AdminHelper
