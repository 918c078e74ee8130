#pragma once
// The plain value records that the scans return and AppState publishes.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <atomic>
#include <vector>

#include <QDateTime>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <QUuid>

// One removable file or folder (junk groups and the uninstaller's file list).
struct JunkItem {
    QUuid id = QUuid::createUuid();
    std::filesystem::path url;
    QString name;
    std::int64_t size = 0;
    bool selected = false;
    QString note;  // a short remark shown muted in the row ("In use by firefox", why a leftover starts unticked), or empty
};

// The result of one junk rule; items largest first.
struct JunkGroup {
    QString id;
    QString title;
    QString detail;
    QString symbol;
    bool permanent = false;
    std::vector<JunkItem> items;

    std::int64_t total() const
    {
        std::int64_t sum = 0;
        for (const auto& item : items)
            sum += item.size;
        return sum;
    }
    std::int64_t selectedTotal() const
    {
        std::int64_t sum = 0;
        for (const auto& item : items)
            if (item.selected)
                sum += item.size;
        return sum;
    }
};

// One file found by the large-file scan.
struct LargeFile {
    QUuid id = QUuid::createUuid();
    std::filesystem::path url;
    std::int64_t size = 0;
    std::optional<QDateTime> accessed;
    bool selected = false;
};

// Shared by the screen and one large-file scan; a fresh one for every scan.
struct CancelFlag {
    std::atomic<bool> cancelled{false};
};
using CancelFlagPtr = std::shared_ptr<CancelFlag>;

// Who installed an application, and so how it is removed.
enum class AppOwner { bundle, package, flatpak, snap, appimage, local, none };

// One installed application: an application bundle (macos profile) or a
// desktop entry (linux profile).
struct AppInfo {
    std::filesystem::path url;   // the bundle, or the desktop entry
    QString name;
    QString bundleID;            // the bundle identifier, or the desktop-file id
    QString version;
    // Filled for desktop entries:
    AppOwner ownerKind = AppOwner::bundle;
    QString ownerName;           // the package, Flatpak or Snap id, or the AppImage file
    QString icon;                // a theme icon name or an image file; empty: none
    std::filesystem::path executable;  // the program the entry starts, links resolved
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

// One item that starts with the session or the machine: a launch property
// list, an autostart entry or a service unit.
struct AgentItem {
    QUuid id = QUuid::createUuid();
    std::filesystem::path url;   // the file that describes it (for a unit: empty)
    QString label;               // the name shown
    QString program;             // what it runs, or "—"
    QString scope;               // localised: whom it applies to
    bool userOwned = false;      // the user's own file: may be removed to the Trash
    QString key;                 // stable id: desktop file or unit name (launch items: file name)
    QString kind = QStringLiteral("launchd");  // launchd, autostart, user-unit, system-unit
    bool on = true;              // starts with the session or the machine
    bool switchable = false;     // can be switched off and on again
    bool locked = false;         // never switched off: the session or the machine needs it
    bool otherDesktop = false;   // its OnlyShowIn/NotShowIn leaves out the current desktop
};
