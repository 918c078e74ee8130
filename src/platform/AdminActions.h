#pragma once
// What the administrator helper (quillmoor-admin) can be asked to do, in the
// words both sides use: the program builds a list of actions, the helper reads
// it back from its command line, checks every argument and answers one line
// per action. Pure functions only, so the checks are the same on both sides
// (the program checks before it asks for the password, the helper again as root).
//
// The helper's command line:
//   quillmoor-admin CLASS VERB ARG... [VERB ARG...]...
// CLASS is "remove-software" when any action removes software (its polkit
// action never keeps the authorisation) and "system-care" otherwise. Every
// verb takes a fixed number of arguments; a verb that takes a list takes its
// length first ("remove-packages 2 vim vim-runtime"), so any bytes in an
// argument (a file name in the Trash) can never be read as another verb.
//
// The answer, on standard output: "done N" (with "done N DETAIL" for an action
// that reads something back) or "failed N CODE DETAIL" for each action N
// (counted from 0), or one "refused CODE DETAIL" when nothing was done because
// the request itself was refused. DETAIL never holds a line break.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Admin {

// The verbs. Software removal:
inline constexpr const char* kRemovePackages = "remove-packages";  // N PACKAGE...
inline constexpr const char* kRemoveSnap = "remove-snap";          // NAME
// Everything else:
inline constexpr const char* kTrashRemove = "trash-remove";        // TRASH/files DEVICE:INODE RELATIVE-PATH
inline constexpr const char* kUnitEnable = "unit-enable";          // UNIT
inline constexpr const char* kUnitDisable = "unit-disable";        // UNIT
inline constexpr const char* kDropCaches = "drop-caches";
inline constexpr const char* kFlushDns = "flush-dns";
inline constexpr const char* kVacuumJournal = "vacuum-journal";
inline constexpr const char* kCleanPackageCache = "clean-package-cache";  // apt | dnf | pacman
inline constexpr const char* kRemoveSnapRevision = "remove-snap-revision";  // NAME REVISION
inline constexpr const char* kRemoveFlatpakRuntimes = "remove-flatpak-runtimes";  // N REF...
inline constexpr const char* kRemoveCoreDump = "remove-core-dump";      // NAME (in /var/lib/systemd/coredump)
inline constexpr const char* kRemoveCrashReport = "remove-crash-report";  // NAME.crash (in /var/crash)
inline constexpr const char* kRemoveRotatedLog = "remove-rotated-log";  // PATH relative to /var/log
// One of Timeshift's snapshots, by its name, through timeshift itself.
inline constexpr const char* kRemoveTimeshiftSnapshot = "remove-timeshift-snapshot";  // YYYY-MM-DD_HH-MM-SS
// Docker's storage, by the exact ids shown (a container that started since
// is refused by docker itself: nothing is forced).
inline constexpr const char* kRemoveDockerImages = "remove-docker-images";          // N ID...
inline constexpr const char* kRemoveDockerContainers = "remove-docker-containers";  // N ID...
inline constexpr const char* kPruneDockerBuildCache = "prune-docker-build-cache";
// Snapper's snapshots, judged again as root on a fresh listing before one goes.
// PARTNER is the other snapshot of a pre/post pair (both go in one call), "0" for none.
inline constexpr const char* kRemoveSnapperSnapshot = "remove-snapper-snapshot";  // CONFIG NUMBER PARTNER
// Reads only: answers "done N NUMBER=BYTES ...", each snapshot's exclusive size.
inline constexpr const char* kMeasureSnapshots = "measure-snapshots";  // CONFIG

// The two classes, each the first argument pkexec matches to a polkit action.
inline constexpr const char* kClassSoftware = "remove-software";
inline constexpr const char* kClassCare = "system-care";

struct Action {
    std::string verb;
    std::vector<std::string> args;
    bool operator==(const Action&) const = default;
};

// Whether the verb removes software (and so needs the stricter class).
bool removesSoftware(std::string_view verb);
// The class a run of these actions needs: the strictest of its actions'.
std::string classFor(const std::vector<Action>& actions);

// The helper's arguments (after its own path) for the actions.
std::vector<std::string> encode(const std::vector<Action>& actions);

// Why a request or an action was refused: a code word and what it concerns.
struct Refusal {
    std::string code;    // "argument", "class", "verb", ...
    std::string detail;  // the argument or verb concerned, printable
};

// The helper's arguments read back; a refusal when the class, a verb, a count
// or an argument count is wrong, or when the class is milder than the actions need.
struct Parsed {
    std::vector<Action> actions;
    std::optional<Refusal> refusal;
};
Parsed decode(const std::vector<std::string>& args);

// Checks one action's arguments (their form only: what lies on the disk is
// the helper's to check). Nothing when they are sound.
std::optional<Refusal> check(const Action& action);

// The single argument checks, for the tables of both sides.
bool isPackageName(std::string_view text);      // vim, libc6:i386, g++-12
bool isSnapName(std::string_view text);         // core22, gnome-42-2204, name_instance
bool isSnapRevision(std::string_view text);     // 1234, x1
bool isUnitName(std::string_view text);         // cups.service, getty@tty1.service
bool isFlatpakRuntimeRef(std::string_view text);  // runtime/org.gnome.Platform/x86_64/45
bool isContainerToolId(std::string_view text);  // 12 to 64 lower-case hexadecimal digits
bool isSnapperConfigName(std::string_view text);  // root, home_2, sv.data: letters, digits, _ . - (not first: - .)
bool isSnapshotNumber(std::string_view text);   // 1 to 999999999, plain decimal
bool isFileName(std::string_view text);         // one entry of a folder: not "", ".", "..", no "/"
bool isRelativePath(std::string_view text);     // names joined by "/", nothing climbing out
// The names of a path between its slashes ("a//b" gives "a", "", "b").
std::vector<std::string_view> pathParts(std::string_view path);
bool isRotatedLogName(std::string_view name);   // syslog.1, syslog.2.gz, kern.log.old
bool isAuditTrail(std::string_view relativePath);  // wtmp, btmp, lastlog, faillog, auth.log*, audit/...
bool isTimeshiftSnapshotName(std::string_view text);  // 2026-12-01_10-00-01, exactly that form

// The log a rotated one belongs to ("syslog" for "syslog.2.gz"); empty when
// the name is not a rotated log's.
std::string rotatedLogBase(std::string_view name);

// One line of the answer.
struct Answer {
    bool refused = false;            // "refused": nothing was done
    std::size_t index = 0;           // the action it concerns
    bool done = false;
    std::string code;                // for a failure or refusal
    std::string detail;              // what it concerns; for a done answer, what the action read
};
// Writes one answer line (with its line break); detail's line breaks and
// other control bytes become blanks. A done answer without detail is "done N".
std::string answerLine(const Answer& answer);
// Reads the answer lines of a run; lines that are none are skipped.
std::vector<Answer> readAnswers(std::string_view out);

// Exit statuses of the helper (pkexec itself uses 126 and 127).
inline constexpr int kExitDone = 0;       // every action done
inline constexpr int kExitFailed = 1;     // at least one action failed
inline constexpr int kExitRefused = 2;    // the request was refused: nothing done
inline constexpr int kExitNotRoot = 3;    // not run as the administrator, or no such user

} // namespace Admin
