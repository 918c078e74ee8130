#pragma once
// The administrator's work as people read it: the command line that does the
// same as an action ("apt-get remove vim vim-runtime"), for the command
// line's plans and listings. A display text only: it is never run.
#include <QString>

#include "platform/Admin.h"

namespace Admin {

// One action, as the command that does the same.
QString describe(const Action& action);

// The tool that carries out an action, as its command without the operands
// ("apt-get remove", "snap remove", "journalctl --vacuum-time=2weeks"); empty
// for an action that only deletes files (a core dump, a rotated log).
QString toolOf(const Action& action);

// A request: its actions joined with "; ", or else its script.
QString describe(const Request& request);

} // namespace Admin
