#include "app/HistoryState.h"

#include "app/ShellState.h"
#include "engines/removal/HistoryText.h"
#include "engines/removal/PlanText.h"
#include "engines/removal/Restore.h"
#include "i18n/L.h"
#include "i18n/ShownText.h"
#include "platform/Background.h"
#include "platform/FS.h"
#include "platform/Fmt.h"
#include "platform/HistoryFile.h"

namespace {

std::vector<History::Entry> readEntries()
{
    std::vector<History::Entry> entries;
    const HistoryFile::Reading reading = HistoryFile::read(HistoryFile::Limits{}.records);
    for (const QJsonObject& record : reading.records)
        if (std::optional<History::Entry> entry = History::fromJson(record))
            entries.push_back(std::move(*entry));
    return entries;
}

int restorableCount(const History::Entry& entry)
{
    int count = 0;
    for (std::size_t i = 0; i < entry.outcome.plan.items.size(); ++i)
        if (Restore::inTrash(entry.outcome.plan.items[i], entry.outcome.results[i]))
            ++count;
    return count;
}

// The word the view keys a restore's state by.
QString stateName(Restore::State state)
{
    switch (state) {
    case Restore::State::available: return QStringLiteral("available");
    case Restore::State::occupied: return QStringLiteral("occupied");
    case Restore::State::gone: return QStringLiteral("gone");
    case Restore::State::unmounted: return QStringLiteral("unmounted");
    case Restore::State::notOurs: return QStringLiteral("notOurs");
    case Restore::State::refused: return QStringLiteral("refused");
    }
    return {};
}

QVariantMap rowOf(const History::Entry& entry, int index)
{
    const Plan::Outcome& outcome = entry.outcome;
    return {
        // the time and the place in the list: two records never share both
        {"key", entry.time.toString(Qt::ISODateWithMs) + QLatin1Char('#') + QString::number(index)},
        {"when", History::whenText(entry.time)},
        {"origin", History::originWord(outcome.origin)},
        {"action", History::actionWord(outcome.plan.action)},
        {"count", LP(qint64(outcome.plan.items.size()), "%ld itens", qint64(outcome.plan.items.size()))},
        {"freed", entry.freed > 0 || entry.trashed <= 0 ? LF("%@ liberados", Fmt::bytes(entry.freed)) : QString()},
        {"trashed", entry.trashed > 0 ? LF("%@ na Lixeira", Fmt::bytes(entry.trashed)) : QString()},
        {"restorable", restorableCount(entry)},
    };
}

} // namespace

HistoryState::HistoryState(ShellState& shell, QObject* parent)
    : QObject(parent), OneInstance(this), shell_(shell),
      recordModel_(new RecordListModel({"key", "when", "origin", "action", "count", "freed", "trashed", "restorable"},
                                       "key", this))
{
    // Choosing a section leaves the history.
    connect(&shell_, &ShellState::sectionChanged, this, &HistoryState::close);
}

void HistoryState::open()
{
    assign(shown_, true, &HistoryState::shownChanged);
    reload();
}

void HistoryState::close() { assign(shown_, false, &HistoryState::shownChanged); }

void HistoryState::reload()
{
    assign(loading_, true, &HistoryState::loadingChanged);
    Background::run(this, readEntries, [this](std::vector<History::Entry> entries) { publish(std::move(entries)); });
}

void HistoryState::publish(std::vector<History::Entry> entries)
{
    entries_ = std::move(entries);
    QList<QVariantMap> rows;
    rows.reserve(qsizetype(entries_.size()));
    for (std::size_t i = 0; i < entries_.size(); ++i)
        rows.append(rowOf(entries_[i], int(i)));
    recordModel_->setRows(std::move(rows));
    assign(loading_, false, &HistoryState::loadingChanged);
}

QVariantList HistoryState::items(int row) const
{
    QVariantList items;
    if (row < 0 || std::size_t(row) >= entries_.size())
        return items;
    const Plan::Outcome& outcome = entries_[std::size_t(row)].outcome;
    for (std::size_t i = 0; i < outcome.plan.items.size(); ++i) {
        const Plan::Item& item = outcome.plan.items[i];
        const Plan::ItemResult& result = outcome.results[i];
        QVariantMap shown{{"label", item.label},
                          {"fate", Plan::fateWord(item)},
                          {"result", History::resultWord(result.result)},
                          {"reason", result.reason},
                          {"size", item.sizeKnown ? Fmt::bytes(item.size) : QString()},
                          {"restoreState", QString()},
                          {"restoreReason", QString()}};
        // What was put back from here says where it went; only what went to
        // the Trash is looked for there, and only when its record is opened.
        if (const auto done = restoredTo_.find(restoreKey(row, int(i))); done != restoredTo_.end()) {
            shown.insert("restoreState", QStringLiteral("restored"));
            shown.insert("restoreReason", LF("Restaurado em %@", shownRun(FS::pretty(done->second))));
        } else if (Restore::inTrash(item, result)) {
            const Restore::Check check = Restore::check(item, result);
            shown.insert("restoreState", stateName(check.state));
            shown.insert("restoreReason", check.reason);
        }
        items.append(shown);
    }
    return items;
}

QString HistoryState::restore(int row, int item, const QString& otherName)
{
    if (row < 0 || std::size_t(row) >= entries_.size())
        return {};
    const Plan::Outcome& outcome = entries_[std::size_t(row)].outcome;
    if (item < 0 || std::size_t(item) >= outcome.plan.items.size())
        return {};
    std::optional<std::string> name;
    if (!otherName.isEmpty())
        name = otherName.toUtf8().toStdString();
    const Restore::Done done = Restore::run(outcome.plan.items[std::size_t(item)], outcome.results[std::size_t(item)], name);
    if (done.ok)
        restoredTo_[restoreKey(row, item)] = done.restoredAt;
    emit itemsChanged(row);
    return done.ok ? QString() : done.reason;
}

QString HistoryState::restoreKey(int row, int item) const
{
    // by the record's time and id, which stay when the history is read again
    const History::Entry& entry = entries_[std::size_t(row)];
    return entry.time.toString(Qt::ISODateWithMs) + QLatin1Char(' ') + entry.id + QLatin1Char('.') + QString::number(item);
}
