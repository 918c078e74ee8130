#pragma once
// The never-touch list as the window shows and changes it: the places (each
// marked when it no longer exists), adding one from a row's "Sempre ignorar"
// or the Settings window, removing one. Every feature listens to
// placesChanged and takes the changed list into account.
#include <filesystem>
#include <vector>

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include "app/OneInstance.h"
#include "engines/common/NeverTouchList.h"

class NeverTouchState : public QObject, public OneInstance<NeverTouchState> {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

    // Each place: {key (its stored text, for remove), path (as shown), missing (nothing there now), link, folder}.
    Q_PROPERTY(QVariantList places READ places NOTIFY placesChanged)
    // The places' stored texts, in order: what the space map takes.
    Q_PROPERTY(QStringList keys READ keys NOTIFY placesChanged)

public:
    // No default constructor: QML would make a second instance of its own
    // rather than take this one from create().
    explicit NeverTouchState(QObject* parent);

    QVariantList places() const;
    QStringList keys() const;
    // The list as the scans take it.
    const NeverTouchList& list() const { return list_; }

    // Adds a path (absolute, as a row or the folder picker gives it); empty
    // when it was added or was listed already, else why it cannot be.
    Q_INVOKABLE QString add(const QString& path);
    // Removes the place stored as `key`.
    Q_INVOKABLE void remove(const QString& key);
    // The path is a place of the list or lies inside one.
    Q_INVOKABLE bool covers(const QString& path) const;
    // Reads the list again from the settings (another process may have changed it).
    Q_INVOKABLE void reload();

signals:
    void placesChanged();

private:
    NeverTouchList list_;
};
