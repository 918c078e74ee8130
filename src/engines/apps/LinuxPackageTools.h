#pragma once
// What the Linux package tools print, read: dpkg-query, apt-get's simulation,
// flatpak and snap. Pure parsers (each line that does not fit is passed over)
// and the way every tool is run (C locale, a time limit).
#include <cstdint>
#include <map>
#include <string>

#include <QString>
#include <QStringList>

namespace LinuxApps {

// What a package's "dpkg-query -W" line tells.
struct PackageFacts {
    QString version;
    std::int64_t installedBytes = 0;  // Installed-Size in bytes; 0 when missing or no size
    bool neverOffered = false;   // Priority required or important, or Essential: yes
};

// "pkg: /path" and "pkg1, pkg2: /path" lines → path → first package (":arch" cut).
std::map<std::string, QString> parseDpkgSearch(const QString& out);
// Lines of the format `kDpkgShowFormat` → package → facts.
std::map<QString, PackageFacts> parseDpkgShow(const QString& out);
// "Remv NAME [VERSION]" lines of "apt-get -s remove" → the packages, in order;
// NAME without its ":arch" unless `keepArchitecture` (apt writes it only for a
// package of another architecture, so the name then stays exact for removal).
QStringList parseAptRemovals(const QString& out, bool keepArchitecture = false);
// "flatpak list --app --columns=application,version,installation" → id → version.
std::map<QString, QString> parseFlatpakList(const QString& out);
// "snap list" (header, then Name Version Rev …) → name → (version, revision).
struct SnapFacts {
    QString version;
    QString revision;
};
std::map<QString, SnapFacts> parseSnapList(const QString& out);

// The format handed to dpkg-query -W.
inline constexpr const char* kDpkgShowFormat =
    "${Package}\\t${Version}\\t${Installed-Size}\\t${Priority}\\t${Essential}\\n";
// The most seconds one run of a package tool may take.
inline constexpr int kToolSeconds = 20;

// A package tool's command line as it is run: in the C locale (the parsers
// read English), stopped after kToolSeconds.
std::string toolCommand(const std::string& command);

} // namespace LinuxApps
