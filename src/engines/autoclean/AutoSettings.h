#pragma once
// The user's choice for cleaning on a schedule, in the settings file:
// how often (off by default) and which groups of the home folder.
#include <QSettings>
#include <QStringList>

#include "engines/autoclean/AutoSchedule.h"

namespace AutoClean {

struct Settings {
    Interval interval = Interval::off;
    QStringList groups;  // junk group ids; AutoClean::defaultGroups() until the user chooses
};

Settings load(const QSettings& settings);
void save(QSettings& settings, const Settings& choice);

} // namespace AutoClean
