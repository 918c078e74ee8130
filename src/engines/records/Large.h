#pragma once
// The large-file walk's records.
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QDateTime>
#include <QUuid>

// One file found by the large-file scan.
struct LargeFile {
    QUuid id = QUuid::createUuid();
    std::filesystem::path url;
    std::int64_t size = 0;
    std::optional<QDateTime> accessed;
    bool selected = false;
};

// What one large-file walk found, and how many places the never-touch list kept it from.
struct LargeFound {
    std::vector<LargeFile> files;
    int ignored = 0;
};

// Shared by the screen and one large-file scan; a fresh one for every scan.
struct CancelFlag {
    std::atomic<bool> cancelled{false};
};
using CancelFlagPtr = std::shared_ptr<CancelFlag>;

// What a system adds to the walk's own rules (hidden entries, the Trash and
// other mounts are always left out).
struct LargeWalkRules {
    // Folders directly in the home folder that are neither entered nor counted.
    std::vector<std::string> skip = {};
    // Folders shown as one item (lower case, without the dot): each is listed
    // whole with its allocated size instead of being entered.
    std::vector<std::string> packageExtensions = {};
    // The package extension of applications, which are never listed here.
    std::string applicationExtension = {};
};
