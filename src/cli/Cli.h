#pragma once
// quillmoor-cli: headless commands over the same engines as the window.
// Text by default, JSON with --json; exit 0 on success, 1 on failure, 2 on bad
// usage (with a one-line error), 130 when asked to end before the command did.
#include <filesystem>
#include <functional>
#include <vector>

#include <QJsonArray>
#include <QJsonValue>
#include <QStringList>
#include <QTextStream>

namespace Cli {

enum Exit { Success = 0, Failure = 1, BadUsage = 2, Interrupted = 130 };

// What a command gets: its own arguments and where to write.
struct Context {
    QStringList args;   // the arguments after the command name
    bool json = false;  // --json: one JSON document on standard output
    QTextStream& out;
    QTextStream& err;

    // Writes the bad-usage line ("quillmoor-cli: <text>") and returns BadUsage.
    int usageError(const QString& text) const;
    // Writes a JSON document (indented) to out.
    void printJson(const QJsonValue& value) const;
};

struct Command {
    QString name;
    QString usage;    // e.g. "large [--min SIZE]"
    QString summary;  // one line for --help, in the interface language
    std::function<int(Context&)> run;
};

// Text from outside the program (a file name, a path, a label, a reason that
// quotes one) as it goes into the text output: every control character is
// written as an escape ("\\n", "\\t", "\\x1b", "\\u2028"…), so that no name breaks a
// line or drives the terminal. JSON output needs none of it: it is exact.
QString lineSafe(const QString& text);
// A path's bytes decoded as file names are, then made line-safe.
QString lineSafe(const std::filesystem::path& path);
// A name or path from outside (a file, an application, a version, a startup
// item) as the text output shows it: line-safe, and with its direction
// controls written out ("<U+202E>", escapeDirectionMarks), so that no name can
// reorder the terminal line it is on. Only for a name alone: a translated
// sentence may carry marks of its own.
QString shownName(const QString& name);
QString shownName(const std::filesystem::path& path);

// The help, laid out for a terminal `width` cells wide.
QString helpText(int width);

// The commands, in the order --help lists them.
std::vector<Command> commands();

// Runs the tool on its arguments (without the program name).
int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace Cli
