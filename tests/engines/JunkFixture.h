#pragma once
// A clean fixture home for the junk scan tests: every test starts from an
// empty temporary home (the one TestMain set up) and fills in what it needs.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/stat.h>

#include "engines/Sweeper.h"
#include "platform/FS.h"

namespace junkfixture {

namespace fs = std::filesystem;

// Writes `bytes` bytes (creating the folders on the way) and returns what the
// file occupies on disk.
inline std::int64_t writeFile(const fs::path& path, std::size_t bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << std::string(bytes, 'x');
    struct stat info{};
    lstat(path.c_str(), &info);
    return std::int64_t(info.st_blocks) * 512;
}

// The group with this id, or null.
inline const JunkGroup* findGroup(const std::vector<JunkGroup>& groups, const QString& id)
{
    for (const JunkGroup& group : groups)
        if (group.id == id)
            return &group;
    return nullptr;
}

// The item with this name in the group, or null.
inline const JunkItem* findItem(const JunkGroup& group, const QString& name)
{
    for (const JunkItem& item : group.items)
        if (item.name == name)
            return &item;
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

} // namespace junkfixture
