#include "engines/removal/Restore.h"

#include <QRegularExpression>

#include "i18n/L.h"

namespace Restore {

namespace {

// The entry the record names, as the platform checks it.
TrashRestore::Entry entryOf(const Plan::Item& item, const Plan::ItemResult& result)
{
    TrashRestore::Entry entry;
    entry.trashedAs = result.trashedAs;
    entry.deletionDate = result.deletionDate;
    entry.original = result.trashedFrom.empty() ? item.path : result.trashedFrom;
    if (item.identity) {
        entry.device = item.identity->device;
        entry.inode = item.identity->inode;
    }
    return entry;
}

// Why an item the record does not show in the Trash cannot go back.
QString notInTrash(const Plan::Item& item)
{
    return item.fate == Plan::Fate::deleted ? L("Foi apagado para sempre.") : L("Não foi para a Lixeira.");
}

} // namespace

bool inTrash(const Plan::Item& item, const Plan::ItemResult& result)
{
    return item.fate == Plan::Fate::trashed && result.result == Plan::Result::done && !result.trashedAs.empty();
}

Check check(const Plan::Item& item, const Plan::ItemResult& result)
{
    if (!inTrash(item, result))
        return {State::refused, notInTrash(item), {}};
    if (!item.identity)
        return {State::refused, L("O histórico não diz o bastante sobre esta entrada da Lixeira para restaurá-la."), {}};
    return TrashRestore::check(entryOf(item, result));
}

Done run(const Plan::Item& item, const Plan::ItemResult& result, const std::optional<std::string>& otherName)
{
    if (!inTrash(item, result) || !item.identity)
        return {false, check(item, result).reason, {}};
    return TrashRestore::restore(entryOf(item, result), otherName);
}

std::optional<Address> parseAddress(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^([0-9a-f]{1,16})(?:\\.([1-9][0-9]{0,8}))?$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return Address{match.captured(1).toLower(), match.captured(2).isEmpty() ? 0 : match.captured(2).toInt()};
}

std::optional<Addressed> find(const QString& address, const std::vector<QJsonObject>& records, QString& problem)
{
    const std::optional<Address> parsed = parseAddress(address);
    if (!parsed) {
        problem = LF("“%@” não é o id de um registro do histórico (como 3fa2c91e, ou 3fa2c91e.2 para o seu segundo item)", address);
        return std::nullopt;
    }
    for (const QJsonObject& record : records) {
        if (record.value("id").toString() != parsed->id)
            continue;
        std::optional<History::Entry> entry = History::fromJson(record);
        if (!entry)
            break;
        Addressed found{std::move(*entry), {}};
        const Plan::Outcome& outcome = found.entry.outcome;
        if (parsed->item > 0) {
            if (std::size_t(parsed->item) > outcome.plan.items.size()) {
                problem = LF("o registro %@ não tem o item %@", parsed->id, QString::number(parsed->item));
                return std::nullopt;
            }
            found.items.push_back(std::size_t(parsed->item) - 1);
            return found;
        }
        for (std::size_t i = 0; i < outcome.plan.items.size(); ++i)
            if (inTrash(outcome.plan.items[i], outcome.results[i]))
                found.items.push_back(i);
        return found;
    }
    problem = LF("não há registro com o id %@ no histórico", parsed->id);
    return std::nullopt;
}

} // namespace Restore
