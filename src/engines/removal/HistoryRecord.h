#pragma once
// One removal as the history keeps it: when it ran, where from, and its plan
// with what happened to each item. Stored as one JSON object a line
// (platform/HistoryFile); these are the pure conversions both ways.
#include <cstdint>
#include <optional>

#include <QDateTime>
#include <QJsonObject>
#include <QSet>

#include "engines/records/Plan.h"
#include "engines/records/Removal.h"

namespace History {

struct Entry {
    QDateTime time;          // when it finished, in UTC
    Plan::Outcome outcome;   // the plan, each item's result, the origin
    std::int64_t freed = 0;  // deleted for good
    std::int64_t trashed = 0;  // moved to the Trash
    // Short and unique within the history file (8 lowercase hex digits);
    // empty for records written before records had one, which cannot be
    // put back by id.
    QString id{};
};

// The entry for a finished removal, or nothing when it is not history: made
// without a plan, or not one item was reached (a refused plan, a prompt
// dismissed before anything ran).
std::optional<Entry> entryOf(const RemovalOutcome& outcome, const QDateTime& finishedAt);

// {v, id, time, origin, action, items, freed, trashed}; the items in Plan::itemsJson's form.
QJsonObject toJson(const Entry& entry);
// The entry back; nothing when the object is not one (another format
// version, no action, a row that is not an item).
std::optional<Entry> fromJson(const QJsonObject& object);

// Appends the finished removal's entry (entryOf, now) to the history file
// with an id no record of the file has, and returns the record written;
// nothing when it is not history or could not be written.
std::optional<QJsonObject> keep(const RemovalOutcome& outcome);

// A fresh record id (8 lowercase hex digits from the system's random
// source) that is none of `taken`.
QString newId(const QSet<QString>& taken);

// The origin's word in the record ("window", "cli").
QString originName(Plan::Origin origin);

} // namespace History
