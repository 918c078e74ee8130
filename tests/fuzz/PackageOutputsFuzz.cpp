// The readers of what dpkg-query -S and -W, apt-get -s remove, flatpak list and snap list
// print, fed the same text: at most one result a line, each of the shape the commands need.
#include "FuzzCheck.h"
#include "engines/apps/LinuxPackageTools.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    // Unicode white space (what QString::simplified takes out), or only ASCII (what \S leaves out).
    const auto hasSpace = [](const QString& text, bool ascii = false) {
        return std::any_of(text.begin(), text.end(), [&](QChar c) { return c.isSpace() && (!ascii || c < u'\x80'); });
    };
    const QString out = QString::fromUtf8(Fuzz::bytes(bytes, size));
    const std::size_t lines = out.count('\n') + 1u;
    const auto owners = LinuxApps::parseDpkgSearch(out);
    const auto facts = LinuxApps::parseDpkgShow(out);
    const QStringList removals = LinuxApps::parseAptRemovals(out);
    const auto flatpaks = LinuxApps::parseFlatpakList(out);
    const auto snaps = LinuxApps::parseSnapList(out);
    REQUIRE(owners.size() <= lines && facts.size() <= lines && flatpaks.size() <= lines && snaps.size() <= lines
            && removals.size() <= out.count("Remv "));
    for (const auto& [path, package] : owners)  // ":arch" and the other packages cut
        REQUIRE(path.starts_with('/') && path.find('\n') == path.npos && !package.isEmpty() && !package.contains(' ')
                && !package.contains(':') && !package.contains(','));
    for (const auto& [package, one] : facts)  // tab-separated fields
        REQUIRE(!package.isEmpty() && !package.contains('\t') && !package.contains('\n') && !one.version.contains('\t')
                && one.installedBytes >= 0 && one.installedBytes % 1024 == 0);
    for (const QString& package : removals)
        REQUIRE(!hasSpace(package, true) && !package.contains(':'));
    for (const auto& [id, version] : flatpaks)
        REQUIRE(id.contains('.') && !id.contains(' ') && !id.contains('\t') && !id.contains('\n')
                && version == version.trimmed() && !version.contains('\t'));
    for (const auto& [name, snap] : snaps)  // one word each
        REQUIRE(!name.isEmpty() && !snap.version.isEmpty() && !snap.revision.isEmpty() && !hasSpace(name)
                && !hasSpace(snap.version) && !hasSpace(snap.revision));
    return 0;
}
