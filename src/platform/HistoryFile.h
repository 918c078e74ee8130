#pragma once
// The removal history: $XDG_STATE_HOME/Quillmoor/history.jsonl, one JSON
// object a line, the oldest first. The window and the command line append to
// it at once without mixing their lines (an exclusive flock on history.lock
// beside it). A crash leaves at most one unreadable last line, which reading
// skips; a write that fails loses the new line, never the file.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

#include <sys/types.h>

#include <QByteArray>
#include <QJsonObject>

namespace HistoryFile {

// The format version every line carries as "v"; a line of a newer one is skipped.
inline constexpr int kFormatVersion = 1;

// What the file keeps: the newest records up to this many and this many bytes
// (a single line longer than the bytes is never written nor read).
struct Limits {
    int records = 1000;
    std::int64_t bytes = 5 * 1024 * 1024;
};

// <stateHome>/Quillmoor/history.jsonl, beside the runtime log.
std::filesystem::path defaultPath();

// How a line reaches the descriptor (::write; tests hand in one that fails).
using WriteFn = std::function<ssize_t(int fd, const void* data, std::size_t size)>;

// Appends the record as one line, in one write on an O_APPEND descriptor,
// then fsync; a last line left without its newline is ended first. When the
// file is then over a limit, its newest lines are written to a new file that
// replaces it. False (and the file as it was) when the line could not be written.
bool append(const QJsonObject& record, const std::filesystem::path& file = defaultPath(), Limits limits = {},
            const WriteFn& write = ::write);

struct Reading {
    std::vector<QJsonObject> records;  // the newest first
    int skipped = 0;  // lines that are not a record: not JSON, not an object, a newer "v", too long
};
// At most the newest `newest` records. A missing or unreadable file reads as
// empty; of a file larger than the limit only its end is read.
Reading read(int newest, const std::filesystem::path& file = defaultPath(), Limits limits = {});

} // namespace HistoryFile
