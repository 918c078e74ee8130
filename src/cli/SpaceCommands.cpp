#include "cli/SpaceCommands.h"

#include <unistd.h>

#include <QJsonArray>

#include "cli/ArgumentBytes.h"
#include "cli/TerminalText.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "platform/Fmt.h"
#include "space/SpaceMeasure.h"

namespace Cli {

namespace {

int runDu(Context& context)
{
    std::filesystem::path folder = FS::home();
    bool hidden = true;
    bool gotPath = false;
    for (const QString& arg : context.args) {
        if (arg == "--no-hidden") {
            hidden = false;
        } else if (arg.startsWith('-') && arg != "-") {
            return context.usageError(LF("argumento desconhecido “%@” para %@ (veja --help)", arg, "du"));
        } else if (gotPath) {
            return context.usageError(L("du aceita uma só pasta"));
        } else {
            folder = FS::expand(argumentBytes(arg));
            gotPath = true;
        }
    }
    folder = std::filesystem::absolute(folder).lexically_normal();
    // A link to a folder measures that folder, by its real path; the walk below it never follows a link.
    if (const std::filesystem::path target = Space::linkedFolder(folder); !target.empty())
        folder = target;
    if (!FS::isDir(folder)) {
        context.err << "quillmoor-cli: " << LF("não é uma pasta: %@", shownName(folder)) << "\n";
        return Failure;
    }

    // A live count only for a person watching a terminal, never into a file or pipe.
    const bool showProgress = isatty(STDERR_FILENO) == 1;
    const std::vector<SizeEntry> entries = measureFolder(folder, hidden, showProgress ? &context.err : nullptr);
    if (context.json) {
        context.printJson(folderJson(folder, entries));
        return Success;
    }
    // A link has no size of its own: its place in the size column stays blank.
    QStringList sizes;
    for (const SizeEntry& entry : entries)
        sizes << (entry.isLink ? QString() : Fmt::bytes(entry.size));
    const int sizeWidth = columnWidth(sizes) + 2;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const SizeEntry& entry = entries[i];
        context.out << padded(sizes[qsizetype(i)], sizeWidth) << shownName(entry.name()) << (entry.isDir ? "/" : "");
        if (entry.isLink)
            context.out << " -> " << (entry.target.empty() ? QStringLiteral("?") : shownName(entry.target) + "/");
        context.out << "\n";
    }
    context.out << Fmt::bytes(Space::total(entries)) << " · " << itemCount(qint64(entries.size())) << "  "
                << shownName(folder) << "\n";
    return Success;
}

} // namespace

std::vector<SizeEntry> measureFolder(const std::filesystem::path& folder, bool hidden, QTextStream* progress)
{
    std::vector<SizeEntry> entries = Space::listEntries(folder, hidden);
    const std::vector<std::filesystem::path> children = Space::toMeasure(entries);
    const bool showProgress = progress && children.size() > 1;
    std::size_t measured = 0;
    Space::measure(children, [&](Space::Batch batch) {
        measured += batch.size();
        Space::applyBatch(entries, batch);
        if (showProgress) {
            *progress << "\r… " << measured << " / " << children.size();
            progress->flush();
        }
        return true;
    });
    if (showProgress) {
        *progress << "\r" << QString(30, ' ') << "\r";
        progress->flush();
    }
    Space::sortBySize(entries);
    return entries;
}

QJsonObject folderJson(const std::filesystem::path& folder, const std::vector<SizeEntry>& entries)
{
    QJsonArray list;
    for (const SizeEntry& entry : entries)
        list.append(QJsonObject{{"name", entry.name()},
                                {"path", entry.id()},
                                {"size", qint64(entry.size)},
                                {"isDir", entry.isDir},
                                {"isLink", entry.isLink},
                                {"target", entry.target.empty() ? QJsonValue() : QJsonValue(FS::text(entry.target))}});
    return QJsonObject{{"path", FS::text(folder)},
                       {"total", qint64(Space::total(entries))},
                       {"count", qint64(entries.size())},
                       {"entries", list}};
}

std::vector<Command> spaceCommands()
{
    return {
        {QStringLiteral("du"), QStringLiteral("du [PATH] [--no-hidden]"),
         L("o conteúdo de uma pasta (padrão: a pasta pessoal) medido no disco, maiores primeiro, com o total"),
         runDu},
    };
}

} // namespace Cli
