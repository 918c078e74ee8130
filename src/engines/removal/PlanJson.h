#pragma once
// The one JSON form of a plan's items, and of an item with what happened to
// it: the command line prints it and the removal history stores it.
#include <array>
#include <filesystem>
#include <optional>
#include <utility>

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include "engines/records/Plan.h"

namespace Plan {

// The words of fates and results in JSON ("trashed", "done"…), and back;
// nothing for a word that is none of them.
// A table of an enumeration's names in JSON: the name of a value, and the
// value a name stands for (nothing for a name not in the table).
template <typename E, std::size_t N>
using NameTable = std::array<std::pair<E, const char*>, N>;
template <typename E, std::size_t N>
QString nameIn(const NameTable<E, N>& table, E value)
{
    for (const auto& [entry, name] : table)
        if (entry == value)
            return QString::fromLatin1(name);
    return {};
}
template <typename E, std::size_t N>
std::optional<E> valueIn(const NameTable<E, N>& table, const QString& name)
{
    for (const auto& [entry, word] : table)
        if (name == QLatin1String(word))
            return entry;
    return std::nullopt;
}

QString fateName(Fate fate);
std::optional<Fate> fateNamed(const QString& name);
QString resultName(Result result);
std::optional<Result> resultNamed(const QString& name);

// A path under `key`: as text when its bytes are valid UTF-8, else
// percent-encoded byte by byte as .trashinfo files write it (unreserved
// characters and "/" kept) with `<key>Encoded: true` beside it, so that every
// name reads back byte for byte. Nothing is written for an empty path.
void insertPath(QJsonObject& row, const QString& key, const std::filesystem::path& path);
// The path written by insertPath; empty when there is none.
std::filesystem::path pathAt(const QJsonObject& row, const QString& key);

// {label, path, group, size (null when unknown), fate, tool, admin, restorable}.
QJsonObject itemJson(const Item& item);
// The same with {result, reason} and, for a Trash move, the Trash folder
// (`trash`, holding files/ and info/), the entry's name in it (`entry`), the
// `device` and `inode` the item had, the `deletionDate` its .trashinfo was
// written with and, when its .trashinfo names another path than `path`
// (a link on the way), that path as `trashedFrom`.
QJsonObject itemJson(const Item& item, const ItemResult& result);

// Each item of the plan (itemJson).
QJsonArray itemsJson(const Record& plan);
// Each item of the outcome with its result.
QJsonArray itemsJson(const Outcome& outcome);

// An item and its result read back from the second form; nothing when the
// row is not one (no label, an unknown fate or result).
struct ItemWithResult {
    Item item;
    ItemResult result;
};
std::optional<ItemWithResult> itemFromJson(const QJsonObject& row);

} // namespace Plan
