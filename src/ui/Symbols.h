#pragma once
// The design names its icons by symbol names ("wand.and.stars"); on Linux they
// are drawn with the Material Icons font, whose ligatures turn a glyph name
// ("auto_fix_high") into the icon.
#include <QString>

// The Material Icons ligature for a symbol name; a neutral dot for unknown names.
QString materialGlyphFor(const QString& symbol);

#include <filesystem>

// The symbol name for a file's kind: link (never followed), folder, package, archive, disc image,
// picture, film, sound, text or plain document (by name and content type).
QString symbolForFile(const std::filesystem::path& path);
