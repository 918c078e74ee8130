#pragma once
// A child process that takes an fcntl write lock on a file, as apt and dpkg
// hold their locks, and keeps it until the object goes.
#include <csignal>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

class LockHolderProcess {
public:
    explicit LockHolderProcess(const std::filesystem::path& file)
    {
        int ready[2];
        if (pipe(ready) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            const int fd = open(file.c_str(), O_RDWR);
            struct flock lock {};
            lock.l_type = F_WRLCK;
            lock.l_whence = SEEK_SET;
            const char taken = fd >= 0 && fcntl(fd, F_SETLK, &lock) == 0 ? 'y' : 'n';
            if (write(ready[1], &taken, 1) != 1)
                _exit(1);
            pause();
            _exit(0);
        }
        char taken = 'n';
        held_ = pid_ > 0 && read(ready[0], &taken, 1) == 1 && taken == 'y';
        close(ready[0]);
        close(ready[1]);
    }
    ~LockHolderProcess()
    {
        if (pid_ <= 0)
            return;
        kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    bool held() const { return held_; }
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    bool held_ = false;
};
