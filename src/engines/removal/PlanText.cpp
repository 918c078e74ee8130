#include "engines/removal/PlanText.h"

#include <algorithm>
#include <map>

#include "engines/removal/Removal.h"
#include "i18n/L.h"
#include "i18n/ShownText.h"
#include "platform/FS.h"
#include "platform/Fmt.h"

namespace Plan {

namespace {

// The tools of the plan's byTool items, in the order they first come.
QStringList toolsOf(const Record& plan)
{
    QStringList tools;
    for (const Item& item : plan.items)
        if (item.fate == Fate::byTool && !tools.contains(item.tool))
            tools << item.tool;
    return tools;
}

// The groups of the plan whose items run as administrator, as people read them.
QStringList adminGroups(const Record& plan)
{
    QStringList titles;
    for (const Item& item : plan.items)
        if (item.admin && !titles.contains(item.groupTitle))
            titles << item.groupTitle;
    return titles;
}

} // namespace

QString amountText(const FateTotal& total, bool rightToLeft)
{
    QString bytes;
    if (total.someUnknown && total.bytes == 0)
        bytes = L("Tamanho desconhecido");
    else if (total.someUnknown)
        bytes = LF("pelo menos %@", isolatedRun(Fmt::bytes(total.bytes), rightToLeft));
    else
        bytes = isolatedRun(Fmt::bytes(total.bytes), rightToLeft);
    return joinList({itemCount(total.count), bytes});
}

QStringList summaryLines(const Record& plan, bool rightToLeft)
{
    const auto amountText = [rightToLeft](const FateTotal& total) { return Plan::amountText(total, rightToLeft); };
    QStringList lines;
    if (const FateTotal deleted = totalOf(plan, Fate::deleted); deleted.count > 0)
        lines << LF("Apagados para sempre (não podem ser restaurados): %@", amountText(deleted));
    if (const FateTotal trashed = totalOf(plan, Fate::trashed); trashed.count > 0)
        lines << LF("Para a Lixeira (podem ser restaurados): %@", amountText(trashed));
    for (const QString& tool : toolsOf(plan)) {
        const FateTotal byTool =
            totalWhere(plan, [&tool](const Item& item) { return item.fate == Fate::byTool && item.tool == tool; });
        lines << LF("Removidos por %@ (não podem ser restaurados): %@", isolatedRun(tool, rightToLeft), amountText(byTool));
    }
    if (const FateTotal shared = totalOf(plan, Fate::shared); shared.count > 0)
        lines << LF("Passam a compartilhar o espaço da cópia mantida (todo nome continua no lugar): %@",
                    amountText(shared));
    if (const QStringList admin = adminGroups(plan); !admin.isEmpty())
        lines << LF("Com senha de administrador: %@", joinList(admin));
    lines << plan.alongside << plan.leftOut;
    return lines;
}

QString fateWord(const Item& item)
{
    switch (item.fate) {
    case Fate::deleted: return L("apagar");
    case Fate::trashed: return L("para a Lixeira");
    case Fate::byTool: return item.tool;
    case Fate::shared: return L("compartilhar");
    }
    return {};
}

std::vector<Row> rows(const Record& plan, std::size_t limit)
{
    std::vector<Row> list;
    for (const Item& item : plan.items) {
        if (list.size() >= limit)
            break;
        list.push_back({item.label, fateWord(item), item.sizeKnown ? Fmt::bytes(item.size) : L("Tamanho desconhecido"),
                        item.admin});
    }
    return list;
}

QStringList groupReport(const Outcome& outcome, const std::vector<GroupFreed>& measured)
{
    struct Sums {
        QString title;
        std::int64_t freed = 0;
        std::int64_t trashed = 0;
        std::int64_t left = 0;
    };
    std::vector<QString> order;
    std::map<QString, Sums> sums;
    for (std::size_t i = 0; i < outcome.plan.items.size(); ++i) {
        const Item& item = outcome.plan.items[i];
        if (!sums.count(item.group))
            order.push_back(item.group);
        Sums& sum = sums[item.group];
        sum.title = item.groupTitle;
        const Result result = i < outcome.results.size() ? outcome.results[i].result : Result::notRun;
        const std::int64_t size = item.sizeKnown ? item.size : 0;
        if (result != Result::done)
            ++sum.left;
        else if (item.fate == Fate::trashed)
            sum.trashed += size;
        else
            sum.freed += size;
    }
    QStringList lines;
    for (const QString& group : order) {
        const Sums& sum = sums[group];
        const auto found = std::find_if(measured.begin(), measured.end(),
                                        [&group](const GroupFreed& freed) { return freed.id == group; });
        if (found != measured.end()) {
            lines << Removal::groupReport({*found});
            continue;
        }
        QStringList parts;
        if (sum.freed > 0 || (sum.trashed == 0 && sum.left == 0))
            parts << LF("%@ liberados", Fmt::bytes(sum.freed));
        if (sum.trashed > 0)
            parts << LF("%@ na Lixeira", Fmt::bytes(sum.trashed));
        if (sum.left > 0)
            parts << LP(sum.left, "%ld não removidos", sum.left);
        lines << sum.title + QStringLiteral(": ") + joinList(parts);
    }
    return lines;
}

QStringList notDone(const Outcome& outcome)
{
    QStringList lines;
    for (std::size_t i = 0; i < outcome.plan.items.size() && i < outcome.results.size(); ++i) {
        const ItemResult& result = outcome.results[i];
        if (result.result == Result::done || result.result == Result::notRun)
            continue;
        const Item& item = outcome.plan.items[i];
        lines << item.label + (result.reason.isEmpty() ? QString() : QStringLiteral(": ") + result.reason);
    }
    return lines;
}

Report reportOf(const RemovalOutcome& outcome)
{
    Report report;
    report.groups = outcome.record ? groupReport(*outcome.record, outcome.systemGroups)
                                   : Removal::groupReport(outcome.systemGroups);
    if (outcome.record)
        report.problems << outcome.record->plan.leftOut;
    report.problems << outcome.held;
    if (!outcome.failures.empty())
        report.problems << Removal::failureMessage(outcome.failures, outcome.adminReason);
    else if (!outcome.adminReason.isEmpty() && outcome.freed + outcome.trashed == 0)
        report.problems << outcome.adminReason;
    return report;
}

} // namespace Plan
