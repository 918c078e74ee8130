#include "engines/junk/SnapshotStore.h"

#include <map>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringList>

#include "i18n/L.h"

namespace Snapshots {

namespace {

constexpr qint64 kYoungestOfferedSecs = 24 * 60 * 60;

int wholeNumber(const QJsonValue& value)
{
    const double number = value.toDouble(-1);
    return number >= 0 && number < 1e9 && number == double(int(number)) ? int(number) : -1;
}

std::optional<std::int64_t> bytesOf(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    return number >= 0 && number < 9.0e18 ? std::optional<std::int64_t>(std::int64_t(number)) : std::nullopt;
}

// A pre and a post snapshot of one configuration are partners.
QString pairKey(const Snapshot& snapshot)
{
    const int pre = snapshot.type == QLatin1String("post") ? snapshot.preNumber : snapshot.number;
    return snapshot.config + QLatin1Char('/') + QString::number(pre);
}

} // namespace

std::optional<std::vector<Snapshot>> parseSnapperList(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    std::vector<Snapshot> snapshots;
    const QJsonObject configs = document.object();
    for (auto config = configs.begin(); config != configs.end(); ++config) {
        if (!config->isArray())
            return std::nullopt;
        for (const QJsonValue& row : config->toArray()) {
            const QJsonObject object = row.toObject();
            Snapshot snapshot;
            snapshot.config = config.key();
            snapshot.number = wholeNumber(object.value(QLatin1String("number")));
            if (snapshot.number <= 0)
                continue;  // the live file system, or no number at all
            snapshot.subvolume = object.value(QLatin1String("subvolume")).toString();
            snapshot.type = object.value(QLatin1String("type")).toString();
            if (snapshot.type != QLatin1String("single") && snapshot.type != QLatin1String("pre")
                && snapshot.type != QLatin1String("post"))
                continue;
            snapshot.preNumber = std::max(0, wholeNumber(object.value(QLatin1String("pre-number"))));
            snapshot.date = QDateTime::fromString(object.value(QLatin1String("date")).toString(),
                                                  QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            snapshot.description = object.value(QLatin1String("description")).toString();
            snapshot.important = object.value(QLatin1String("userdata")).toObject().value(QLatin1String("important"))
                                     .toString() == QLatin1String("yes");
            snapshot.isDefault = object.value(QLatin1String("default")).toBool();
            snapshot.active = object.value(QLatin1String("active")).toBool();
            snapshot.exclusiveBytes = bytesOf(object.value(QLatin1String("used-space")));
            snapshots.push_back(std::move(snapshot));
        }
    }
    return snapshots;
}

std::optional<int> defaultSnapshot(const QString& getDefault)
{
    static const QRegularExpression path(QStringLiteral(R"(\bpath (?:@/)?\.snapshots/(\d{1,9})/snapshot\s*$)"));
    const QRegularExpressionMatch match = path.match(getDefault.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toInt();
}

std::vector<Verdict> judge(const std::vector<Snapshot>& snapshots, const std::map<QString, int>& defaults,
                           const QDateTime& now)
{
    std::map<QString, int> newest;  // by configuration
    for (const Snapshot& snapshot : snapshots)
        newest[snapshot.config] = std::max(newest[snapshot.config], snapshot.number);

    std::vector<Verdict> verdicts;
    for (const Snapshot& snapshot : snapshots) {
        QString why;
        if (snapshot.number == newest[snapshot.config])
            why = L("É o instantâneo mais recente");
        else if (snapshot.isDefault || snapshot.active
                 || (defaults.contains(snapshot.config) && defaults.at(snapshot.config) == snapshot.number))
            why = L("O sistema inicia ou roda a partir dele");
        else if (snapshot.important)
            why = L("Marcado como importante");
        else if (!snapshot.date.isValid() || snapshot.date.secsTo(now) < kYoungestOfferedSecs)
            why = L("Tem menos de um dia");
        verdicts.push_back({why.isEmpty(), why});
    }

    // A pre/post pair goes whole or not at all.
    std::map<QString, std::vector<std::size_t>> pairs;
    for (std::size_t i = 0; i < snapshots.size(); ++i)
        if (snapshots[i].type != QLatin1String("single"))
            pairs[pairKey(snapshots[i])].push_back(i);
    for (const auto& [key, members] : pairs) {
        bool whole = members.size() == 2;
        for (std::size_t i : members)
            whole = whole && verdicts[i].offered;
        if (whole)
            continue;
        for (std::size_t i : members)
            if (verdicts[i].offered)
                verdicts[i] = {false, L("Seu par antes/depois fica")};
    }
    return verdicts;
}

QByteArray snapperListJson(const std::vector<Snapshot>& snapshots)
{
    QJsonObject configs;
    for (const Snapshot& snapshot : snapshots) {
        QJsonObject row{{"subvolume", snapshot.subvolume},
                        {"number", snapshot.number},
                        {"default", snapshot.isDefault},
                        {"active", snapshot.active},
                        {"type", snapshot.type},
                        {"pre-number", snapshot.preNumber > 0 ? QJsonValue(snapshot.preNumber) : QJsonValue()},
                        {"date", snapshot.date.isValid() ? snapshot.date.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                                         : QString()},
                        {"used-space", snapshot.exclusiveBytes ? QJsonValue(qint64(*snapshot.exclusiveBytes)) : QJsonValue()},
                        {"description", snapshot.description},
                        {"userdata", snapshot.important ? QJsonValue(QJsonObject{{"important", "yes"}}) : QJsonValue()}};
        QJsonArray list = configs.value(snapshot.config).toArray();
        list.append(row);
        configs.insert(snapshot.config, list);
    }
    return QJsonDocument(configs).toJson(QJsonDocument::Compact);
}

} // namespace Snapshots
