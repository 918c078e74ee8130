#include "AppFilterModel.h"

#include "engines/apps/Apps.h"

AppFilterModel::AppFilterModel(QObject* parent)
    : QSortFilterProxyModel(parent)
{
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(this, signal, this, &AppFilterModel::countChanged);
    connect(this, &QAbstractItemModel::modelReset, this, &AppFilterModel::countChanged);
    connect(this, &QAbstractItemModel::layoutChanged, this, &AppFilterModel::countChanged);
}

void AppFilterModel::setSearch(const QString& text)
{
    if (text == search_)
        return;
    search_ = text;
    invalidateFilter();
    emit searchChanged();
    emit countChanged();
}

bool AppFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    const QAbstractItemModel* source = sourceModel();
    if (!source)
        return false;
    const QModelIndex index = source->index(sourceRow, 0, sourceParent);
    const QHash<int, QByteArray> roles = source->roleNames();
    AppInfo app;
    app.name = source->data(index, roles.key("name")).toString();
    app.bundleID = source->data(index, roles.key("bundleID")).toString();
    return Sweeper::appMatches(app, search_);
}
