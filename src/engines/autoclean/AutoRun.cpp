#include "engines/autoclean/AutoRun.h"

#include "engines/autoclean/AutoChoice.h"
#include "engines/autoclean/AutoSettings.h"
#include "engines/common/NeverTouchList.h"
#include "engines/junk/JunkPlan.h"
#include "i18n/L.h"
#include "i18n/ShownText.h"
#include "monitor/Sources.h"
#include "platform/Admin.h"
#include "platform/AutoCleanFiles.h"
#include "platform/FileLock.h"
#include "platform/Fmt.h"
#include "platform/LowPriority.h"
#include "platform/NeverTouch.h"
#include "platform/Prefs.h"
#include "platform/TrashRestore.h"

namespace AutoClean {

Power powerNow()
{
    const std::optional<Monitor::Battery> battery = Monitor::batteryInfo();
    if (!battery)
        return {};
    return {.onBattery = !battery->plugged, .level = battery->level};
}

QString noticeTitle() { return L("Limpeza automática"); }

QString noticeText(std::int64_t freed) { return LF("O Quillmoor liberou %@", shownRun(Fmt::bytes(freed))); }

Run runNow(const std::vector<JunkRule>& rules, bool ifDue, const QDateTime& now, Power power)
{
    Run run;
    const Settings settings = load(*Prefs::standard());
    const FileLock lock(AutoCleanFiles::cleanLock(), FileLock::Wait::no);
    run.decision = decide(settings.interval, AutoCleanFiles::lastRun(), now, power, !lock.held(), ifDue,
                          shortenedInterval());
    if (!run.decision.run)
        return run;
    AutoCleanFiles::stamp(now);
    LowPriority::lowerThisThread();
    const JunkFound found = Sweeper::scanJunk(rules, NeverTouchList(NeverTouch::current()));
    const std::vector<JunkGroup> groups = automaticChoice(found.groups, settings.groups, now, TrashRestore::deletedAt);
    const Plan::Record plan = Sweeper::planClean(groups);
    if (!plan.items.empty())
        run.outcome = Sweeper::cleanJunk(plan, groups, Admin::run, {}, Plan::Origin::automatic);
    return run;
}

} // namespace AutoClean
