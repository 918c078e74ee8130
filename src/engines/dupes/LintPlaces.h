#pragma once
// What the lint needs to know about the system's mounts: where volumes are
// mounted when they are there (the mount table of /etc/fstab, systemd's
// automount units, the folders removable disks appear under), and whether a
// link's target lies on such a volume while it is away. Pure readers, so each
// can be tried on a fixture file.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace Lint {

// The mount points of an fstab file, read with getmntent (absolute ones only:
// "none" and swap entries have none), lexically normal. Empty when the file
// cannot be read.
std::vector<std::string> fstabTargets(const std::filesystem::path& fstab);

// The Where= of an automount unit's text (the last one given, outside any
// other section than [Automount]), lexically normal; empty when there is none
// or it is not absolute.
std::string automountWhere(std::string_view unit);

// The Where= of every "*.automount" file directly in these folders.
std::vector<std::string> automountTargets(const std::vector<std::filesystem::path>& folders);

// The mount points listed in a mountinfo file.
std::vector<std::string> mountedNow(const std::filesystem::path& mountinfo);

// Where a link's target lies, lexically: the target itself when absolute, else
// taken from the link's folder; lexically normal.
std::string targetPath(const std::string& linkFolder, const std::string& target);

// Whether `path` (absolute, normal) is `place` or lies inside it.
bool isInside(const std::string& path, const std::string& place);

// Whether a missing target may only be away with its volume: it lies in one
// of `volumePlaces` (an fstab or automount target, a folder removable disks
// appear under) and nothing is mounted now between that place and the target.
bool onAbsentVolume(const std::string& target, const std::vector<std::string>& volumePlaces,
                    const std::vector<std::string>& mounted);

// Whether a failed stat of a link's target means that the target does not
// exist: ENOENT, or ENOTDIR (a file stands where the target's path needs a
// folder). Anything else (no permission, a loop of links, an I/O error) does not.
bool targetMissing(int error);

} // namespace Lint
