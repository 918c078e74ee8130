#pragma once
// Opening a file to read its bytes without moving its access time: the
// large-file list shows and sorts by that time, so a search that reads files
// must not make old files look used today.
namespace QuietOpen {

// open(path, flags | O_NOATIME) where the system allows it (the file's owner,
// or an administrator); where it is refused (EPERM) a plain open(path, flags).
// A descriptor, or -1 with errno set.
int open(const char* path, int flags);

} // namespace QuietOpen
