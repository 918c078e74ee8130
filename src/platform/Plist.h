#pragma once
// Property lists (XML and binary) read with libplist. Only what the program
// needs: the top-level dictionary of a file, with text values as QString and
// lists as QVariantList; values of other kinds are kept as invalid QVariants
// so that "present but not text" stays distinguishable from "absent".
#include <cstdint>
#include <filesystem>
#include <optional>

#include <QByteArray>
#include <QVariantMap>

namespace Plist {

// Files larger than this are not property lists this program reads.
inline constexpr std::int64_t kMaxBytes = 8 * 1024 * 1024;

// The parser descends one call per nesting level, so lists nested deeper than
// this (XML), or binary lists of more objects than this (each level is one
// object), are refused rather than risk the thread's stack.
inline constexpr int kMaxXmlDepth = 512;
inline constexpr std::uint64_t kMaxBinaryObjects = 20000;

// Whether the data is safe to hand to the parser by the two limits above.
bool withinParserLimits(const QByteArray& data);

// The dictionary at the top of the data; nothing when the data is empty,
// malformed, too large, holds anything other than a dictionary, or may hold
// a text with a NUL character (libplist 2.2 aborts the program on one).
std::optional<QVariantMap> parseDictionary(const QByteArray& data);

// The same for a file; nothing when it cannot be read.
std::optional<QVariantMap> readDictionary(const std::filesystem::path& file);

// The text stored under `key`, or nothing when absent or not text.
std::optional<QString> text(const QVariantMap& dict, const QString& key);

} // namespace Plist
