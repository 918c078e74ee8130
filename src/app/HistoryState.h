#pragma once
// The removal history as the window shows it: opened from the sidebar's freed
// total, the records newest first, each one's items on demand (with whether
// each can still be put back from the Trash), and the restore itself.
#include <filesystem>
#include <map>
#include <vector>

#include <QObject>
#include <QString>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include "app/OneInstance.h"
#include "app/RecordListModel.h"
#include "engines/removal/HistoryRecord.h"

class ShellState;

class HistoryState : public QObject, public OneInstance<HistoryState> {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

    Q_PROPERTY(bool shown READ shown NOTIFY shownChanged)
    Q_PROPERTY(bool loading READ loading NOTIFY loadingChanged)
    // One row a record: {key, when, origin, action, count, freed, trashed, restorable}.
    Q_PROPERTY(RecordListModel* recordModel READ recordModel CONSTANT)

public:
    explicit HistoryState(ShellState& shell, QObject* parent = nullptr);

    bool shown() const { return shown_; }
    bool loading() const { return loading_; }
    RecordListModel* recordModel() const { return recordModel_; }

    // Shows the history over the current page (and reads it again).
    Q_INVOKABLE void open();
    Q_INVOKABLE void close();
    // Reads the file again (on the pool).
    Q_INVOKABLE void reload();

    // The items of the record at `row`: {label, fate, result, reason, size,
    // restorable, restoreState, restoreReason}; restoreState is "available",
    // "occupied" (put back only under another name), "restored" (from here,
    // the reason saying where to), or another reason it cannot be ("" for
    // what never was in the Trash).
    Q_INVOKABLE QVariantList items(int row) const;
    // Puts item `item` of the record at `row` back at its place (or under
    // `otherName` beside it); empty when done (its row then says where to),
    // else why not.
    Q_INVOKABLE QString restore(int row, int item, const QString& otherName = {});

    const std::vector<History::Entry>& entries() const { return entries_; }

signals:
    void shownChanged();
    void loadingChanged();
    // The items of a record changed (something was put back).
    void itemsChanged(int row);

private:
    void publish(std::vector<History::Entry> entries);
    QString restoreKey(int row, int item) const;

    ShellState& shell_;
    RecordListModel* recordModel_;
    std::vector<History::Entry> entries_;
    // Where each item put back while the window is open went (by restoreKey).
    std::map<QString, std::filesystem::path> restoredTo_;
    bool shown_ = false;
    bool loading_ = false;
};
