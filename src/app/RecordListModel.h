#pragma once
// The one list model through which lists of records reach QML: each row is a
// map from role name to value. Replacing the rows keeps the delegates when the
// same records come back in the same order (only changed rows are signalled),
// so a ticked check box does not collapse an expanded card.
#include <QAbstractListModel>
#include <QList>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

class RecordListModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by AppState")
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    // `roles` names the fields of a row; `idRole` the one that identifies it.
    RecordListModel(QStringList roles, QString idRole, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(rows_.size()); }
    const QList<QVariantMap>& rows() const { return rows_; }
    void setRows(QList<QVariantMap> rows);
    Q_INVOKABLE QVariantMap get(int row) const;

signals:
    void countChanged();

private:
    QStringList roles_;
    QString idRole_;
    QList<QVariantMap> rows_;
};
