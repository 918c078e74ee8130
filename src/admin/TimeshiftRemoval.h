#pragma once
// remove-timeshift-snapshot NAME: right before acting, as root, the helper
// reads Timeshift's snapshots again where its configuration and the mount
// table put them, and judges them by the same rule the program showed. The
// snapshot goes only when it is still there and still offered; then timeshift
// itself deletes it, and the helper looks that its folder is really gone.
#include "admin/Context.h"

namespace AdminHelper {

// Answers: done; failed with "no-timeshift" (Timeshift's snapshots folder
// is not found), "gone" NAME (no such snapshot there now), "snapshot-kept"
// WHY (the rule keeps it, WHY in the helper's language), "tool" (timeshift's
// last line), "missing" (no timeshift), or "kept" NAME (timeshift said done
// and the folder is still there).
Admin::Answer removeTimeshiftSnapshot(const Context& context, const Admin::Action& action);

} // namespace AdminHelper
