#include "engines/removal/PlanJson.h"

#include <QByteArray>

#include "platform/FS.h"

namespace Plan {

namespace {

constexpr NameTable<Fate, 4> kFates{{
    {Fate::deleted, "deleted"},
    {Fate::trashed, "trashed"},
    {Fate::byTool, "byTool"},
    {Fate::shared, "shared"},
}};

constexpr NameTable<Result, 5> kResults{{
    {Result::notRun, "notRun"},
    {Result::done, "done"},
    {Result::failed, "failed"},
    {Result::held, "held"},
    {Result::gone, "gone"},
}};

} // namespace

QString fateName(Fate fate) { return nameIn(kFates, fate); }
std::optional<Fate> fateNamed(const QString& name) { return valueIn(kFates, name); }
QString resultName(Result result) { return nameIn(kResults, result); }
std::optional<Result> resultNamed(const QString& name) { return valueIn(kResults, name); }

void insertPath(QJsonObject& row, const QString& key, const std::filesystem::path& path)
{
    if (path.empty())
        return;
    const QByteArray bytes = QByteArray::fromStdString(path.native());
    if (FS::isUtf8(bytes)) {
        row.insert(key, QString::fromUtf8(bytes));
        return;
    }
    row.insert(key, QString::fromLatin1(bytes.toPercentEncoding("/")));
    row.insert(key + QStringLiteral("Encoded"), true);
}

std::filesystem::path pathAt(const QJsonObject& row, const QString& key)
{
    const QString text = row.value(key).toString();
    if (row.value(key + QStringLiteral("Encoded")).toBool())
        return QByteArray::fromPercentEncoding(text.toLatin1()).toStdString();
    return text.toUtf8().toStdString();
}

QJsonObject itemJson(const Item& item)
{
    QJsonObject row{{"label", item.label},
                    {"group", item.group},
                    {"size", item.sizeKnown ? QJsonValue(qint64(item.size)) : QJsonValue()},
                    {"fate", fateName(item.fate)},
                    {"admin", item.admin},
                    {"restorable", item.restorable()}};
    insertPath(row, QStringLiteral("path"), item.path);
    if (!item.tool.isEmpty())
        row.insert("tool", item.tool);
    return row;
}

QJsonObject itemJson(const Item& item, const ItemResult& result)
{
    QJsonObject row = itemJson(item);
    row.insert("result", resultName(result.result));
    if (!result.reason.isEmpty())
        row.insert("reason", result.reason);
    if (!result.trashedAs.empty()) {
        // trashedAs is <trash>/files/<entry>
        insertPath(row, QStringLiteral("trash"), result.trashedAs.parent_path().parent_path());
        insertPath(row, QStringLiteral("entry"), result.trashedAs.filename());
        if (!result.deletionDate.isEmpty())
            row.insert("deletionDate", result.deletionDate);
        if (result.trashedFrom != item.path)
            insertPath(row, QStringLiteral("trashedFrom"), result.trashedFrom);
        if (item.identity) {
            // As text: JSON numbers lose precision beyond 2^53.
            row.insert("device", QString::number(item.identity->device));
            row.insert("inode", QString::number(item.identity->inode));
        }
    }
    return row;
}

QJsonArray itemsJson(const Record& plan)
{
    QJsonArray items;
    for (const Item& item : plan.items)
        items.append(itemJson(item));
    return items;
}

QJsonArray itemsJson(const Outcome& outcome)
{
    QJsonArray items;
    for (std::size_t i = 0; i < outcome.plan.items.size(); ++i)
        items.append(itemJson(outcome.plan.items[i], i < outcome.results.size() ? outcome.results[i] : ItemResult{}));
    return items;
}

std::optional<ItemWithResult> itemFromJson(const QJsonObject& row)
{
    const std::optional<Fate> fate = fateNamed(row.value("fate").toString());
    const std::optional<Result> result = resultNamed(row.value("result").toString());
    if (!row.value("label").isString() || !fate || !result)
        return std::nullopt;
    ItemWithResult read;
    Item& item = read.item;
    item.label = row.value("label").toString();
    item.group = row.value("group").toString();
    item.path = pathAt(row, QStringLiteral("path"));
    item.sizeKnown = row.value("size").isDouble();
    item.size = row.value("size").toInteger();
    item.fate = *fate;
    item.tool = row.value("tool").toString();
    item.admin = row.value("admin").toBool();
    read.result.result = *result;
    read.result.reason = row.value("reason").toString();
    const std::filesystem::path trash = pathAt(row, QStringLiteral("trash"));
    const std::filesystem::path entry = pathAt(row, QStringLiteral("entry"));
    if (!trash.empty() && !entry.empty()) {
        read.result.trashedAs = trash / "files" / entry;
        read.result.deletionDate = row.value("deletionDate").toString();
        read.result.trashedFrom = row.contains("trashedFrom") ? pathAt(row, QStringLiteral("trashedFrom")) : item.path;
    }
    if (row.contains("device") || row.contains("inode"))
        item.identity = Identity{row.value("device").toString().toULongLong(), row.value("inode").toString().toULongLong()};
    return read;
}

} // namespace Plan
