#pragma once
// An exclusive lock on a file (flock) while the object lives. The kernel lets
// go of it when the process ends, so a crash never leaves anything locked.
#include <filesystem>

#include "platform/UniqueFd.h"

class FileLock {
public:
    enum class Wait { untilFree, no };
    // Creates the lock file when missing (mode 0600). With Wait::no it does
    // not wait for another holder: held() then says whether it got the lock.
    FileLock(const std::filesystem::path& lockFile, Wait wait);
    bool held() const { return held_; }

private:
    UniqueFd fd_;
    bool held_ = false;
};
