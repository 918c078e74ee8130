#pragma once
// Helpers the tests share: fixture files and folders in the temporary home,
// the immutable attribute for parts that cannot be removed, running
// quillmoor-cli into strings, sizes on disk, scoped environment variables and
// a lowered descriptor limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <iterator>
#include <string>
#include <vector>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QStringList>
#include <QTextStream>

#include "cli/Cli.h"

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

#define SKIP_UNLESS_IMMUTABLE(guard) \
    if (!(guard).ok()) GTEST_SKIP() << "the immutable attribute cannot be set here"

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

// Sets an environment variable while it lives, then puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        setenv(name, value.c_str(), 1);
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
