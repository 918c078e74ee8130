#pragma once
// Helpers the tests share: fixture files and folders in the temporary home,
// the immutable attribute for parts that cannot be removed, running
// quillmoor-cli into strings, sizes on disk, scoped environment variables, a
// lowered descriptor limit, a process that holds a file and a stand-in for
// the administrator helper.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <linux/fs.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QStringList>
#include <QTextStream>

#include "cli/Cli.h"
#include "platform/Admin.h"
#include "platform/Shell.h"

// Readable failure messages for texts.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

// Each item's `field` (a member or anything callable on it), in order.
template <typename Item, typename Field>
auto listOf(const std::vector<Item>& items, Field field)
{
    std::vector<std::decay_t<std::invoke_result_t<Field, const Item&>>> list;
    for (const Item& item : items)
        list.push_back(std::invoke(field, item));
    return list;
}

// ---- Files and folders ------------------------------------------------------

// The folder ~/fixtures/NAME, made if missing.
inline std::filesystem::path freshFolder(const std::string& name)
{
    const std::filesystem::path folder = std::filesystem::path(std::getenv("HOME")) / "fixtures" / name;
    std::filesystem::create_directories(folder);
    return folder;
}

// Writes `text` to `path`, making the folders on the way.
inline void writeFile(const std::filesystem::path& path, const std::string& text = "data")
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A file of `size` bytes that are all a hole: its length costs no disk space.
inline void sparseFile(const std::filesystem::path& path, std::int64_t size)
{
    writeFile(path, "");
    std::filesystem::resize_file(path, size);
}

inline std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Whether anything is at `path`, a dangling link included.
inline bool present(const std::filesystem::path& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

// The information file a trash keeps beside its entry files/NAME.
inline std::filesystem::path infoFor(const std::filesystem::path& entry)
{
    return entry.parent_path().parent_path() / "info" / (entry.filename().native() + ".trashinfo");
}

// ---- The immutable attribute --------------------------------------------------
// chattr +i is the one thing that stops even root from deleting a file; tests
// use it to make a part that cannot be removed. Not every file system has it
// (tmpfs does not) and it needs CAP_LINUX_IMMUTABLE, so a test asks first and
// skips itself when it cannot be set.

inline bool setImmutable(const std::filesystem::path& path, bool on)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return ok;
}

// Makes paths immutable and clears them again when it goes, so the temporary
// home can be removed. ok() is false when any of them could not be set.
class ImmutableGuard {
public:
    explicit ImmutableGuard(std::vector<std::filesystem::path> paths) : paths_(std::move(paths))
    {
        for (const auto& path : paths_)
            ok_ = setImmutable(path, true) && ok_;
    }
    ~ImmutableGuard()
    {
        for (const auto& path : paths_)
            setImmutable(path, false);
    }
    ImmutableGuard(const ImmutableGuard&) = delete;
    ImmutableGuard& operator=(const ImmutableGuard&) = delete;
    bool ok() const { return ok_; }

private:
    std::vector<std::filesystem::path> paths_;
    bool ok_ = true;
};

// A part that cannot be removed, for every developer: the immutable attribute
// where it can be set (root, on a file system that has it), and otherwise a
// folder this user cannot write (which stops everyone but root). ok() is false
// when neither works here (root on a file system without the attribute).
class LockedPart {
public:
    // `files` are made immutable; failing that, their holding folders lose write access.
    explicit LockedPart(std::vector<std::filesystem::path> files) : files_(std::move(files))
    {
        immutable_.emplace(files_);
        if (immutable_->ok())
            return;
        immutable_.reset();
        if (geteuid() == 0) {
            ok_ = false;
            return;
        }
        for (const auto& file : files_) {
            const auto folder = file.parent_path();
            std::filesystem::permissions(folder, std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
            folders_.push_back(folder);
        }
    }
    ~LockedPart() { unlock(); }
    LockedPart(const LockedPart&) = delete;
    LockedPart& operator=(const LockedPart&) = delete;
    bool ok() const { return ok_; }
    // Whether the immutable attribute (and not a read-only folder) holds the parts.
    bool immutable() const { return immutable_.has_value(); }
    // Gives the parts back (what an administrator could do); safe to call twice.
    void unlock()
    {
        immutable_.reset();
        std::error_code error;
        for (const auto& folder : folders_)
            std::filesystem::permissions(folder, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, error);
        folders_.clear();
    }

private:
    std::vector<std::filesystem::path> files_;
    std::optional<ImmutableGuard> immutable_;
    std::vector<std::filesystem::path> folders_;
    bool ok_ = true;
};

#define SKIP_UNLESS_LOCKED(part) \
    if (!(part).ok()) GTEST_SKIP() << "neither the immutable attribute nor a read-only folder stops root here"

// ---- Mount points ---------------------------------------------------------------
// A bind mount of `source` on `target` while it lives (root only); ok() is
// false where mounting is not allowed, and the test then skips itself.

// (mount(8) rather than mount(2): <sys/mount.h> clashes with <linux/fs.h> above.)
class BindMount {
public:
    BindMount(const std::filesystem::path& source, const std::filesystem::path& target) : target_(target)
    {
        const std::string command = "mount --bind " + Shell::q(source.native()) + " " + Shell::q(target.native());
        ok_ = geteuid() == 0 && std::system((command + " 2>/dev/null").c_str()) == 0;
    }
    ~BindMount()
    {
        if (ok_ && std::system(("umount -l " + Shell::q(target_.native())).c_str()) != 0)
            ADD_FAILURE() << "could not unmount " << target_;
    }
    BindMount(const BindMount&) = delete;
    BindMount& operator=(const BindMount&) = delete;
    bool ok() const { return ok_; }

private:
    std::filesystem::path target_;
    bool ok_ = false;
};

#define SKIP_UNLESS_MOUNTED(mounted) \
    if (!(mounted).ok()) GTEST_SKIP() << "bind mounts need root (CAP_SYS_ADMIN); run as root to check mount points"

// ---- quillmoor-cli ------------------------------------------------------------

struct CliOutcome {
    int status;
    QString out;
    QString err;
};

// Runs the tool on `args` and keeps what it wrote to each stream.
inline CliOutcome runCli(const QStringList& args)
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const int status = Cli::run(args, outStream, errStream);
    outStream.flush();
    errStream.flush();
    return {status, out, err};
}

// The JSON document the tool wrote, which must parse.
inline QJsonDocument jsonOf(const CliOutcome& outcome)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(outcome.out.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << qPrintable(outcome.out);
    return document;
}

// ---- Sizes, environment and descriptor limits ---------------------------------

// What `path` itself occupies on disk (a link is not followed).
inline std::int64_t allocatedSize(const std::filesystem::path& path)
{
    struct stat info;
    if (lstat(path.c_str(), &info) != 0)
        return 0;
    return std::int64_t(info.st_blocks) * 512;
}

// Writes `bytes` bytes of filler and returns what the file occupies on disk.
inline std::int64_t writeBytes(const std::filesystem::path& path, std::size_t bytes)
{
    writeFile(path, std::string(bytes, 'x'));
    return allocatedSize(path);
}

// Sets an environment variable (or unsets it, for nullopt) while it lives,
// then puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        value ? setenv(name, value->c_str(), 1) : unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

// Lowers the open-descriptor limit of the process to at most `most` while it
// lives, for walks that must not need one descriptor per level.
class FileLimit {
public:
    explicit FileLimit(rlim_t most)
    {
        getrlimit(RLIMIT_NOFILE, &saved_);
        rlimit tight = saved_;
        tight.rlim_cur = std::min(saved_.rlim_cur, most);
        setrlimit(RLIMIT_NOFILE, &tight);
    }
    ~FileLimit() { setrlimit(RLIMIT_NOFILE, &saved_); }
    FileLimit(const FileLimit&) = delete;
    FileLimit& operator=(const FileLimit&) = delete;

private:
    rlimit saved_;
};

// ---- Processes and the administrator ------------------------------------------

// A child process that runs `sleep 30`, with `open` held open as descriptor 3
// and its working folder at `cwd` (either may be empty).
class Sleeper {
public:
    Sleeper(const std::filesystem::path& open, const std::filesystem::path& cwd)
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
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = 0;
    bool started_ = false;
};

// Stands in for the administrator helper behind its password prompt: records
// each request and does its work with this process's rights (root wherever
// the immutable attribute can be set): a script runs in the shell, as macOS
// would run it; a Trash entry goes (TRASH/RELATIVE-PATH) only while the
// folder holding it is still the recorded one, as the helper checks; any
// other action is answered done without doing anything. `answer` plays the
// prompt's outcome instead (a dismissed prompt, a tool that fails).
struct RecordingAdmin {
    std::vector<Admin::Request> requests;
    std::optional<Admin::Reply> answer;
    std::function<void()> before;  // run first: what happens meanwhile (rights gained, a folder swapped)

    Admin::Reply operator()(const Admin::Request& request)
    {
        requests.push_back(request);
        if (answer)
            return *answer;
        if (before)
            before();
        if (request.actions.empty()) {
            const Shell::Result result = Shell::run(request.script);
            return {result.ok, result.ok ? QString() : Shell::lastLine(result.out), {}, result.out};
        }
        Admin::Reply reply{true, {}, {}, {}};
        for (const Admin::Action& action : request.actions) {
            reply.failures.emplace_back();
            if (action.verb != Admin::kTrashRemove)
                continue;
            const std::filesystem::path item = std::filesystem::path(action.args[0]) / action.args[2];
            struct stat holder;
            if (stat(item.parent_path().c_str(), &holder) != 0
                || std::to_string(holder.st_dev) + ":" + std::to_string(holder.st_ino) != action.args[1]) {
                reply.ok = false;
                reply.failures.back() = reply.reason = QStringLiteral("moved");
                continue;
            }
            std::error_code error;
            std::filesystem::remove_all(item, error);
        }
        return reply;
    }
    Admin::Runner runner() { return std::ref(*this); }
};
