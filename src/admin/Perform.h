#pragma once
// The helper's whole run: who it acts for, what it was asked, every argument
// checked before anything is done, then each action in order.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "admin/Context.h"

namespace AdminHelper {

// Does one action whose arguments passed Admin::check.
Admin::Answer perform(const Context& context, const Admin::Action& action);

// The run: reads the request from the helper's arguments, refuses it whole
// when any part is wrong, else performs each action and hands one answer
// line per action to `say` as soon as it is done. Returns the exit status.
int runRequest(const Context& context, const std::vector<std::string>& args,
               const std::function<void(const std::string&)>& say);

// The user the helper acts for: PKEXEC_UID as pkexec set it, else (run
// directly by the administrator) the real user; nothing when PKEXEC_UID is
// not a user of this system.
std::optional<uid_t> actingUser(const char* pkexecUid, uid_t realUser);

} // namespace AdminHelper
