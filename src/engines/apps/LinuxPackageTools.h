#pragma once
// What the Linux package tools print, read: dpkg-query, apt-get's simulation,
// flatpak and snap. Pure parsers (each line that does not fit is passed over)
// and the way every tool is run (C locale, a time limit).
#include <cstdint>
#include <map>
#include <string>
#include <vector>

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
// One row of "snap list --all": every installed revision, the disabled ones
// (kept after a refresh) included.
struct SnapRevision {
    QString name;
    QString version;
    QString revision;
    QStringList notes;  // the Notes column split at its commas ("base", "disabled"); empty for "-"
};
// Rows only below the header "Name Version Rev Tracking Publisher Notes":
// output under any other header (another language, another tool) gives
// nothing, and a row without exactly those six columns is passed over.
std::vector<SnapRevision> parseSnapRevisions(const QString& out);

// One row of "flatpak list --columns=ref,installation,options", applications
// and runtimes together (flatpak then writes "runtime" among a runtime's options).
struct FlatpakRef {
    QString ref;           // ID/ARCH/BRANCH
    QString installation;  // "system", "user", "system (ID)"
    bool runtime = false;
};
// A row whose ref is not ID/ARCH/BRANCH is passed over; a row without its
// options counts as an application's.
std::vector<FlatpakRef> parseFlatpakRefs(const QString& out);
inline constexpr const char* kFlatpakRefColumns = "ref,installation,options";

// The format handed to dpkg-query -W.
inline constexpr const char* kDpkgShowFormat =
    "${Package}\\t${Version}\\t${Installed-Size}\\t${Priority}\\t${Essential}\\n";
// The most seconds one run of a package tool may take.
inline constexpr int kToolSeconds = 20;

// A package tool's command line as it is run: in the C locale (the parsers
// read English), stopped after kToolSeconds.
std::string toolCommand(const std::string& command);

} // namespace LinuxApps
