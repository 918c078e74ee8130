#include "engines/removal/HistoryRecord.h"

#include <algorithm>

#include <QJsonArray>
#include <QRandomGenerator>

#include "engines/removal/PlanJson.h"
#include "platform/HistoryFile.h"

namespace History {

namespace {

constexpr Plan::NameTable<Plan::Origin, 3> kOrigins{{
    {Plan::Origin::window, "window"},
    {Plan::Origin::cli, "cli"},
    {Plan::Origin::automatic, "auto"},
}};

} // namespace

QString originName(Plan::Origin origin) { return Plan::nameIn(kOrigins, origin); }

std::optional<Entry> entryOf(const RemovalOutcome& outcome, const QDateTime& finishedAt)
{
    if (!outcome.record)
        return std::nullopt;
    const std::vector<Plan::ItemResult>& results = outcome.record->results;
    const bool ran = std::any_of(results.begin(), results.end(),
                                 [](const Plan::ItemResult& r) { return r.result != Plan::Result::notRun; });
    if (!ran)
        return std::nullopt;
    return Entry{finishedAt.toUTC(), *outcome.record, outcome.freed, outcome.trashed};
}

QString newId(const QSet<QString>& taken)
{
    for (;;) {
        const QString id = QStringLiteral("%1").arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
        if (!taken.contains(id))
            return id;
    }
}

std::optional<QJsonObject> keep(const RemovalOutcome& outcome)
{
    std::optional<Entry> entry = entryOf(outcome, QDateTime::currentDateTimeUtc());
    if (!entry)
        return std::nullopt;
    QSet<QString> taken;
    for (const QJsonObject& record : HistoryFile::read(HistoryFile::Limits{}.records).records)
        taken.insert(record.value("id").toString());
    entry->id = newId(taken);
    const QJsonObject record = toJson(*entry);
    if (!HistoryFile::append(record))
        return std::nullopt;
    return record;
}

QJsonObject toJson(const Entry& entry)
{
    QJsonObject object{{"v", HistoryFile::kFormatVersion},
                      {"time", entry.time.toUTC().toString(Qt::ISODate)},
                      {"origin", originName(entry.outcome.origin)},
                      {"action", entry.outcome.plan.action},
                      {"items", Plan::itemsJson(entry.outcome)},
                      {"freed", qint64(entry.freed)},
                      {"trashed", qint64(entry.trashed)}};
    if (!entry.id.isEmpty())
        object.insert("id", entry.id);
    return object;
}

std::optional<Entry> fromJson(const QJsonObject& object)
{
    const std::optional<Plan::Origin> origin = Plan::valueIn(kOrigins, object.value("origin").toString());
    const QDateTime time = QDateTime::fromString(object.value("time").toString(), Qt::ISODate);
    if (object.value("v").toInt() != HistoryFile::kFormatVersion || !origin || !time.isValid()
        || object.value("action").toString().isEmpty() || !object.value("items").isArray())
        return std::nullopt;
    Entry entry;
    entry.id = object.value("id").toString();
    entry.time = time.toUTC();
    entry.outcome.origin = *origin;
    entry.outcome.plan.action = object.value("action").toString();
    for (const QJsonValue& value : object.value("items").toArray()) {
        std::optional<Plan::ItemWithResult> row = Plan::itemFromJson(value.toObject());
        if (!row)
            return std::nullopt;
        entry.outcome.plan.items.push_back(std::move(row->item));
        entry.outcome.results.push_back(std::move(row->result));
    }
    entry.freed = object.value("freed").toInteger();
    entry.trashed = object.value("trashed").toInteger();
    return entry;
}

} // namespace History
