#pragma once
// quillmoor-cli's "apps" and "leftovers APP": the uninstaller's listings.
#include <vector>

#include <QJsonArray>
#include <QString>

#include "cli/Cli.h"
#include "engines/Records.h"

namespace Cli {

// "apps", "leftovers".
std::vector<Command> appCommands();

// The applications that APP names: the one at that path, else those with
// that identifier, else those with that name (both ignoring case).
std::vector<AppInfo> appsNamed(const std::vector<AppInfo>& apps, const QString& text);

} // namespace Cli
