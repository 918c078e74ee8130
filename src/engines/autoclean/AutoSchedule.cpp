#include "engines/autoclean/AutoSchedule.h"

#include "engines/removal/HistoryText.h"
#include "engines/removal/PlanJson.h"
#include "i18n/L.h"

namespace AutoClean {

namespace {

constexpr Plan::NameTable<Interval, 4> kIntervals{{
    {Interval::off, "off"},
    {Interval::daily, "daily"},
    {Interval::weekly, "weekly"},
    {Interval::monthly, "monthly"},
}};

} // namespace

QDateTime nextDue(Interval interval, const QDateTime& last, std::optional<int> shortened)
{
    if (shortened && interval != Interval::off)
        return last.addSecs(*shortened);
    switch (interval) {
    case Interval::daily: return last.addDays(1);
    case Interval::weekly: return last.addDays(7);
    case Interval::monthly: return last.addMonths(1);
    case Interval::off: break;
    }
    return {};
}

std::optional<int> shortenedInterval()
{
    bool number = false;
    const int seconds = qEnvironmentVariableIntValue("QUILLMOOR_AUTO_CLEAN_EVERY", &number);
    if (!number || seconds < 60)
        return std::nullopt;
    return seconds;
}

Decision decide(Interval interval, const std::optional<QDateTime>& last, const QDateTime& now, Power power,
                bool otherRunHoldsLock, bool ifDue, std::optional<int> shortened)
{
    if (ifDue && interval == Interval::off)
        return {false, L("A limpeza automática está desligada.")};
    if (otherRunHoldsLock)
        return {false, L("Outra limpeza do Quillmoor está em andamento.")};
    if (power.onBattery && power.level < kLowestBattery)
        return {false, LF("Na bateria com menos de %ld%%.", kLowestBattery)};
    if (!ifDue || !last || !last->isValid() || now < *last)
        return {true, {}};
    const QDateTime due = nextDue(interval, *last, shortened);
    if (now < due)
        return {false, LF("A próxima limpeza automática é em %@.", History::whenText(due))};
    return {true, {}};
}

QString intervalName(Interval interval) { return Plan::nameIn(kIntervals, interval); }

Interval intervalFrom(const QString& name) { return Plan::valueIn(kIntervals, name).value_or(Interval::off); }

} // namespace AutoClean
