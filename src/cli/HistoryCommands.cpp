#include "cli/HistoryCommands.h"

#include <QJsonArray>
#include <QJsonObject>

#include "cli/TerminalText.h"
#include "engines/removal/HistoryRecord.h"
#include "engines/removal/HistoryText.h"
#include "engines/removal/PlanText.h"
#include "i18n/FormatLocale.h"
#include "i18n/L.h"
#include "platform/Fmt.h"
#include "platform/HistoryFile.h"

namespace Cli {

namespace {

// How many records the command shows: all the file keeps.
constexpr int kShown = HistoryFile::Limits{}.records;
// The cells of a record's id (8 hex digits).
constexpr int kIdWidth = 8;

void printEntry(const Context& context, const History::Entry& entry)
{
    const Plan::Outcome& outcome = entry.outcome;
    // The id restore takes; a record written before records had one shows a dash.
    QString line = padded(entry.id.isEmpty() ? QStringLiteral("-") : entry.id, kIdWidth) + "  " + History::whenText(entry.time)
        + "  " + History::originWord(outcome.origin) + "  " + History::actionWord(outcome.plan.action)
        + "  " + itemCount(qint64(outcome.plan.items.size()));
    if (entry.freed > 0 || entry.trashed <= 0)
        line += "  " + LF("%@ liberados", Fmt::bytes(entry.freed));
    if (entry.trashed > 0)
        line += "  " + LF("%@ na Lixeira", Fmt::bytes(entry.trashed));
    context.out << line << "\n";

    // Each item by its number in the record (".2": restore takes ID.2).
    QStringList numbers, fates, results;
    for (std::size_t i = 0; i < outcome.plan.items.size(); ++i) {
        numbers << "." + QString::number(qulonglong(i) + 1);
        fates << Plan::fateWord(outcome.plan.items[i]);
        results << History::resultWord(outcome.results[i].result);
    }
    const int numberWidth = columnWidth(numbers) + 1;
    const int fateWidth = columnWidth(fates) + 1;
    const int resultWidth = columnWidth(results) + 1;
    for (std::size_t i = 0; i < outcome.plan.items.size(); ++i) {
        const Plan::ItemResult& result = outcome.results[i];
        context.out << "    " << padded(numbers[qsizetype(i)], numberWidth)
                    << padded(shownName(fates[qsizetype(i)]), fateWidth)
                    << padded(results[qsizetype(i)], resultWidth) << shownName(outcome.plan.items[i].label);
        if (!result.reason.isEmpty())
            context.out << ": " << lineSafe(result.reason);
        context.out << "\n";
    }
}

int runHistory(Context& context)
{
    if (!context.args.isEmpty())
        return context.usageError(LF("argumento desconhecido “%@” para %@ (veja --help)", context.args.first(), "history"));

    const HistoryFile::Reading reading = HistoryFile::read(kShown);
    if (reading.skipped > 0)
        context.err << LF("Linhas ilegíveis ignoradas no histórico: %@", localNumber(reading.skipped)) << "\n";
    if (context.json) {
        QJsonArray records;
        for (const QJsonObject& record : reading.records)
            records.append(record);
        context.printJson(records);
        return Success;
    }
    int shown = 0;
    for (const QJsonObject& record : reading.records) {
        // A line of this version that is not a whole record is passed over like any unreadable one.
        if (const std::optional<History::Entry> entry = History::fromJson(record)) {
            printEntry(context, *entry);
            ++shown;
        }
    }
    if (shown == 0)
        context.out << L("Nenhuma remoção registrada ainda.") << "\n";
    return Success;
}

} // namespace

std::vector<Command> historyCommands()
{
    return {
        {QStringLiteral("history"), QStringLiteral("history"),
         L("as remoções feitas até agora, das mais recentes às mais antigas"), runHistory},
    };
}

} // namespace Cli
