#pragma once
// Putting back what a removal moved to the Trash, from its history record:
// which items of a record an address names, whether each can go back, and
// putting it back. The checks on the disk are platform/TrashRestore's.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include <QJsonObject>
#include <QString>

#include "engines/records/Plan.h"
#include "engines/removal/HistoryRecord.h"
#include "platform/TrashRestore.h"

namespace Restore {

using State = TrashRestore::State;
using Check = TrashRestore::Check;
using Done = TrashRestore::Done;

// Whether the record says the item went to the Trash: moved there (done),
// with the entry it became.
bool inTrash(const Plan::Item& item, const Plan::ItemResult& result);

// Where the item stands now (cheap: a few stat calls and one .trashinfo
// read); an item the record does not show in the Trash is refused, saying why.
Check check(const Plan::Item& item, const Plan::ItemResult& result);

// Puts the item back at its original path, or beside it under `otherName`
// when that is occupied; refused, with nothing changed, when check() does
// not allow it.
Done run(const Plan::Item& item, const Plan::ItemResult& result, const std::optional<std::string>& otherName = {});

// An address of history items: "ID" (every item of the record that went to
// the Trash) or "ID.N" (its N-th item, counted from 1).
struct Address {
    QString id;
    int item = 0;  // 0: the whole record
};
// The address written as text; nothing when it is not one.
std::optional<Address> parseAddress(const QString& text);

// The record an address names among the history's objects (as
// HistoryFile::read gives them) and the indexes of its items it names. For a
// whole record, only the items in the Trash (possibly none). Nothing, with
// `problem` saying why, for a malformed address, an id no record has, or an
// item number the record does not have.
struct Addressed {
    History::Entry entry;
    std::vector<std::size_t> items;
};
std::optional<Addressed> find(const QString& address, const std::vector<QJsonObject>& records, QString& problem);

} // namespace Restore
