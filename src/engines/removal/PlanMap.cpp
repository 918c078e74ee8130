#include "engines/removal/PlanMap.h"

#include <QVariantList>

#include "engines/removal/PlanText.h"
#include "i18n/Lang.h"

QVariantMap planMap(const Plan::Record& plan, const QString& heading)
{
    QVariantList rows;
    for (const Plan::Row& row : Plan::rows(plan, kPlanRowsShown))
        rows.append(QVariantMap{{"label", row.label}, {"fate", row.fate}, {"size", row.size}, {"admin", row.admin}});
    const qint64 count = qint64(plan.items.size());
    return QVariantMap{
        {"heading", heading},
        // sizes and commands keep their own order in a right-to-left window
        {"lines", Plan::summaryLines(plan, appLayoutDirection() == Qt::RightToLeft)},
        {"rows", rows},
        {"count", count},
        {"more", count - qint64(rows.size())},
        {"admin", Plan::anyAdmin(plan)},
        {"total", qint64(Plan::totalBytes(plan))},
        {"refusal", plan.refusal},
    };
}
