// Starts the real program offscreen over a temporary home: the runtime log's
// launch and crash lines, a clean end on SIGTERM, and starts without a usable
// log folder or without HOME.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <string>
#include <thread>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/Fixtures.h"
#include "support/TempHome.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// Starts the program offscreen, in this process's environment (the test's temporary home).
pid_t start()
{
    const ScopedEnv platform("QT_QPA_PLATFORM", "offscreen");
    const ScopedEnv backend("QT_QUICK_BACKEND", "software");
    char* argv[] = {const_cast<char*>(QUILLMOOR_EXE), nullptr};
    pid_t pid = -1;
    return posix_spawn(&pid, QUILLMOOR_EXE, nullptr, nullptr, argv, environ) == 0 ? pid : -1;
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
    TempHome home;  // HOME and the XDG folders point here while the test runs
    fs::path log() const { return home.path() / ".local/state/Quillmoor/runtime.log"; }
    // Starts the program and lets its window come up (the log grows while QML
    // loads); it must still be running then.
    pid_t startAndWait() const
    {
        const pid_t pid = start();
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
    const int ended = stop(startAndWait());
    EXPECT_TRUE(WIFEXITED(ended) && WEXITSTATUS(ended) == 0) << ended;
    EXPECT_EQ(countOf(readFile(log()), "== launch "), 1);

    const int status = stop(startAndWait(), SIGSEGV);
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
    {
        const ScopedEnv state("XDG_STATE_HOME", blocker.string());
        stop(startAndWait());
    }
    {
        const ScopedEnv noHome("HOME", std::nullopt);
        stop(startAndWait());
    }
    EXPECT_EQ(countOf(readFile(log()), "== launch "), 1);
}
