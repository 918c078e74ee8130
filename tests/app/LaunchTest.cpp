// Starts the real program offscreen over a temporary home: every start adds a
// "== launch " line to the runtime log, a crash signal is logged with its stack
// and still ends the process by that signal, and a start without a usable log
// folder or without HOME still comes up.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

int countOf(const std::string& text, const std::string& needle)
{
    int n = 0;
    for (auto at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++n;
    return n;
}

// Lets the window come up: the log grows while QML loads; give it time.
void letItStart() { std::this_thread::sleep_for(std::chrono::milliseconds(2500)); }

class Launch : public ::testing::Test {
protected:
    TempHome home;
    fs::path log() const { return home.path() / ".local/state/Quillmoor/runtime.log"; }
    std::vector<std::string> env() const
    {
        return environmentWith({{"HOME", home.path().string()},
                                {"XDG_STATE_HOME", (home.path() / ".local/state").string()},
                                {"XDG_CONFIG_HOME", (home.path() / ".config").string()},
                                {"XDG_DATA_HOME", (home.path() / ".local/share").string()}});
    }
};

} // namespace

TEST_F(Launch, EachStartAppendsALaunchLineAndACrashIsLoggedWithItsSignal)
{
    const pid_t first = start(env());
    ASSERT_GT(first, 0);
    letItStart();
    ASSERT_EQ(waitFor(first, 0), -1) << "the program ended on its own:\n" << readFile(log());
    kill(first, SIGTERM);
    ASSERT_NE(waitFor(first, 10), -1);
    EXPECT_EQ(countOf(readFile(log()), "== launch "), 1);

    const pid_t second = start(env());
    ASSERT_GT(second, 0);
    letItStart();
    ASSERT_EQ(waitFor(second, 0), -1) << readFile(log());
    kill(second, SIGSEGV);
    const int status = waitFor(second, 10);
    ASSERT_NE(status, -1);
    EXPECT_TRUE(WIFSIGNALED(status));
    if (WIFSIGNALED(status)) {
        EXPECT_EQ(WTERMSIG(status), SIGSEGV);
    }

    const std::string text = readFile(log());
    EXPECT_EQ(countOf(text, "== launch "), 2);  // the earlier content stays
    EXPECT_EQ(countOf(text, "!! signal 11\n"), 1);
    // the call stack follows the signal line
    const auto at = text.find("!! signal 11\n");
    ASSERT_NE(at, std::string::npos);
    EXPECT_GT(text.size() - at, 40u);
}

TEST_F(Launch, StartsWithoutAUsableLogFolder)
{
    // The state folder is a plain file, so the log folder cannot be made.
    const fs::path blocker = home.path() / "not-a-folder";
    std::ofstream(blocker) << "x";
    auto environment = environmentWith({{"HOME", home.path().string()},
                                        {"XDG_STATE_HOME", blocker.string()},
                                        {"XDG_CONFIG_HOME", (home.path() / ".config").string()}});
    const pid_t pid = start(environment);
    ASSERT_GT(pid, 0);
    letItStart();
    EXPECT_EQ(waitFor(pid, 0), -1) << "the program did not stay up";
    kill(pid, SIGTERM);
    EXPECT_NE(waitFor(pid, 10), -1);
}

TEST_F(Launch, StartsWithoutHome)
{
    auto environment = environmentWith({{"XDG_STATE_HOME", (home.path() / ".local/state").string()},
                                        {"XDG_CONFIG_HOME", (home.path() / ".config").string()},
                                        {"XDG_DATA_HOME", (home.path() / ".local/share").string()}},
                                       {"HOME"});
    const pid_t pid = start(environment);
    ASSERT_GT(pid, 0);
    letItStart();
    EXPECT_EQ(waitFor(pid, 0), -1) << readFile(log());
    kill(pid, SIGTERM);
    EXPECT_NE(waitFor(pid, 10), -1);
    EXPECT_EQ(countOf(readFile(log()), "== launch "), 1);
}
