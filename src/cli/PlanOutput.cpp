#include "cli/PlanOutput.h"

#include <QJsonArray>

#include "cli/TerminalText.h"
#include "engines/removal/PlanText.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "platform/Fmt.h"
#include "platform/Prefs.h"

namespace Cli {

namespace {

QString fateName(Plan::Fate fate)
{
    switch (fate) {
    case Plan::Fate::deleted: return QStringLiteral("deleted");
    case Plan::Fate::trashed: return QStringLiteral("trashed");
    case Plan::Fate::byTool: return QStringLiteral("byTool");
    case Plan::Fate::shared: return QStringLiteral("shared");
    }
    return {};
}

QString resultName(Plan::Result result)
{
    switch (result) {
    case Plan::Result::notRun: return QStringLiteral("notRun");
    case Plan::Result::done: return QStringLiteral("done");
    case Plan::Result::failed: return QStringLiteral("failed");
    case Plan::Result::held: return QStringLiteral("held");
    case Plan::Result::gone: return QStringLiteral("gone");
    }
    return {};
}

QJsonObject itemJson(const Plan::Item& item)
{
    QJsonObject row{{"label", item.label},
                    {"group", item.group},
                    {"size", item.sizeKnown ? QJsonValue(qint64(item.size)) : QJsonValue()},
                    {"fate", fateName(item.fate)},
                    {"admin", item.admin},
                    {"restorable", item.restorable()}};
    if (!item.path.empty())
        row.insert("path", FS::text(item.path));
    if (!item.tool.isEmpty())
        row.insert("tool", item.tool);
    return row;
}

} // namespace

QJsonArray planItemsJson(const Plan::Record& plan)
{
    QJsonArray items;
    for (const Plan::Item& item : plan.items)
        items.append(itemJson(item));
    return items;
}

void printPlan(const Context& context, const Plan::Record& plan, const QString& intro)
{
    const QStringList summary = Plan::summaryLines(plan);
    if (context.json) {
        QJsonObject document{{"dryRun", true},
                             {"action", plan.action},
                             {"items", planItemsJson(plan)},
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
        if (outcome.record) {
            QJsonArray items;
            for (std::size_t i = 0; i < outcome.record->plan.items.size(); ++i) {
                QJsonObject row = itemJson(outcome.record->plan.items[i]);
                const Plan::ItemResult& result = outcome.record->results[i];
                row.insert("result", resultName(result.result));
                if (!result.reason.isEmpty())
                    row.insert("reason", result.reason);
                if (!result.trashedAs.empty())
                    row.insert("trashedAs", FS::text(result.trashedAs));
                items.append(row);
            }
            document.insert("items", items);
        }
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
