#include "cli/LargeCommands.h"

#include <array>
#include <utility>

#include <unistd.h>

#include <QJsonObject>

#include "cli/IgnoreCommands.h"
#include "cli/TerminalText.h"
#include "engines/large/LargeFiles.h"
#include "profiles/Profile.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "platform/Fmt.h"

namespace Cli {

namespace {

// Reads large's arguments; an empty text on success, else what was wrong.
QString parseLarge(const QStringList& args, std::int64_t& minBytes)
{
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] != "--min")
            return LF("argumento desconhecido “%@” para %@ (veja --help)", args[i], "large");
        if (i + 1 >= args.size())
            return L("--min precisa de um tamanho (100MB, 500MB, 1GB, 5GB ou bytes)");
        const std::optional<std::int64_t> value = parseLargeMin(args[++i]);
        if (!value)
            return LF("tamanho inválido “%@” (100MB, 500MB, 1GB, 5GB ou bytes)", args[i]);
        minBytes = *value;
    }
    return {};
}

void printFiles(const Context& context, const std::vector<LargeFile>& files, std::int64_t minBytes)
{
    QStringList sizes, dates;
    for (const LargeFile& file : files) {
        sizes << Fmt::bytes(file.size);
        dates << Fmt::date(file.accessed);
    }
    const int sizeWidth = columnWidth(sizes) + 2;
    const int dateWidth = columnWidth(dates) + 2;
    for (std::size_t i = 0; i < files.size(); ++i)
        context.out << padded(sizes[qsizetype(i)], sizeWidth) << padded(dates[qsizetype(i)], dateWidth)
                    << shownName(files[i].url) << "\n";
    const QString label = largeMinLabel(minBytes);
    const qint64 count = qint64(files.size());
    context.out << Sweeper::largeCountSentence(count, label) << "\n";
}

int runLarge(Context& context)
{
    std::int64_t minBytes = kDefaultLargeMin;
    const QString problem = parseLarge(context.args, minBytes);
    if (!problem.isEmpty())
        return context.usageError(problem);

    // A live count only for a person watching a terminal, never into a file or pipe.
    const bool showProgress = isatty(STDERR_FILENO) == 1;
    const auto progress = [&](int count) {
        context.err << "\r… " << count;
        context.err.flush();
    };

    // Ctrl+C ends the walk at its next entry; what was found so far is still printed.
    const CancelFlag flag;
    const LargeFound found =
        Sweeper::scanLarge(minBytes, flag, neverTouchNow(), showProgress ? std::function<void(int)>(progress) : std::function<void(int)>(),
                           FS::home(), 0, Profiles::active().traits.large);
    if (showProgress) {
        context.err << "\r" << QString(24, ' ') << "\r";
        context.err.flush();
    }

    if (context.json) {
        context.printJson(largeFilesJson(found.files));
    } else {
        printFiles(context, found.files, minBytes);
        printIgnored(context, found.ignored);
    }
    return Success;
}

} // namespace

std::optional<std::int64_t> parseLargeMin(const QString& text)
{
    QString compact = text.simplified().remove(' ').toUpper();
    for (const Sweeper::LargeThreshold& option : Sweeper::largeThresholds())
        if (compact == QString::fromLatin1(option.label).remove(' '))
            return option.bytes;
    // Plain bytes: digits only (no sign, no blanks), within 64 bits.
    if (compact.isEmpty() || compact != text.trimmed())
        return std::nullopt;
    for (const QChar c : compact)
        if (c < '0' || c > '9')
            return std::nullopt;
    bool ok = false;
    const qlonglong value = compact.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return std::int64_t(value);
}

QString largeMinLabel(std::int64_t bytes) { return Sweeper::largeThresholdLabel(bytes); }

QJsonArray largeFilesJson(const std::vector<LargeFile>& files)
{
    QJsonArray list;
    for (const LargeFile& file : files)
        list.append(QJsonObject{{"path", FS::text(file.url)},
                                {"size", qint64(file.size)},
                                {"accessed", file.accessed ? QJsonValue(file.accessed->toUTC().toString(Qt::ISODate))
                                                           : QJsonValue(QJsonValue::Null)}});
    return list;
}

std::vector<Command> largeCommands()
{
    return {
        {QStringLiteral("large"), QStringLiteral("large [--min SIZE]"),
         L("arquivos de pelo menos SIZE na pasta pessoal, maiores primeiro (100MB, 500MB, 1GB, 5GB ou bytes; padrão 500MB)"),
         runLarge},
    };
}

} // namespace Cli
