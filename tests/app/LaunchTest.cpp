// Starts the real program offscreen over a temporary home: the runtime log's
// launch and crash lines, a clean end on SIGTERM, and starts without a usable
// log folder or without HOME.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/Fixtures.h"
#include "support/TempHome.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// The environment of this process with some variables replaced or removed.
std::vector<std::string> environmentWith(const std::vector<std::pair<std::string, std::string>>& set,
                                         const std::vector<std::string>& unset = {})
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        const std::string name = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const auto& [key, value] : set)
            replaced = replaced || key == name;
        for (const auto& key : unset)
            replaced = replaced || key == name;
        if (!replaced)
            env.push_back(entry);
    }
    for (const auto& [key, value] : set)
        env.push_back(key + "=" + value);
    env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back("QT_QUICK_BACKEND=software");
    return env;
}

pid_t start(const std::vector<std::string>& env)
{
    std::vector<char*> envp;
    for (const auto& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(QUILLMOOR_EXE), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, QUILLMOOR_EXE, nullptr, nullptr, argv, envp.data()) != 0)
        return -1;
    return pid;
}

// Waits up to `seconds` for the process to end; its wait status, or -1 if still running.
int waitFor(pid_t pid, double seconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return -1;
}

int countOf(const std::string& text, const std::string& needle)
{
    int n = 0;
    for (auto at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++n;
    return n;
}

class Launch : public ::testing::Test {
protected:
    TempHome home;
    fs::path log() const { return home.path() / ".local/state/Quillmoor/runtime.log"; }
    // The temporary home's environment, with CHANGED replacing its variables and UNSET removed.
    std::vector<std::string> env(std::vector<std::pair<std::string, std::string>> changed = {},
                                 const std::vector<std::string>& unset = {}) const
    {
        std::vector<std::pair<std::string, std::string>> set{
            {"HOME", home.path().string()},
            {"XDG_STATE_HOME", (home.path() / ".local/state").string()},
            {"XDG_CONFIG_HOME", (home.path() / ".config").string()},
            {"XDG_DATA_HOME", (home.path() / ".local/share").string()}};
        for (auto& [key, value] : set)
            for (const auto& [newKey, newValue] : changed)
                if (key == newKey)
                    value = newValue;
        std::erase_if(set, [&](const auto& entry) { return std::ranges::count(unset, entry.first) > 0; });
        return environmentWith(set, unset);
    }
    // Starts the program and lets its window come up (the log grows while QML
    // loads); it must still be running then.
    pid_t startAndWait(const std::vector<std::string>& environment) const
    {
        const pid_t pid = start(environment);
        EXPECT_GT(pid, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(2500));
        EXPECT_EQ(waitFor(pid, 0), -1) << "the program did not stay up:\n" << readFile(log());
        return pid;
    }
    // Ends the program by SIGNAL; its wait status (-1 when it would not end).
    static int stop(pid_t pid, int signal = SIGTERM)
    {
        if (pid <= 0)
            return -1;  // never kill(-1, ...)
        kill(pid, signal);
        const int status = waitFor(pid, 10);
        EXPECT_NE(status, -1);
        return status;
    }
};

} // namespace

TEST_F(Launch, EachStartAppendsALaunchLineAndACrashIsLoggedWithItsSignal)
{
    // SIGTERM (a logout) ends it the careful way, as its Quit item does
    const int ended = stop(startAndWait(env()));
    EXPECT_TRUE(WIFEXITED(ended) && WEXITSTATUS(ended) == 0) << ended;
    EXPECT_EQ(countOf(readFile(log()), "== launch "), 1);

    const int status = stop(startAndWait(env()), SIGSEGV);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGSEGV) << status;
    const std::string text = readFile(log());
    EXPECT_EQ(countOf(text, "== launch "), 2);  // the earlier content stays
    EXPECT_EQ(countOf(text, "!! signal 11\n"), 1);
    // the call stack follows the signal line
    const auto at = text.find("!! signal 11\n");
    ASSERT_NE(at, std::string::npos);
    EXPECT_GT(text.size() - at, 40u);
}

TEST_F(Launch, StartsWithoutAUsableLogFolderOrWithoutHome)
{
    // The state folder is a plain file, so the log folder cannot be made.
    const fs::path blocker = home.path() / "not-a-folder";
    std::ofstream(blocker) << "x";
    stop(startAndWait(env({{"XDG_STATE_HOME", blocker.string()}})));

    stop(startAndWait(env({}, {"HOME"})));
    EXPECT_EQ(countOf(readFile(log()), "== launch "), 1);
}
