#pragma once
// The places the user asked this program never to touch: folders and files
// it never offers and never removes itself. Kept in the settings file under
// "neverTouch" as a list of absolute, normalised paths; a path whose bytes
// are not UTF-8 is kept percent-encoded byte by byte (as .trashinfo files
// write it) behind "encoded:", so every name reads back as it was.
//
// A folder covers everything below it. A link is covered as the path given:
// what it points to is not implied.
#include <filesystem>
#include <optional>
#include <vector>

#include <QSettings>
#include <QString>

namespace NeverTouch {

// The list as stored, in the order it was added; entries that cannot be
// read back (not absolute, not normalised) are left out.
std::vector<std::filesystem::path> load(const QSettings& settings);
// The user's list from the standard settings.
std::vector<std::filesystem::path> current();

// A path as the user typed or picked it, made absolute (relative to `base`)
// and normalised without following links: "." and ".." resolved by name,
// repeated and trailing slashes dropped. Nothing, with `error` set to a
// sentence for people, when it is empty, or names the whole file system.
std::optional<std::filesystem::path> normalised(const QString& input, const std::filesystem::path& base,
                                                QString& error);
// The same for bytes (a path from the command line may not be UTF-8).
std::optional<std::filesystem::path> normalised(const std::string& input, const std::filesystem::path& base,
                                                QString& error);

// Adds a normalised path; false when it is listed already.
bool add(QSettings& settings, const std::filesystem::path& place);
// Removes a listed path; false when it was not listed.
bool remove(QSettings& settings, const std::filesystem::path& place);

// The stored text of a path and the path back (nothing when the text is not one).
QString encode(const std::filesystem::path& place);
std::optional<std::filesystem::path> decode(const QString& text);

} // namespace NeverTouch
