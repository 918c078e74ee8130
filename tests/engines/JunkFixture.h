#pragma once
// A clean fixture home for the junk scan tests (every test starts from an
// empty temporary home), and a real process that holds a file or folder.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engines/common/Names.h"
#include "engines/junk/JunkScan.h"
#include "platform/FS.h"
#include "profiles/Profile.h"
#include "support/Fixtures.h"

namespace junkfixture {

namespace fs = std::filesystem;

// The designed catalogue and the Linux one.
inline const std::vector<JunkRule>& macosRules()
{
    return Profiles::byName("macos")->junk.rules();
}
inline const std::vector<JunkRule>& linuxRules()
{
    return Profiles::byName("linux")->junk.rules();
}

// The group with this id, or null.
inline const JunkGroup* findGroup(const std::vector<JunkGroup>& groups, const QString& id)
{
    for (const JunkGroup& group : groups)
        if (group.id == id)
            return &group;
    return nullptr;
}

// Empties the temporary home before every test (its runtime folder stays).
class JunkHome : public ::testing::Test {
protected:
    void SetUp() override
    {
        home = FS::home();
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(home, error))
            if (entry.path().filename() != ".runtime")
                fs::remove_all(entry.path(), error);
    }

    fs::path home;
};

// A child process that runs `sleep 30`, with `open` held open as descriptor 3
// and its working folder at `cwd` (either may be empty).
class Sleeper {
public:
    Sleeper(const fs::path& open, const fs::path& cwd)
    {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (!open.empty())
            posix_spawn_file_actions_addopen(&actions, 3, open.c_str(), O_RDONLY, 0);
        if (!cwd.empty())
            posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
        char seconds[] = "30";
        char* args[] = {const_cast<char*>("/bin/sleep"), seconds, nullptr};
        started_ = posix_spawn(&pid_, "/bin/sleep", &actions, nullptr, args, environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        // Wait until the kernel shows the new program (its name is "sleep").
        for (int i = 0; started_ && i < 200 && readFile("/proc/" + std::to_string(pid_) + "/comm") != "sleep\n"; ++i)
            usleep(10000);
    }
    ~Sleeper()
    {
        if (!started_)
            return;
        kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    Sleeper(const Sleeper&) = delete;
    Sleeper& operator=(const Sleeper&) = delete;
    bool started() const { return started_; }

private:
    pid_t pid_ = 0;
    bool started_ = false;
};

} // namespace junkfixture
