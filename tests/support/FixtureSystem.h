#pragma once
// Where the system's junk is read in tests: a root that holds nothing with no
// package tool (every test program starts so), or, while a FixtureSystem
// lives, a fixture root whose package tools answer as the test says.
#include <filesystem>
#include <map>
#include <string>
#include <utility>

#include <QString>

#include "platform/FS.h"
#include "platform/Shell.h"
#include "profiles/LinuxJunk.h"

// Points the system part at <home>/no-system-root with no package tool.
inline void useNoSystem(const std::filesystem::path& home = FS::home())
{
    Profiles::setLinuxSystemJunkSource(Profiles::LinuxSystemJunkSource{
        {home / "no-system-root", "/proc", {}}, [](const std::string&) { return Shell::Result{}; }});
}

class FixtureSystem {
public:
    // The tools answer through `run`.
    FixtureSystem(const std::filesystem::path& root, SystemJunk::ToolRunner run)
    {
        Profiles::setLinuxSystemJunkSource(Profiles::LinuxSystemJunkSource{{root, "/proc", {}}, std::move(run)});
    }
    // A tool whose command holds a key of `outputs` prints its text; any other is missing.
    FixtureSystem(const std::filesystem::path& root, std::map<std::string, QString> outputs)
        : FixtureSystem(root, [outputs = std::move(outputs)](const std::string& command) {
              for (const auto& [tool, out] : outputs)
                  if (command.find(tool) != std::string::npos)
                      return Shell::Result{true, out};
              return Shell::Result{};
          })
    {
    }
    ~FixtureSystem() { useNoSystem(); }
    FixtureSystem(const FixtureSystem&) = delete;
    FixtureSystem& operator=(const FixtureSystem&) = delete;
};
