#include "engines/common/Names.h"

#include <algorithm>
#include <cctype>

namespace Sweeper {

namespace {

std::string lowerAscii(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

} // namespace

QString ownIdentifier()
{
    return QStringLiteral("com.halvick.Quillmoor");
}

bool isOwnEntry(std::string_view name)
{
    const std::string identifier = ownIdentifier().toStdString();
    if (name.find(identifier) != std::string_view::npos)
        return true;
    // The program's folders under the cache folder carry its plain names.
    const std::string lower = lowerAscii(std::string(name));
    return lower == "quillmoor" || lower == "quillmoor-cli";
}

bool hasExtension(const std::filesystem::path& entry, const std::set<std::string>& extensions)
{
    std::string extension = entry.filename().extension().native();
    if (extension.size() < 2)
        return false;
    return extensions.count(lowerAscii(extension.substr(1))) > 0;
}

bool matchesPattern(std::string_view name, std::string_view pattern)
{
    // The classic walk with one point to return to: the last star seen and
    // where in the name its run ends so far.
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t star = std::string_view::npos;
    std::size_t resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (p < pattern.size() && pattern[p] == name[n]) {
            ++p;
            ++n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace Sweeper
