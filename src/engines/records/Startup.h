#pragma once
// The startup items' records.
#include <filesystem>

#include <QString>
#include <QUuid>

// One item that starts with the session or the machine: a launch property
// list, an autostart entry or a service unit.
struct AgentItem {
    QUuid id = QUuid::createUuid();
    std::filesystem::path url;   // the file that describes it (for a unit: empty)
    QString label;               // the name shown
    QString program;             // what it runs, or "—"
    QString scope;               // localised: whom it applies to
    bool userOwned = false;      // the user's own file
    QString key;                 // stable id: file or unit name
    QString kind;                // the system's word for the kind of item ("autostart", "user-unit"…)
    bool on = true;              // starts with the session or the machine
    bool switchable = false;     // can be switched off and on again
    bool locked = false;         // never switched off: the session or the machine needs it
    bool otherDesktop = false;   // its OnlyShowIn/NotShowIn leaves out the current desktop
    bool removable = false;      // may be removed (to the Trash; through the administrator when not the user's)
    bool stopsFirst = false;     // removing it stops the running item first
};

// A folder of startup items (property lists) and whom they apply to.
struct LaunchFolder {
    std::filesystem::path folder;
    QString scope;      // base text, passed through L when an item is made
    bool userOwned = false;
};

// What removing or switching a startup item came to: whether it worked, and the sentence to show.
struct StartupChange {
    bool ok = false;
    QString message;
};
