#pragma once
// The whole duplicate search as the window and the command line run it: the
// walk, the grouping with its reads spread over a few threads (each holding
// one file open at a time), then what each copy is (already sharing its data
// with another copy, inside a project, held open by a running program), and
// which copy is kept and which start ticked.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <QString>

#include "engines/dupes/DuplicateChoice.h"
#include "engines/dupes/DuplicateWalk.h"
#include "engines/dupes/Duplicates.h"
#include "engines/records/Large.h"

namespace Dupes {

enum class Phase { Walking, Edges, Contents, Pictures };  // Pictures: reading pictures small for the likeness search

struct Progress {
    Phase phase = Phase::Walking;
    std::int64_t files = 0;      // files met (walking) or compared so far
    std::int64_t total = 0;      // files to compare in this phase (0 while walking)
    std::int64_t bytesRead = 0;  // bytes read by the comparisons so far
};
using ProgressFn = std::function<void(const Progress&)>;

// What the likeness search read of a picture.
struct Picture {
    int width = 0;     // as shown, after the orientation its EXIF asks for
    int height = 0;
    QString format;    // "JPEG", "PNG", "WebP", "HEIC"…
    int distance = 0;  // bits its hash differs from the group's centre (0 for the centre)
};

// One copy of a group, as the page and the command line show it.
struct ShownCopy {
    Copy copy;
    bool shares = false;     // its data already lie where another copy's do: removing it frees nothing
    bool inProject = false;  // inside a project's working folders
    bool partial = false;    // some of its names lie outside the search: removing these frees nothing
    bool sharingFs = false;  // it lies on a file system that can share data between files (btrfs, XFS)
    std::string holder;      // the program that holds it open, or empty
    Hold held = Hold::None;  // why a removal left it, when one did
    bool kept = false;
    bool selected = false;  // never the kept copy
    Picture picture;        // a group of pictures that look alike: what was read of this one
};

struct Group {
    std::int64_t size = 0;  // of each copy (identical copies); 0 for pictures that look alike
    // Pictures that look alike rather than identical files: each copy has its
    // own size, none starts ticked, and a copy is checked before removal by
    // who it is (unchanged since the search, the kept one too), not by its bytes.
    bool similar = false;
    std::vector<ShownCopy> copies;
};

struct ScanOptions {
    WalkOptions walk;
    int readers = 0;  // threads that read files; 0: one per processor, 2 to 8
};

struct ScanResult {
    std::vector<Group> groups;  // the most reclaimable first
    std::int64_t files = 0;     // files the walk took
    int unreadable = 0;         // files that could not be read (or changed) and were left out
    int ignored = 0;            // places the never-touch list kept the walk from (WalkOptions::never)
    bool cancelled = false;     // the search was stopped: nothing was kept
};

// Walks `folder`, groups its copies, and chooses with `rule`. Progress comes
// from the reading threads (one at a time); the cancel flag is read between
// files, and a cancelled search returns no group.
ScanResult scan(const std::filesystem::path& folder, const ScanOptions& options, const CancelFlag& flag,
                const ProgressFn& progress = {});

// The grouping alone, on files already found: sameSize, then the edge hash,
// then the whole content, each phase read by `readers` threads.
Found findDuplicates(FileList files, int readers, const CancelFlag& flag,
                     const ProgressFn& progress = {});

// Sets the kept copy and the first ticks of every group by `rule` (MostPixels
// weighs each copy's Picture; a group of pictures ticks nothing): the kept
// copy stays unticked, and so do copies that share the data already, lie in a
// project, are held open or keep names outside the search (startsTicked).
// Each group lists its kept copy first, then the others by path; the groups
// come the most reclaimable first.
void choose(std::vector<Group>& groups, KeepRule rule, const std::filesystem::path& preferred = {});

// Whether a copy other than the kept one starts ticked: an identical copy
// whose data are its own, every name of it found, in no project and held open
// by nothing. A picture that only looks like another never starts ticked.
bool startsTicked(const Group& group, const ShownCopy& copy);

// Fills what each copy of the groups is: inside a project, with names outside
// the search, on a file system that can share data, held open by a program.
void describeCopies(std::vector<Group>& groups);

// Puts a group's kept copy first, then the others by path.
void orderCopies(Group& group);

// Marks the copies whose data already lie where another copy's do.
void markShared(Group& group);

// What removing each copy frees: its size (the group's, for identical copies)
// when its data are its own and every name of it was found, else nothing.
std::int64_t freedBy(const Group& group, const ShownCopy& copy);
// What the group can give back: freedBy over every copy but the kept one.
std::int64_t reclaimable(const Group& group);
// What the ticked copies give back.
std::int64_t selectedBytes(const Group& group);

} // namespace Dupes
