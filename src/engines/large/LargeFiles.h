#pragma once
// The large-file walk over the home folder.
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

#include <QString>

#include "engines/common/NeverTouchList.h"
#include "engines/records/Large.h"
#include "platform/FS.h"

namespace Sweeper {

// Entries examined between two progress reports (and cancellation checks).
inline constexpr int kLargeProgressStep = 2000;
// The most files one large-file scan returns.
inline constexpr std::size_t kMaxLargeFiles = 1500;

// The thresholds the large-file page offers: the label typed on the command
// line ("100 MB"), the amount and unit it is shown with, and its bytes.
struct LargeThreshold {
    const char* label;
    int amount;
    const char* unit;
    std::int64_t bytes;
};
const std::array<LargeThreshold, 4>& largeThresholds();
// A threshold as the user reads it: an offered one as its amount in the
// formatting locale and the language's unit ("100 Mo" in French), any other
// as its size.
QString largeThresholdLabel(std::int64_t bytes);
// How many files a walk found over THRESHOLD (a label or a size, as shown), in
// the interface language: "3 arquivos acima de 1 GB", and for none the sentence
// "Nenhum arquivo acima de 1 GB". The window's list and the CLI say it alike.
QString largeCountSentence(std::int64_t count, const QString& threshold);

// Walks `home` for files of at least `minBytes` bytes and returns them
// largest first (equal sizes by path, so the list never depends on the order
// the threads met the files in), at most kMaxLargeFiles of them.
// Never entered nor counted: hidden entries, the Trash folder, the storage
// of containers and snapshots (FS::storagePlaces) and the folders
// `rules.skip` names directly in the home folder. A folder with one of
// `rules.packageExtensions` is not entered: an application
// (`rules.applicationExtension`) is never listed, any other package is one
// entry of its whole allocated size (FS::size). A regular file counts with its
// logical length (st_size). Links are never followed and list nothing;
// unreadable folders and other mounts are passed over. A file `never` covers is
// not listed and a folder it covers not entered, each counted in
// LargeFound::ignored (a file only when it reaches `minBytes`).
// The walk runs on `workers` threads (0: as many as FS::size uses), the
// calling thread among them. Every kLargeProgressStep examined entries
// `progress(count)` is called, from whichever thread counted that entry (one
// call at a time, counts growing), and then `flag.cancelled` read; the flag is
// also read before every entry and every folder, and once set every thread
// ends its walk and what was found so far is returned, sorted and capped the
// same way. Memory stays within the kept results and the walks' open folders.
LargeFound scanLarge(std::int64_t minBytes, const CancelFlag& flag, const NeverTouchList& never,
                     const std::function<void(int)>& progress = {},
                     const std::filesystem::path& home = FS::home(), int workers = 0,
                     const LargeWalkRules& rules = {});

} // namespace Sweeper
