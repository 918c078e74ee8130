#pragma once
// What differs between operating systems, in one record per system: what
// counts as junk, which places are protected, what an application is and how
// one is removed, what starts with the session, which maintenance routines
// exist, the panel's memory and speed commands, the words that name the
// system, and a few small facts (packages, the large-file walk's places, the
// access check). One profile is active for the whole run.
//
// Engines never ask which system they run on: callers hand them the active
// profile's data as parameters, so a test runs an engine over either profile
// on a fixture home.
//
// How this folder is laid out:
//   Profile.h / Profile.cpp   the record, the two profiles by name, the choice
//   Linux*.cpp, MacOS*.cpp    each profile's tables and the wiring that binds
//                             its engines to its places, one file per part
// The logic of each system (desktop entries, autostart, bundles, launch
// items…) lives in the engines, one file per system per feature.
// Each part of the record is a struct of its own, declared in a header of
// this folder named after it, so that adding a part touches the record once.
#include <QString>

#include "profiles/AppSources.h"
#include "profiles/JunkCatalogue.h"
#include "profiles/MaintenanceRoutines.h"
#include "profiles/PanelCommands.h"
#include "profiles/ProtectedPlaces.h"
#include "profiles/StartupSources.h"
#include "profiles/SystemTraits.h"
#include "profiles/Words.h"

namespace Profiles {

struct Profile {
    QString name;  // "linux" or "macos"
    JunkCatalogue junk;
    ProtectedPlaces protectedPlaces;
    AppSources apps;
    StartupSources startup;
    MaintenanceRoutines maintenance;
    PanelCommands panel;
    Words words;
    SystemTraits traits;
};

// The profile with this name, or nullptr when there is none.
const Profile* byName(const QString& name);

// The profile of the system this program was built for.
const Profile& builtIn();

// The profile in use for this run: the one `choose` set; else the one
// QUILLMOOR_PROFILE names (an unknown name is logged and ignored); else builtIn().
const Profile& active();

// Makes the named profile the active one for the rest of the run; false, and
// nothing changes, for an unknown name.
bool choose(const QString& name);

// Hands the profile's protected places to FS::isProtected and its words to
// the translation lookup. active() and choose() do this whenever the active
// profile is settled; tests call it again after changing the fixture home.
void apply(const Profile& profile);

} // namespace Profiles
