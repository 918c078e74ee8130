#include "app/RecordListModel.h"

RecordListModel::RecordListModel(QStringList roles, QString idRole, QObject* parent)
    : QAbstractListModel(parent), roles_(std::move(roles)), idRole_(std::move(idRole))
{
}

int RecordListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const
{
    const int column = role - Qt::UserRole;
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)
        || column < 0 || column >= roles_.size())
        return {};
    return rows_.at(index.row()).value(roles_.at(column));
}

QHash<int, QByteArray> RecordListModel::roleNames() const
{
    QHash<int, QByteArray> names;
    for (int i = 0; i < roles_.size(); ++i)
        names.insert(Qt::UserRole + i, roles_.at(i).toUtf8());
    return names;
}

void RecordListModel::setRows(QList<QVariantMap> rows)
{
    bool sameRecords = rows.size() == rows_.size();
    for (qsizetype i = 0; sameRecords && i < rows.size(); ++i)
        sameRecords = rows.at(i).value(idRole_) == rows_.at(i).value(idRole_);

    if (!sameRecords) {
        beginResetModel();
        const bool countChanges = rows.size() != rows_.size();
        rows_ = std::move(rows);
        endResetModel();
        if (countChanges)
            emit countChanged();
        return;
    }
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows.at(i) == rows_.at(i))
            continue;
        rows_[i] = rows.at(i);
        emit dataChanged(index(int(i)), index(int(i)));
    }
}

QVariantMap RecordListModel::get(int row) const
{
    return row >= 0 && row < rows_.size() ? rows_.at(row) : QVariantMap();
}
