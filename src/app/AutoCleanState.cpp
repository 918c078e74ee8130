#include "app/AutoCleanState.h"

#include <QDateTime>

#include "app/RemovalState.h"
#include "engines/autoclean/AutoChoice.h"
#include "i18n/L.h"
#include "platform/Prefs.h"
#include "profiles/Profile.h"

namespace {

constexpr int kAskEveryMs = 60 * 60 * 1000;

AutoClean::Run runWhenDue()
{
    return AutoClean::runNow(Profiles::active().junk.rules(), true, QDateTime::currentDateTime(),
                             AutoClean::powerNow());
}

} // namespace

AutoCleanState::AutoCleanState(RemovalState& removals, std::function<bool()> windowBusy, QObject* parent)
    : QObject(parent),
      OneInstance(this),
      removals_(removals),
      windowBusy_(std::move(windowBusy)),
      settings_(AutoClean::load(*Prefs::standard())),
      runner_(&runWhenDue)
{
    const std::optional<int> shortened = AutoClean::shortenedInterval();
    timer_.setInterval(shortened ? int(std::min<qint64>(qint64(*shortened) * 1000, kAskEveryMs)) : kAskEveryMs);
    connect(&timer_, &QTimer::timeout, this, &AutoCleanState::check);
    // The click on the notice and its button both open the history.
    connect(&notifications_, &DesktopNotifications::actionInvoked, this, [this] { emit openHistory(); });
}

AutoCleanState::~AutoCleanState()
{
    if (thread_)
        thread_->wait();
}

void AutoCleanState::start()
{
    check();
    timer_.start();
}

void AutoCleanState::check()
{
    // Never beside the window's own work: the next hour asks again.
    if (thread_ || removals_.busy() || windowBusy_())
        return;
    // A thread of its own, since the run lowers the priority of the thread it is on for good.
    thread_ = QThread::create([this, runner = runner_] {
        const AutoClean::Run run = runner();
        QMetaObject::invokeMethod(this, [this, run] { finish(run); }, Qt::QueuedConnection);
    });
    connect(thread_, &QThread::finished, thread_, &QObject::deleteLater);
    emit runningChanged();
    thread_->start();
}

void AutoCleanState::finish(const AutoClean::Run& run)
{
    thread_ = nullptr;
    emit runningChanged();
    if (!run.outcome)
        return;
    removals_.record(*run.outcome);
    if (run.outcome->freed > 0)
        notifications_.send(AutoClean::noticeTitle(), AutoClean::noticeText(run.outcome->freed),
                            {{QStringLiteral("default"), L("Ver o histórico")}, {QStringLiteral("history"), L("Ver o histórico")}});
}

void AutoCleanState::setInterval(const QString& name)
{
    if (name == interval())
        return;
    settings_.interval = AutoClean::intervalFrom(name);
    store();
}

QVariantList AutoCleanState::groups() const
{
    const QStringList offered = AutoClean::defaultGroups() + AutoClean::optionalGroups();
    QVariantList list;
    for (const JunkRule& rule : Profiles::active().junk.rules()) {
        if (!offered.contains(rule.id))
            continue;
        const QString detail = rule.id == QLatin1String("trash")
                                   ? LF("Só o que está na Lixeira há mais de %ld dias", AutoClean::kTrashAgeDays)
                                   : rule.detail;
        list.append(QVariantMap{{"id", rule.id}, {"title", rule.title}, {"detail", detail},
                                {"on", settings_.groups.contains(rule.id)}});
    }
    return list;
}

void AutoCleanState::setGroupOn(const QString& id, bool on)
{
    if (settings_.groups.contains(id) == on)
        return;
    if (on)
        settings_.groups.append(id);
    else
        settings_.groups.removeAll(id);
    store();
}

void AutoCleanState::store()
{
    AutoClean::save(*Prefs::standard(), settings_);
    emit settingsChanged();
}
