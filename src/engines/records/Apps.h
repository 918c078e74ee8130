#pragma once
// The uninstaller's records: an installed application and the plan that removes it.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include "engines/records/Removal.h"
#include "platform/AdminActions.h"

// Who installed an application, and so how it is removed.
enum class AppOwner { bundle, package, flatpak, snap, appimage, local, none };

// The owner kind's word for the command line's JSON and for tests, in the
// order of AppOwner: "bundle", "package", "flatpak", "snap", "appimage",
// "local", "none".
inline QString ownerKindName(AppOwner kind)
{
    static const char* const names[] = {"bundle", "package", "flatpak", "snap", "appimage", "local", "none"};
    return QString::fromLatin1(names[static_cast<int>(kind)]);
}

// One installed application: an application bundle or a desktop entry.
struct AppInfo {
    std::filesystem::path url;   // the bundle, or the desktop entry
    QString name;
    QString bundleID;            // the bundle identifier, or the desktop-file id
    QString version;
    AppOwner ownerKind = AppOwner::none;
    QString ownerName;           // the package, Flatpak or Snap id, or the AppImage file; empty for a bundle
    QString icon;                // a theme icon name or an image file; empty: none
    std::filesystem::path executable;  // the program the entry starts, links resolved
    std::filesystem::path program;     // the same as the entry names it (found on PATH), links not resolved
    std::filesystem::path ownItem;     // what is measured and trashed as the application itself
    std::int64_t knownSize = -1;       // the owner's own figure (a package's installed size); -1: measure
    QStringList keys;                  // lower-case names its leftovers are matched by
    bool systemWide = false;           // a Flatpak of the system installation

    // The identity in lists: the path as text, or, for a path that is not
    // valid UTF-8, its bytes percent-encoded behind "bytes:" (a path always
    // starts with "/", so the two forms never meet and no two paths share one).
    QString id() const
    {
        const QByteArray raw = QByteArray::fromStdString(url.native());
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString text = decoder.decode(raw);
        if (!decoder.hasError())
            return text;
        return QStringLiteral("bytes:") + QString::fromLatin1(raw.toPercentEncoding("/"));
    }
};

// How an application is removed, decided before the confirmation.
struct UninstallPlan {
    QString refusal;          // why it cannot be removed; empty when it can
    // The owner's removal: a command run with the user's rights (a Flatpak's),
    // or the administrator helper's actions (a package's, a Snap's); neither
    // when its own item goes to the Trash.
    std::string command;
    std::vector<Admin::Action> adminActions;
    QStringList packages;     // the packages the removal takes along besides the application's own
    QStringList apps;         // the other applications that go with them (or share its package)
    bool ok() const { return refusal.isEmpty(); }
    // Whether the application's owner removes it (rather than the Trash taking its own item).
    bool byOwner() const { return !command.empty() || !adminActions.empty(); }
};

// What the uninstall of one application came to.
struct UninstallOutcome {
    bool refused = false;       // nothing was touched: the plan was refused and the application was asked for
    bool appRemoved = false;    // the application itself is gone
    QString appStays;           // why the application is still there (the refusal, its owner's failure); empty otherwise
    RemovalOutcome removal;     // what went to the Trash: its own item where it goes there, the ticked leftovers
};
