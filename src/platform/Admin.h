#pragma once
// Work that needs administrator rights. On Linux it is a list of actions for
// the helper quillmoor-admin, run through pkexec (installed: under the
// program's own polkit actions and their messages; from the build folder:
// polkit's generic prompt), never a shell command line. The macos profile
// keeps its designed command line, which only a macOS build runs.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include <QString>

#include "platform/AdminActions.h"
#include "platform/Shell.h"

namespace Admin {

// One administrator run: one password prompt for all of it.
struct Request {
    std::vector<Action> actions;  // the helper's actions, in order
    std::string script;           // the macos profile's command line instead
    bool empty() const { return actions.empty() && script.empty(); }
};

struct Reply {
    bool ok = false;               // everything asked for was done
    QString reason;                // when not: why, for people (a refusal, a cancel, the first failure)
    std::vector<QString> failures; // per action of a helper run: empty when it was done, else why not
    QString out;                   // what a script printed
    // Per action of a helper run: what a done answer carried (measured
    // sizes); empty for the others.
    std::vector<QString> details = {};
    // Whether action i was done (a helper run that got that far and did it).
    bool done(std::size_t i) const { return i < failures.size() && failures[i].isEmpty(); }
};

using Runner = std::function<Reply(const Request&)>;

// Runs the request with administrator rights and waits for it (the injected
// runner when a test set one). Already root: the helper runs directly.
Reply run(const Request& request);
// Replaces what run does (tests); an empty runner restores the real one.
void setRunner(Runner runner);

// The steps of run as pure functions, so each branch is checked whoever runs the tests.

// Where the helper is for a program at `programFolder`: installed beside it
// as ../lib/quillmoor/quillmoor-admin, else (the build folder) right beside
// it, as its real path (the one the policy names); empty when neither exists.
std::string helperPath(const std::string& programFolder);

// The argument vector: pkexec HELPER CLASS ACTION... (or HELPER CLASS
// ACTION... when already root); empty without pkexec when not root.
std::vector<std::string> helperArgv(const std::vector<Action>& actions, const std::string& helper, bool isRoot,
                                    const std::string& pkexecPath);

// What a helper run left behind, for people: pkexec's 126 (the prompt was
// dismissed) is "Cancelado", its 127 (not authorised, or no agent to ask)
// says so; a refusal names its reason; each action's answer is read back, and
// an action without one failed.
Reply replyFrom(const Shell::ProcessOutput& output, std::size_t actions, bool viaPkexec);

// The reason of a failed or refused answer, for people.
QString reasonText(const Answer& answer);

} // namespace Admin
