#pragma once
// Every feature's state object, made once for the run in the order they
// depend on each other (the window and the tray panel share them; each is a
// QML singleton). What must survive the window being closed lives here.
#include "app/AutoCleanState.h"
#include "app/DupesState.h"
#include "app/HistoryState.h"
#include "app/JunkState.h"
#include "app/LargeState.h"
#include "app/LintState.h"
#include "app/LowSpaceWatcher.h"
#include "app/MaintenanceState.h"
#include "app/NeverTouchState.h"
#include "app/RemovalState.h"
#include "app/ShellState.h"
#include "app/StartupState.h"
#include "app/UninstallerState.h"
#include "profiles/Profile.h"

struct FeatureStates {
    ShellState shell{Profiles::active().traits.fullDiskAccessProbe};
    NeverTouchState neverTouch{nullptr};  // before every feature that honours it
    RemovalState removals{shell};
    JunkState junk{removals, shell, neverTouch};
    LargeState large{removals, neverTouch};
    DupesState dupes{removals, neverTouch};
    LintState lint{removals, neverTouch, dupes};  // searches the duplicates page's place
    UninstallerState uninstaller{removals, shell, neverTouch};
    StartupState startup{removals, shell};
    MaintenanceState maintenance{shell};
    HistoryState history{shell};
    LowSpaceWatcher lowSpace{LowSpaceWatcher::standardPlaces()};  // started by the program, not by tests
    AutoCleanState autoClean{removals, [this] {                     // started by the program too
        return junk.junkScanning() || large.largeScanning() || dupes.searching() || lint.lintScanning();
    }};

    FeatureStates()
    {
        // an uninstall may take an application's autostart entry to the Trash
        QObject::connect(&uninstaller, &UninstallerState::uninstallFinished, &startup, &StartupState::relist);
        // an automatic run's notice opens the history
        QObject::connect(&autoClean, &AutoCleanState::openHistory, &history, &HistoryState::open);
        // a removal kept in the history shows there at once when it is open
        QObject::connect(&removals, &RemovalState::historyKept, &history, [this] {
            if (history.shown())
                history.reload();
        });
    }
    FeatureStates(const FeatureStates&) = delete;
    FeatureStates& operator=(const FeatureStates&) = delete;
};
