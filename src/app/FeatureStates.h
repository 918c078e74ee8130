#pragma once
// Every feature's state object, made once for the run in the order they
// depend on each other (the window and the tray panel share them; each is a
// QML singleton). What must survive the window being closed lives here.
#include "app/DupesState.h"
#include "app/JunkState.h"
#include "app/LargeState.h"
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
    JunkState junk{removals, shell};
    LargeState large{removals};
    DupesState dupes{removals};
    UninstallerState uninstaller{removals, shell};
    StartupState startup{removals, shell};
    MaintenanceState maintenance{shell};
    LowSpaceWatcher lowSpace{LowSpaceWatcher::standardPlaces()};  // started by the program, not by tests

    FeatureStates()
    {
        // an uninstall may take an application's autostart entry to the Trash
        QObject::connect(&uninstaller, &UninstallerState::uninstallFinished, &startup, &StartupState::relist);
    }
    FeatureStates(const FeatureStates&) = delete;
    FeatureStates& operator=(const FeatureStates&) = delete;
};
