#pragma once
// The helper's actions on Snapper's snapshots (btrfs). The program offered a
// snapshot from a listing made as the user; as root the helper lists the
// configuration again, asks btrfs which snapshot the file system boots into,
// and judges every snapshot by the same rule the program used. A snapshot
// that is no longer listed, no longer offered, or asked for without its
// pre/post partner is refused; nothing is deleted then.
#include "admin/Context.h"

namespace AdminHelper {

// remove-snapper-snapshot CONFIG NUMBER PARTNER: deletes the snapshot, or the
// pre/post pair in one snapper call (PARTNER "0": a single snapshot). Both
// members are judged on the same listing before either goes.
Admin::Answer removeSnapperSnapshot(const Context& context, const Admin::Action& action);

// measure-snapshots CONFIG: done, its detail the configuration's list as
// Snapshots::snapperListJson writes it (with each snapshot's exclusive size
// where quotas are on). Reads only.
Admin::Answer measureSnapshots(const Context& context, const Admin::Action& action);

} // namespace AdminHelper
