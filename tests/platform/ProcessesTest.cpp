// The quit request reaches the processes running from inside a bundle, and only those.
#include <gtest/gtest.h>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Processes.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;

TEST(Processes, InsideMeansStrictlyWithinTheFolder)
{
    EXPECT_TRUE(Processes::isInside("/A/Tool.app/Contents/MacOS/tool", "/A/Tool.app"));
    EXPECT_TRUE(Processes::isInside("/A/Tool.app/x", "/A/Tool.app/"));
    EXPECT_FALSE(Processes::isInside("/A/Tool.app2/x", "/A/Tool.app"));
    EXPECT_FALSE(Processes::isInside("/A/Tool.app", "/A/Tool.app"));
    EXPECT_FALSE(Processes::isInside("/usr/bin/sleep", "/"));
}

TEST(Processes, RunningCopiesAreAskedToQuit)
{
    const fs::path bundle = freshFolder("quit/Sleeper.app");
    const fs::path program = bundle / "Contents/MacOS/sleeper";
    fs::create_directories(program.parent_path());
    fs::copy_file("/bin/sleep", program, fs::copy_options::overwrite_existing);
    pid_t other = 0;
    pid_t inside = 0;
    char seconds[] = "30";
    char* insideArgs[] = {const_cast<char*>(program.c_str()), seconds, nullptr};
    char* otherArgs[] = {const_cast<char*>("/bin/sleep"), seconds, nullptr};
    ASSERT_EQ(posix_spawn(&inside, program.c_str(), nullptr, nullptr, insideArgs, environ), 0);
    ASSERT_EQ(posix_spawn(&other, "/bin/sleep", nullptr, nullptr, otherArgs, environ), 0);
    usleep(200000);

    EXPECT_EQ(Processes::requestQuit(bundle), 1);
    int status = 0;
    ASSERT_EQ(waitpid(inside, &status, 0), inside);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    EXPECT_EQ(waitpid(other, &status, WNOHANG), 0);  // still running
    kill(other, SIGKILL);
    waitpid(other, &status, 0);
}
