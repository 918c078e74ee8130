#pragma once
// The uninstaller's application list filtered by the search text: rows whose
// name or identifier contains it, ignoring case in the user's locale.
#include <QSortFilterProxyModel>
#include <QtQml/qqmlregistration.h>

class AppFilterModel : public QSortFilterProxyModel {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString search READ search WRITE setSearch NOTIFY searchChanged)
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    explicit AppFilterModel(QObject* parent = nullptr);

    QString search() const { return search_; }
    void setSearch(const QString& text);
    int count() const { return rowCount(); }

signals:
    void searchChanged();
    void countChanged();

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QString search_;
};
