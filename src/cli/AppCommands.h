#pragma once
// quillmoor-cli's "apps", "leftovers APP" and "uninstall APP": the uninstaller.
#include <optional>
#include <vector>

#include <QJsonArray>
#include <QString>

#include "cli/Cli.h"
#include "engines/apps/Apps.h"

namespace Cli {

// "apps", "leftovers", "uninstall".
std::vector<Command> appCommands();

// The applications that APP names: the one at that path, else those with
// that identifier (a desktop id also without ".desktop"), else those with
// that name, else those of that package, Flatpak or Snap (all ignoring case).
std::vector<AppInfo> appsNamed(const std::vector<AppInfo>& apps, const QString& text);

// The applications the commands work on (tests: fixture places); nothing:
// the active profile's.
void setAppBackend(std::optional<AppBackend> backend);

} // namespace Cli
