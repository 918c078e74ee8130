#include "cli/PlanOutput.h"

#include <QJsonArray>

#include "cli/TerminalText.h"
#include "engines/removal/HistoryRecord.h"
#include "engines/removal/PlanJson.h"
#include "engines/removal/PlanText.h"
#include "i18n/L.h"
#include "platform/Fmt.h"
#include "platform/Prefs.h"

namespace Cli {

void printPlan(const Context& context, const Plan::Record& plan, const QString& intro)
{
    const QStringList summary = Plan::summaryLines(plan);
    if (context.json) {
        QJsonObject document{{"dryRun", true},
                             {"action", plan.action},
                             {"items", Plan::itemsJson(plan)},
                             {"summary", QJsonArray::fromStringList(summary)},
                             {"total", qint64(Plan::totalBytes(plan))}};
        if (!plan.refusal.isEmpty())
            document.insert("refusal", plan.refusal);
        context.printJson(document);
        return;
    }
    if (!intro.isEmpty())
        context.out << intro << "\n";
    // How each item goes and its size, in columns as wide as their widest cell.
    QStringList fates, sizes;
    for (const Plan::Item& item : plan.items) {
        fates << Plan::fateWord(item);
        sizes << (item.sizeKnown ? Fmt::bytes(item.size) : L("Tamanho desconhecido"));
    }
    const int fateWidth = columnWidth(fates) + 1;
    const int sizeWidth = columnWidth(sizes) + 1;
    for (std::size_t i = 0; i < plan.items.size(); ++i) {
        const Plan::Item& item = plan.items[i];
        context.out << "  " << padded(fates[qsizetype(i)], fateWidth) << padded(sizes[qsizetype(i)], sizeWidth)
                    << shownName(item.label) << (item.admin ? QStringLiteral("  ") + L("[administrador]") : QString())
                    << "\n";
    }
    for (const QString& line : summary)
        context.out << lineSafe(line) << "\n";
    if (!plan.refusal.isEmpty())
        context.out << lineSafe(plan.refusal) << "\n";
    context.out << LF("Total: %@", Fmt::bytes(Plan::totalBytes(plan))) << "\n";
}

void printOutcome(const Context& context, const RemovalOutcome& outcome, const QJsonObject& extra)
{
    // Kept like the window keeps it, so both show the same running total.
    if (auto settings = Prefs::standard())
        Prefs::recordRemoval(*settings, outcome.freed, outcome.trashed);
    // Whatever the engine filled in, what this tool carried out started here
    // (an automatic run says so itself).
    RemovalOutcome kept = outcome;
    if (kept.record && kept.record->origin != Plan::Origin::automatic)
        kept.record->origin = Plan::Origin::cli;
    const std::optional<QJsonObject> written = History::keep(kept);
    const Plan::Report report = Plan::reportOf(outcome);
    if (context.json) {
        QJsonArray failures;
        for (const QString& name : outcome.failures)
            failures.append(name);
        QJsonArray system;
        for (const GroupFreed& group : outcome.systemGroups) {
            QJsonObject row{{"id", group.id}, {"title", group.title}, {"freed", qint64(group.freed)}};
            if (!group.failure.isEmpty())
                row.insert("failure", group.failure);
            system.append(row);
        }
        QJsonObject document{{"freed", qint64(outcome.freed)},
                             {"trashed", qint64(outcome.trashed)},
                             {"failures", failures},
                             {"message", report.problems.join(QLatin1Char('\n'))},
                             {"groups", QJsonArray::fromStringList(report.groups)},
                             {"systemGroups", system}};
        if (outcome.record)
            document.insert("items", Plan::itemsJson(*outcome.record));
        if (written)
            document.insert("history", *written);  // the record appended, as `history --json` shows it
        for (auto it = extra.begin(); it != extra.end(); ++it)
            document.insert(it.key(), it.value());
        context.printJson(document);
        return;
    }
    for (const QString& line : report.groups)
        context.out << lineSafe(line) << "\n";
    context.out << LF("%@ liberados", Fmt::bytes(outcome.freed)) << "\n";
    if (outcome.trashed > 0)
        context.out << LF("%@ na Lixeira", Fmt::bytes(outcome.trashed)) << "\n";
    for (const QString& line : report.problems)
        context.err << lineSafe(line) << "\n";
}

} // namespace Cli
