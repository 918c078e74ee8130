#pragma once
// Command-line arguments as text that keeps every byte: a path given on the
// command line may not be UTF-8, and must reach the file system as it was.
#include <string>

#include <QString>

namespace Cli {

// The argument's bytes as text: UTF-8 decoded, and each byte that is not part
// of valid UTF-8 kept as the lone surrogate U+DC00 + byte (as Python's
// "surrogateescape" does), so argumentBytes gives the bytes back.
QString argumentText(const std::string& bytes);

// The bytes of an argument made by argumentText (any other text as UTF-8).
std::string argumentBytes(const QString& text);

} // namespace Cli
