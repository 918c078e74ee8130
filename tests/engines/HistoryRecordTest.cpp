// A removal's history record: written and read back byte for byte (names that
// are not UTF-8, names with a newline), what is not history, what is not a record.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>

#include "engines/removal/HistoryRecord.h"

namespace {

Plan::Item itemOf(std::string path, Plan::Fate fate, std::int64_t size)
{
    Plan::Item item;
    item.group = QStringLiteral("installers");
    item.path = path;
    item.label = QString::fromStdString(path);
    item.fate = fate;
    item.size = size;
    return item;
}

// A Trash move of a name that is not UTF-8, a name with a newline deleted
// for good with its size unknown, and a package cleaned by its tool that failed.
RemovalOutcome sampleOutcome()
{
    Plan::Record plan;
    plan.action = QStringLiteral("clean");
    plan.items = {itemOf("/home/a/caf\xe9.iso", Plan::Fate::trashed, 4096),
                  itemOf("/home/a/two\nlines", Plan::Fate::deleted, 0),
                  itemOf("", Plan::Fate::byTool, 9000)};
    plan.items[0].identity = Plan::Identity{2049, 0xFFFFFFFFFFFF0001ULL};
    plan.items[1].sizeKnown = false;
    plan.items[2].label = QStringLiteral("apt cache");
    plan.items[2].tool = QStringLiteral("apt-get clean");
    plan.items[2].admin = true;
    RemovalOutcome outcome;
    outcome.record = Plan::Outcome::of(plan, Plan::Origin::cli);
    outcome.record->results[0] = {Plan::Result::done, {}, "/home/a/.local/share/Trash/files/caf\xe9.2.iso",
                                  QStringLiteral("2025-03-12T15:05:08"), "/var/home/a/caf\xe9.iso"};
    outcome.record->results[1] = {Plan::Result::gone, {}, {}};
    outcome.record->results[2] = {Plan::Result::failed, QStringLiteral("the prompt was dismissed"), {}};
    outcome.freed = 0;
    outcome.trashed = 4096;
    return outcome;
}

} // namespace

TEST(HistoryRecord, ReadsBackWhatItWroteByteForByte)
{
    const QDateTime when(QDate(2025, 3, 12), QTime(14, 5, 9), Qt::UTC);
    std::optional<History::Entry> entry = History::entryOf(sampleOutcome(), when);
    ASSERT_TRUE(entry);
    entry->id = QStringLiteral("3fa2c91e");
    const QByteArray line = QJsonDocument(History::toJson(*entry)).toJson(QJsonDocument::Compact);
    EXPECT_FALSE(line.contains('\n'));
    EXPECT_TRUE(line.contains("\"time\":\"2025-03-12T14:05:09Z\"")) << line.constData();
    EXPECT_TRUE(line.contains("\"path\":\"/home/a/caf%E9.iso\",\"pathEncoded\":true")) << line.constData();

    const std::optional<History::Entry> back = History::fromJson(QJsonDocument::fromJson(line).object());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->time, when);
    EXPECT_EQ(back->id, "3fa2c91e");
    EXPECT_EQ(back->outcome.origin, Plan::Origin::cli);
    EXPECT_EQ(back->outcome.plan.action, "clean");
    EXPECT_EQ(back->trashed, 4096);
    const RemovalOutcome original = sampleOutcome();
    ASSERT_EQ(back->outcome.plan.items.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const Plan::Item& a = original.record->plan.items[i];
        const Plan::Item& b = back->outcome.plan.items[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(b.path, a.path);
        EXPECT_EQ(b.label, a.label);
        EXPECT_EQ(b.group, a.group);
        EXPECT_EQ(b.fate, a.fate);
        EXPECT_EQ(b.sizeKnown, a.sizeKnown);
        if (a.sizeKnown) {
            EXPECT_EQ(b.size, a.size);
        }
        EXPECT_EQ(b.tool, a.tool);
        EXPECT_EQ(b.admin, a.admin);
        EXPECT_EQ(back->outcome.results[i].result, original.record->results[i].result);
        EXPECT_EQ(back->outcome.results[i].reason, original.record->results[i].reason);
        EXPECT_EQ(back->outcome.results[i].trashedAs, original.record->results[i].trashedAs);
        EXPECT_EQ(back->outcome.results[i].deletionDate, original.record->results[i].deletionDate);
        EXPECT_EQ(back->outcome.results[i].trashedFrom, original.record->results[i].trashedFrom);
    }
    // the Trash move keeps the device and inode it had (beyond what a JSON number holds exactly)
    ASSERT_TRUE(back->outcome.plan.items[0].identity);
    EXPECT_EQ(back->outcome.plan.items[0].identity->device, 2049u);
    EXPECT_EQ(back->outcome.plan.items[0].identity->inode, 0xFFFFFFFFFFFF0001ULL);
}

TEST(HistoryRecord, OnlyARemovalThatRanIsHistory)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    RemovalOutcome none = sampleOutcome();
    for (Plan::ItemResult& result : none.record->results)
        result = {};
    EXPECT_FALSE(History::entryOf(none, now));  // every item "not run": a refused plan, a dismissed prompt
    none.record.reset();
    EXPECT_FALSE(History::entryOf(none, now));  // no plan: nothing to record
}

TEST(HistoryRecord, WhatIsNotARecordOfThisVersionIsRefused)
{
    const QJsonObject good = History::toJson(*History::entryOf(sampleOutcome(), QDateTime::currentDateTimeUtc()));
    ASSERT_TRUE(History::fromJson(good));
    const auto changed = [&good](const char* key, const QJsonValue& value) {
        QJsonObject object = good;
        object.insert(key, value);
        return object;
    };
    QJsonArray badItems = good["items"].toArray();
    QJsonObject badItem = badItems[0].toObject();
    badItem.insert("fate", "melted");
    badItems[0] = badItem;
    for (const QJsonObject& object : {changed("v", 2), changed("v", "1"), changed("action", ""), changed("origin", "moon"),
                                      changed("time", "yesterday"), changed("items", 3), changed("items", badItems)})
        EXPECT_FALSE(History::fromJson(object)) << QJsonDocument(object).toJson(QJsonDocument::Compact).constData();
}
