#include "app/LowSpaceWatcher.h"

#include <set>

#include <QDateTime>

#include "i18n/L.h"
#include "i18n/ShownText.h"
#include "platform/Background.h"
#include "platform/FS.h"
#include "platform/Fmt.h"
#include "platform/Prefs.h"

namespace {

constexpr int kCheckEveryMs = 60 * 1000;

} // namespace

std::vector<std::filesystem::path> LowSpaceWatcher::standardPlaces() { return {FS::home(), "/"}; }

LowSpaceWatcher::LowSpaceWatcher(std::vector<std::filesystem::path> places, QObject* parent)
    : QObject(parent),
      OneInstance(this),
      settings_(LowSpace::readSettings(*Prefs::standard())),
      places_(std::move(places)),
      probe_(&LowSpace::read),
      clock_([] { return QDateTime::currentMSecsSinceEpoch(); })
{
    timer_.setInterval(kCheckEveryMs);
    connect(&timer_, &QTimer::timeout, this, &LowSpaceWatcher::check);
    connect(&notifications_, &DesktopNotifications::actionInvoked, this, [this](const QString&) {
        // The click on the notice and its button both lead to the junk page.
        emit openSection(QStringLiteral("junk"));
    });
}

void LowSpaceWatcher::start()
{
    check();
    timer_.start();
}

void LowSpaceWatcher::check()
{
    // A file system that does not answer (a network mount whose server is
    // gone) holds its reading back: the window never waits for it, and no
    // second look starts while one is still out.
    if (looking_)
        return;
    looking_ = true;
    Background::run(
        this,
        [places = places_, probe = probe_] {
            std::vector<Look> looks;
            for (const auto& place : places)
                if (const auto reading = probe(place))
                    looks.push_back({*reading, FS::pretty(FS::mountPointOf(place.native(), dev_t(reading->device)))});
            return looks;
        },
        [this](const std::vector<Look>& looks) {
            looking_ = false;
            decide(looks);
        });
}

void LowSpaceWatcher::decide(const std::vector<Look>& looks)
{
    const std::int64_t now = clock_();
    std::set<std::uint64_t> seen;  // a file system holding both places counts once
    for (const Look& look : looks) {
        if (!seen.insert(look.reading.device).second)
            continue;
        LowSpace::Mark& mark = marks_[look.reading.device];
        const LowSpace::Step step = LowSpace::step(mark, look.reading.figures, settings_, now);
        mark = step.next;
        if (step.notify)
            notifications_.send(L("Pouco espaço livre"),
                                LowSpace::noticeText(look.reading.figures.available, look.where,
                                                     LowSpace::readCause(*Prefs::standard())),
                                {{QStringLiteral("default"), L("Limpar lixo")}, {QStringLiteral("junk"), L("Limpar lixo")}});
    }
}

void LowSpaceWatcher::setNoticeOn(bool on)
{
    if (settings_.on == on)
        return;
    settings_.on = on;
    storeSettings();
}

void LowSpaceWatcher::setMinimumGb(int gb)
{
    if (gb < 1 || gb > 100000 || gb == settings_.minimumGb)
        return;
    settings_.minimumGb = gb;
    storeSettings();
}

void LowSpaceWatcher::storeSettings()
{
    const auto prefs = Prefs::standard();
    prefs->setValue(LowSpace::kOnKey, settings_.on);
    prefs->setValue(LowSpace::kMinimumKey, qlonglong(settings_.minimumGb));
    prefs->sync();
    emit settingsChanged();
}
