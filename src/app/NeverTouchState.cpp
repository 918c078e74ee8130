#include "app/NeverTouchState.h"

#include <QFile>

#include "platform/FS.h"
#include "platform/NeverTouch.h"
#include "platform/Prefs.h"

NeverTouchState::NeverTouchState(QObject* parent)
    : QObject(parent), OneInstance(this), list_(NeverTouch::current())
{
}

QVariantList NeverTouchState::places() const
{
    QVariantList rows;
    for (const std::filesystem::path& place : list_.places()) {
        std::error_code error;
        const auto status = std::filesystem::symlink_status(place, error);
        rows.append(QVariantMap{{"key", NeverTouch::encode(place)},
                                {"path", FS::pretty(place)},
                                {"missing", !std::filesystem::exists(status)},
                                {"link", std::filesystem::is_symlink(status)},
                                {"folder", std::filesystem::is_directory(status)}});
    }
    return rows;
}

QStringList NeverTouchState::keys() const
{
    QStringList keys;
    for (const std::filesystem::path& place : list_.places())
        keys << NeverTouch::encode(place);
    return keys;
}

QString NeverTouchState::add(const QString& path)
{
    QString error;
    // A path from the window is absolute already; the home folder is the base for anything else.
    const std::optional<std::filesystem::path> place
        = NeverTouch::normalised(QFile::encodeName(path).toStdString(), FS::home(), error);
    if (!place)
        return error;
    if (NeverTouch::add(*Prefs::standard(), *place))
        reload();
    return {};
}

void NeverTouchState::remove(const QString& key)
{
    if (const std::optional<std::filesystem::path> place = NeverTouch::decode(key))
        if (NeverTouch::remove(*Prefs::standard(), *place))
            reload();
}

bool NeverTouchState::covers(const QString& path) const
{
    return list_.covers(QFile::encodeName(path).toStdString());
}

void NeverTouchState::reload()
{
    list_ = NeverTouchList(NeverTouch::current());
    emit placesChanged();
}
