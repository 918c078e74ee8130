#pragma once
// A clean fixture home for the junk scan tests (every test starts from an
// empty temporary home).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

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

} // namespace junkfixture
