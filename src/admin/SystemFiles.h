#pragma once
// The helper's actions on files: an entry of the user's Trash that the user
// may not delete, and the system's own leftovers (core dumps, crash reports,
// rotated logs), each checked on opened folders before it goes; and dropping
// the page cache.
#include "admin/Context.h"

namespace AdminHelper {

// trash-remove TRASH/files DEVICE:INODE RELATIVE-PATH: the Trash folders must
// be real folders of the user; the entry's holding folder is reached from
// files/ without following a link and must still be the recorded one; then
// the entry is deleted with its locks cleared, never entering a mount.
Admin::Answer removeTrashEntry(const Context& context, const Admin::Action& action);

// remove-core-dump NAME, remove-crash-report NAME: a regular file directly
// in /var/lib/systemd/coredump or /var/crash.
Admin::Answer removeCoreDump(const Context& context, const Admin::Action& action);
Admin::Answer removeCrashReport(const Context& context, const Admin::Action& action);

// remove-rotated-log PATH: a regular file under /var/log, reached without
// following a link, whose live log lies beside it, and that no process holds open.
Admin::Answer removeRotatedLog(const Context& context, const Admin::Action& action);

// drop-caches: writes what the kernel has to disk, then drops the page cache.
Admin::Answer dropCaches(const Context& context);

// Whether any process holds the file (device, inode) open, read from /proc.
bool heldOpen(dev_t device, ino_t inode);

} // namespace AdminHelper
