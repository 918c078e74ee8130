// The quit request reaches the processes running from inside a bundle, and only those.
#include <gtest/gtest.h>

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
    const Sleeper other({}, {});  // the same program, outside the bundle
    ASSERT_TRUE(other.started());
    pid_t inside = 0;
    char seconds[] = "30";
    char* insideArgs[] = {const_cast<char*>(program.c_str()), seconds, nullptr};
    ASSERT_EQ(posix_spawn(&inside, program.c_str(), nullptr, nullptr, insideArgs, environ), 0);
    usleep(200000);

    EXPECT_EQ(Processes::requestQuit(bundle), 1);
    int status = 0;
    ASSERT_EQ(waitpid(inside, &status, 0), inside);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    EXPECT_EQ(waitpid(other.pid(), &status, WNOHANG), 0);  // still running

    // A program is asked by its own path too (a desktop entry's executable).
    ASSERT_EQ(posix_spawn(&inside, program.c_str(), nullptr, nullptr, insideArgs, environ), 0);
    usleep(200000);
    EXPECT_EQ(Processes::requestQuit(program), 1);
    ASSERT_EQ(waitpid(inside, &status, 0), inside);
    EXPECT_EQ(Processes::requestQuit(""), 0);
    EXPECT_EQ(waitpid(other.pid(), &status, WNOHANG), 0);
}

// ---- What processes hold -------------------------------------------------------

namespace {

// A fake /proc entry: its name, working folder and open files.
void fakeProcess(const fs::path& proc, int pid, const std::string& name, const fs::path& cwd,
                 const std::vector<std::string>& open)
{
    const fs::path folder = proc / std::to_string(pid);
    fs::create_directories(folder / "fd");
    if (!name.empty())
        writeFile(folder / "comm", name + "\n");
    if (!cwd.empty())
        fs::create_symlink(cwd, folder / "cwd");
    int fd = 0;
    for (const std::string& target : open)
        fs::create_symlink(target, folder / "fd" / std::to_string(fd++));
}

} // namespace

TEST(ProcessesHeld, OpenFilesAndWorkingFoldersSortedAndPathsOnly)
{
    const fs::path proc = freshFolder("proc-held");
    fakeProcess(proc, 10, "editor", "/home/u/.cache/editor", {"/home/u/.cache/b/file", "pipe:[123]", "socket:[9]"});
    fakeProcess(proc, 11, "browser", "/", {"/home/u/.cache/a/db"});
    // Gone while read: no name, or no open-file folder; neither counts at all.
    fakeProcess(proc, 12, "", "/home/u/.cache/ghost", {"/home/u/.cache/ghost/x"});
    fs::create_directories(proc / "13");
    writeFile(proc / "13/comm", "half\n");
    fs::create_symlink("/home/u/.cache/half", proc / "13/cwd");
    writeFile(proc / "self-like-file", "not a process");

    const std::vector<Processes::Holder> held = Processes::heldPlaces(proc);
    std::vector<std::string> paths;
    for (const Processes::Holder& holder : held)
        paths.push_back(holder.path + " " + holder.process);
    EXPECT_EQ(paths, (std::vector<std::string>{"/ browser", "/home/u/.cache/a/db browser",
                                               "/home/u/.cache/b/file editor", "/home/u/.cache/editor editor"}));
}

TEST(ProcessesHeld, InsideMeansTheFolderItselfOrBelowIt)
{
    const std::vector<Processes::Holder> held{
        {"/c/app-old/file", "a", 1}, {"/c/app/deep/file", "b", 2}, {"/c/other", "c", 3}};
    const struct {
        const char* path;
        const char* holder;
    } cases[] = {
        {"/c/app", "b"}, {"/c/app/", "b"}, {"/c/app/deep", "b"}, {"/c/app-old", "a"},
        {"/c/other", "c"}, {"/c/oth", nullptr}, {"/c/app/deep/file/x", nullptr}, {"/d", nullptr},
    };
    for (const auto& c : cases) {
        const Processes::Holder* found = Processes::holderInside(held, c.path);
        if (c.holder) {
            ASSERT_NE(found, nullptr) << c.path;
            EXPECT_EQ(found->process, c.holder) << c.path;
        } else {
            EXPECT_EQ(found, nullptr) << c.path;
        }
    }
}

TEST(ProcessesHeld, ARealChildHoldingAFileIsSeen)
{
    const fs::path folder = freshFolder("held-real");
    writeFile(folder / "open.txt");
    const Sleeper child(folder / "open.txt", {});
    ASSERT_TRUE(child.started());
    const std::vector<Processes::Holder> held = Processes::heldPlaces();
    const Processes::Holder* found = Processes::holderInside(held, fs::canonical(folder).native());
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->process, "sleep");
    EXPECT_EQ(found->pid, child.pid());
}
