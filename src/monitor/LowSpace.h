#pragma once
// When to warn that a file system is running out of space. It is low when the
// space left to the user is under both a tenth of its size and the chosen
// figure. One notice per crossing: after a notice, the next one for the same
// file system waits until its space has been back above the line at some
// check and a day has gone by.
#include <cstdint>
#include <filesystem>
#include <optional>

#include <QString>

class QSettings;

namespace LowSpace {

inline constexpr std::int64_t kGb = 1'000'000'000;  // decimal, as sizes are shown
inline constexpr std::int64_t kDayMs = 24LL * 60 * 60 * 1000;

// The notice's preferences.
struct Settings {
    bool on = true;
    std::int64_t minimumGb = 5;
    bool operator==(const Settings&) const = default;
};
inline const QString kOnKey = QStringLiteral("lowSpaceNotice");
inline const QString kMinimumKey = QStringLiteral("lowSpaceMinimumGB");
// The stored preferences; a missing or unusable value reads as its default
// (a figure must be a whole number from 1 to 100000).
Settings readSettings(const QSettings& settings);

// One file system's figures at a check (bytes).
struct Figures {
    std::int64_t size = 0;       // f_blocks × f_frsize
    std::int64_t available = 0;  // f_bavail × f_frsize: what the user may still write
};

// Under both a tenth of the size and MINIMUM bytes; never for an unreadable (empty) size.
bool isLow(const Figures& figures, std::int64_t minimumBytes);

// What is remembered of one file system between checks.
struct Mark {
    std::optional<std::int64_t> lastNoticeMs;  // when the last notice went (ms since the epoch)
    bool recovered = true;  // its space was above the line at a check since that notice
    bool operator==(const Mark&) const = default;
};

struct Step {
    bool notify = false;
    Mark next;
};

// One check of one file system at NOW (ms since the epoch): whether to send a
// notice, and what to remember. A clock set back never counts as a day gone by.
Step step(const Mark& previous, const Figures& figures, const Settings& settings, std::int64_t nowMs);

// A file system as a check reads it: its device number (two paths on the same
// device are one file system) and its figures.
struct Reading {
    std::uint64_t device = 0;
    Figures figures;
};
// One stat and one statvfs of PATH; nothing when either fails.
std::optional<Reading> read(const std::filesystem::path& path);

// The largest store a tool keeps out of sight (container storage), as the
// last junk scan measured it: the notice names it without running any tool.
struct Cause {
    QString title;
    std::int64_t bytes = 0;
    bool operator==(const Cause&) const = default;
};
inline const QString kCauseTitleKey = QStringLiteral("lowSpaceCause/title");
inline const QString kCauseBytesKey = QStringLiteral("lowSpaceCause/bytes");
// Nothing when none is stored or the stored one is unusable.
std::optional<Cause> readCause(const QSettings& settings);
// Stores the last scan's cause; nothing removes the one stored.
void storeCause(QSettings& settings, const std::optional<Cause>& cause);

// The notice's text: what is left where, and the cause when one is known.
QString noticeText(std::int64_t available, const QString& where, const std::optional<Cause>& cause);

} // namespace LowSpace
