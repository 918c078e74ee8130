#pragma once
// quillmoor-cli's "ignore": the never-touch list, listed and changed; and the
// line the scans' listings end with when the list hid something.
#include <vector>

#include "cli/Cli.h"
#include "engines/common/NeverTouchList.h"

namespace Cli {

// "ignore list", "ignore add PATH", "ignore remove PATH".
std::vector<Command> ignoreCommands();

// The never-touch list as the settings hold it now.
NeverTouchList neverTouchNow();

// "3 itens ignorados" on its own line, when the list hid anything (text output only).
void printIgnored(const Context& context, int ignored);

} // namespace Cli
