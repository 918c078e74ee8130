#include "engines/autoclean/AutoSettings.h"

#include "engines/autoclean/AutoChoice.h"

namespace AutoClean {

namespace {

const QString kInterval = QStringLiteral("autoClean/interval");
const QString kGroups = QStringLiteral("autoClean/groups");

} // namespace

Settings load(const QSettings& settings)
{
    Settings choice;
    choice.interval = intervalFrom(settings.value(kInterval).toString());
    // An empty list is a choice too (nothing but what the user ticks later).
    choice.groups = settings.contains(kGroups) ? settings.value(kGroups).toStringList() : defaultGroups();
    return choice;
}

void save(QSettings& settings, const Settings& choice)
{
    settings.setValue(kInterval, intervalName(choice.interval));
    settings.setValue(kGroups, choice.groups);
}

} // namespace AutoClean
