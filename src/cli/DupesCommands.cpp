#include "cli/DupesCommands.h"

#include <tuple>

#include <unistd.h>

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>

#include "cli/ArgumentBytes.h"
#include "cli/IgnoreCommands.h"
#include "cli/PlanOutput.h"
#include "cli/TerminalText.h"
#include "engines/dupes/DuplicateRemoval.h"
#include "engines/dupes/DuplicateScan.h"
#include "engines/dupes/SimilarScan.h"
#include "engines/removal/Removal.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "platform/Fmt.h"
#include "platform/Prefs.h"
#include "platform/Quitting.h"

namespace fs = std::filesystem;

namespace Cli {

namespace {

enum class Action { List, Trash, Share };

struct DupesOptions {
    fs::path folder;
    Dupes::ScanOptions scan;
    Dupes::KeepRule keep = Dupes::KeepRule::Oldest;
    Action action = Action::List;
    bool yes = false;
    bool keepGiven = false;
    bool minGiven = false;
    bool similar = false;  // pictures that look alike rather than identical files
    bool levelGiven = false;
    Dupes::Likeness level = Dupes::Likeness::Similar;
};

// Reads dupes' arguments; an empty text on success, else what was wrong.
QString parseDupes(const QStringList& args, DupesOptions& options)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == "--min") {
            const std::optional<std::int64_t> bytes = i + 1 < args.size() ? parseDupesMin(args[++i]) : std::nullopt;
            if (!bytes)
                return L("--min precisa de um tamanho (0, 100KB, 1MB, 10MB, 100MB ou bytes)");
            options.scan.walk.minBytes = *bytes;
            options.minGiven = true;
        } else if (arg == "--hidden") {
            options.scan.walk.hidden = true;
        } else if (arg == "--similar") {
            options.similar = true;
        } else if (arg == "--level") {
            const QString level = i + 1 < args.size() ? args[++i] : QString();
            if (level != "1" && level != "2" && level != "3")
                return L("--level precisa de 1, 2 ou 3 e vale só com --similar");
            options.level = Dupes::Likeness(level.toInt());
            options.levelGiven = true;
        } else if (arg == "--keep") {
            options.keepGiven = true;
            const QString rule = i + 1 < args.size() ? args[++i] : QString();
            if (rule == "oldest")
                options.keep = Dupes::KeepRule::Oldest;
            else if (rule == "newest")
                options.keep = Dupes::KeepRule::Newest;
            else if (rule == "shortest")
                options.keep = Dupes::KeepRule::ShortestPath;
            else
                return L("--keep precisa de oldest, newest ou shortest");
        } else if (arg == "--trash" || arg == "--reflink") {
            const Action action = arg == "--trash" ? Action::Trash : Action::Share;
            if (options.action != Action::List && options.action != action)
                return L("--trash e --reflink não podem ser usados juntos");
            options.action = action;
        } else if (arg == "--yes") {
            options.yes = true;
        } else if (!arg.startsWith('-') && options.folder.empty()) {
            options.folder = fs::path(argumentBytes(arg));
        } else {
            return LF("argumento desconhecido “%@” para %@ (veja --help)", arg, "dupes");
        }
    }
    // Pictures that only look alike share no bytes, and their kept copy is the one with the most pixels.
    if (options.similar && (options.keepGiven || options.action == Action::Share))
        return L("--similar não pode ser usado com --keep nem com --reflink");
    // A photo's smaller copies are the ones worth removing: pictures are
    // looked at from any size unless asked otherwise.
    if (options.similar && !options.minGiven)
        options.scan.walk.minBytes = 0;
    if (options.levelGiven && !options.similar)
        return L("--level precisa de 1, 2 ou 3 e vale só com --similar");
    return {};
}

QString dateOf(const Dupes::ShownCopy& shown)
{
    return Fmt::date(QDateTime::fromMSecsSinceEpoch(shown.copy.file.mtimeNs / 1'000'000));
}

// Each group as the window shows it (kept copy first), with what it can give
// back and what its ticks give back; then the totals. A group of pictures
// shows each one's size in pixels, its file's size and its kind.
void printGroups(const Context& context, const std::vector<Dupes::Group>& groups, bool similar)
{
    const QString kept = L("[mantida]");
    const int markWidth = std::max(displayWidth(kept), 3) + 1;
    QStringList dates, pixels, sizes, formats;
    const auto pixelsOf = [](const Dupes::ShownCopy& shown) {
        return QStringLiteral("%1 × %2").arg(shown.picture.width).arg(shown.picture.height);
    };
    for (const Dupes::Group& group : groups)
        for (const Dupes::ShownCopy& shown : group.copies) {
            dates << dateOf(shown);
            if (group.similar) {
                pixels << pixelsOf(shown);
                sizes << Fmt::bytes(shown.copy.file.size);
                formats << shown.picture.format;
            }
        }
    const int dateWidth = columnWidth(dates) + 2;
    const int pixelsWidth = columnWidth(pixels) + 2, sizeWidth = columnWidth(sizes) + 2, formatWidth = columnWidth(formats) + 2;
    const QString dot = QStringLiteral("  ·  ");
    std::int64_t reclaimable = 0, selected = 0;
    for (const Dupes::Group& group : groups) {
        reclaimable += Dupes::reclaimable(group);
        selected += Dupes::selectedBytes(group);
        const qint64 copies = qint64(group.copies.size());
        context.out << (group.similar ? LP(copies, "%ld imagens parecidas", copies)
                                      : LF("%@ × %ld", Fmt::bytes(group.size), long(copies)))
                    << dot << LF("%@ a liberar", Fmt::bytes(Dupes::reclaimable(group))) << dot
                    << LF("%@ selecionados", Fmt::bytes(Dupes::selectedBytes(group))) << "\n";
        for (const Dupes::ShownCopy& shown : group.copies) {
            const QString mark = shown.kept ? kept : shown.selected ? QStringLiteral("[x]") : QStringLiteral("[ ]");
            context.out << "  " << padded(mark, markWidth);
            if (group.similar)
                context.out << padded(pixelsOf(shown), pixelsWidth) << padded(Fmt::bytes(shown.copy.file.size), sizeWidth)
                            << padded(shown.picture.format, formatWidth);
            context.out << padded(dateOf(shown), dateWidth) << shownName(shown.copy.file.path);
            const QString note = Dupes::copyNote(shown);
            if (!note.isEmpty())
                context.out << "  (" << lineSafe(note) << ")";
            context.out << "\n";
        }
    }
    const qint64 count = qint64(groups.size());
    context.out << (similar ? LP(count, "%ld grupos de imagens parecidas", count) : LP(count, "%ld grupos de cópias", count))
                << dot << LF("%@ a liberar", Fmt::bytes(reclaimable)) << dot << LF("%@ selecionados", Fmt::bytes(selected))
                << "\n";
}

int act(Context& context, const DupesOptions& options, const std::vector<Dupes::Group>& groups)
{
    const std::vector<Dupes::PlannedCopy> plan = Dupes::removalPlan(groups);
    if (plan.empty() && !context.json) {
        context.out << L("Nenhuma cópia está selecionada: nada foi mudado.") << "\n";
        return Success;
    }
    const RemovalOutcome outcome =
        options.action == Action::Trash ? Dupes::trashCopies(plan) : Dupes::shareCopies(plan);
    printOutcome(context, outcome);
    return outcome.complete() ? Success : Failure;
}

int runDupes(Context& context)
{
    DupesOptions options;
    const QString problem = parseDupes(context.args, options);
    if (!problem.isEmpty())
        return context.usageError(problem);
    const fs::path folder = options.folder.empty() ? FS::home() : options.folder;
    if (!FS::isDir(folder))
        return context.usageError(LF("“%@” não é uma pasta", shownName(folder)));

    // A live count only for a person watching a terminal; Ctrl+C stops the search.
    const bool showProgress = isatty(STDERR_FILENO) == 1;
    CancelFlag flag;
    const auto progress = [&](const Dupes::Progress& now) {
        if (Quitting::requested())
            flag.cancelled = true;
        if (!showProgress)
            return;
        context.err << "\r… " << now.files;
        if (now.total > 0)
            context.err << " / " << now.total << "  " << Fmt::bytes(now.bytesRead);
        context.err << "     ";
        context.err.flush();
    };
    std::vector<Dupes::Group> groups;
    int ignored = 0, unreadable = 0, tooLarge = 0;
    bool cancelled = false;
    if (options.similar) {
        // What the image readers say of a file's inner details (a colour profile, a marker out of place) is noise here.
        QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=false"));
        Dupes::SimilarOptions similar;
        similar.walk = options.scan.walk;
        similar.walk.never = neverTouchNow();
        similar.level = options.level;
        similar.cache = Dupes::defaultPictureCache();
        Dupes::SimilarResult result = Dupes::findSimilar(folder, similar, flag, progress);
        groups = std::move(result.groups);
        std::tie(ignored, unreadable, tooLarge, cancelled) =
            std::tuple(result.ignored, result.unreadable, result.tooLarge, result.cancelled);
    } else {
        Dupes::ScanOptions scanOptions = options.scan;
        scanOptions.walk.never = neverTouchNow();
        Dupes::ScanResult result = Dupes::scan(folder, scanOptions, flag, progress);
        groups = std::move(result.groups);
        std::tie(ignored, unreadable, cancelled) = std::tuple(result.ignored, result.unreadable, result.cancelled);
    }
    if (showProgress) {
        context.err << "\r" << QString(48, ' ') << "\r";
        context.err.flush();
    }
    if (cancelled)
        return Interrupted;
    if (options.keep != Dupes::KeepRule::Oldest)
        Dupes::choose(groups, options.keep);

    if (options.action != Action::List && options.yes)
        return act(context, options, groups);
    const Plan::Record plan =
        Dupes::planRecord(Dupes::removalPlan(groups), options.action == Action::Share);
    if (context.json && options.action != Action::List) {
        printPlan(context, plan, QString());  // what --yes would do, as the window's confirmation shows it
        return Success;
    }
    if (context.json) {
        // One group at a time: a whole document of tens of thousands of copies would weigh more than the search.
        context.out << "[";
        for (std::size_t i = 0; i < groups.size(); ++i)
            context.out << (i == 0 ? "\n" : ",\n")
                        << QString::fromUtf8(QJsonDocument(dupeGroupJson(groups[i])).toJson(QJsonDocument::Compact));
        context.out << "\n]\n";
    } else {
        printGroups(context, groups, options.similar);
        if (tooLarge > 0)
            context.out << LP(tooLarge, "%ld imagens grandes demais", long(tooLarge)) << "\n";
        if (unreadable > 0)
            context.out << (options.similar ? LP(unreadable, "%ld imagens não puderam ser lidas", long(unreadable))
                                            : LP(unreadable, "%ld arquivos não puderam ser lidos", long(unreadable)))
                        << "\n";
        printIgnored(context, ignored);
    }
    if (options.action != Action::List) {
        printPlan(context, plan, QString());
        context.out << L("Nada foi mudado: execute de novo com --yes para agir sobre os selecionados.") << "\n";
    }
    return Success;
}

} // namespace

std::optional<std::int64_t> parseDupesMin(const QString& text)
{
    QString compact = text.simplified().remove(' ').toUpper();
    std::int64_t unit = 1;
    for (const auto& [suffix, bytes] : {std::pair{"KB", 1'000LL}, {"MB", 1'000'000LL}, {"GB", 1'000'000'000LL}})
        if (compact.endsWith(QLatin1String(suffix))) {
            unit = bytes;
            compact.chop(2);
            break;
        }
    if (compact.isEmpty() || compact.size() > 15)
        return std::nullopt;
    for (const QChar c : compact)
        if (c < '0' || c > '9')
            return std::nullopt;
    return compact.toLongLong() * unit;
}

QJsonObject dupeGroupJson(const Dupes::Group& group)
{
    QJsonArray copies;
    for (const Dupes::ShownCopy& shown : group.copies) {
        QJsonArray others;
        for (const std::string& name : shown.copy.otherNames)
            others.append(FS::text(name));
        const QString note = Dupes::copyNote(shown);
        QJsonObject copy{{"path", FS::text(shown.copy.file.path)},
                         {"keep", shown.kept},
                         {"selected", shown.selected},
                         {"note", note.isEmpty() ? QJsonValue() : QJsonValue(note)},
                         {"otherNames", others}};
        if (group.similar) {
            copy["width"] = shown.picture.width;
            copy["height"] = shown.picture.height;
            copy["format"] = shown.picture.format;
            copy["distance"] = shown.picture.distance;
            copy["size"] = qint64(shown.copy.file.size);
        }
        copies.append(copy);
    }
    QJsonObject json{{"size", qint64(group.size)},
                     {"reclaimable", qint64(Dupes::reclaimable(group))},
                     {"selectedBytes", qint64(Dupes::selectedBytes(group))},
                     {"copies", copies}};
    if (group.similar)
        json["similar"] = true;
    return json;
}

std::vector<Command> dupesCommands()
{
    return {
        {QStringLiteral("dupes"),
         QStringLiteral("dupes [PATH] [--min SIZE] [--hidden] [--keep oldest|newest|shortest] [--similar [--level 1|2|3]] [--trash|--reflink --yes]"),
         L("arquivos iguais na pasta pessoal ou em PATH (padrão a partir de 1MB), ou com --similar imagens parecidas (--level 1 muito parecidas, 2 parecidas, 3 talvez); --trash move as cópias selecionadas para a Lixeira, --reflink faz com que compartilhem o espaço da mantida"),
         runDupes},
    };
}

} // namespace Cli
