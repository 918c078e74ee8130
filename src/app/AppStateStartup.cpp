// AppState's startup items (listing, switching off and on, removing), the
// program's own login item, and the maintenance runs.
#include "app/AppState.h"

#include <QFile>
#include <QPointer>
#include <QThreadPool>

#include "engines/startup/Startup.h"
#include "i18n/L.h"
#include "platform/LoginItem.h"
#include "platform/Shell.h"
#include "platform/Sound.h"
#include "profiles/Profile.h"

namespace fs = std::filesystem;

namespace {

QString pathText(const fs::path& path) { return QFile::decodeName(QByteArray::fromStdString(path.native())); }

} // namespace

// ---- startup items ----

StartupBackend AppState::startupBackend() const
{
    return startupBackend_ ? *startupBackend_ : Profiles::active().startup.backend();
}

void AppState::setAgents(std::vector<AgentItem> agents)
{
    agents_ = std::move(agents);
    std::error_code error;
    QList<QVariantMap> rows;
    for (const AgentItem& item : agents_)
        rows.append(QVariantMap{
            {"agentId", item.id.toString(QUuid::WithoutBraces)},
            {"label", item.label},
            {"program", item.program},
            {"scope", item.scope},
            {"userOwned", item.userOwned},
            // a file that is not there yet (the login item before it is registered) cannot be shown
            {"path", fs::exists(item.url, error) ? pathText(item.url) : QString()},
            {"key", item.key},
            {"kind", item.kind},
            {"on", item.on},
            {"switchable", item.switchable},
            {"locked", item.locked},
            {"otherDesktop", item.otherDesktop},
        });
    agentModel_->setRows(std::move(rows));
    emit agentsChanged();
}

void AppState::loadAgents()
{
    const StartupBackend startup = startupBackend();
    QPointer<AppState> self(this);
    QThreadPool::globalInstance()->start([self, startup] {
        auto list = std::make_shared<std::vector<AgentItem>>(startup.scan());
        QMetaObject::invokeMethod(self.data(), [self, list] {
            if (self)
                self->setAgents(std::move(*list));
        }, Qt::QueuedConnection);
    });
}

const AgentItem* AppState::findAgent(const QString& agentId) const
{
    const QUuid id(agentId);
    for (const AgentItem& item : agents_)
        if (item.id == id)
            return &item;
    return nullptr;
}

void AppState::removeAgent(const QString& agentId)
{
    if (const AgentItem* item = findAgent(agentId))
        removeAgent(AgentItem(*item));
}

void AppState::removeAgent(const AgentItem& item)
{
    const StartupBackend startup = startupBackend();
    const Removal::AdminRunner admin = adminRunner();
    if (item.userOwned) {
        setMessage(Startup::removeItem(startup, item, admin).message);
        loadAgents();
        refreshLoginItem();
        return;
    }
    if (!item.removable)
        return;  // the system's entries and services are switched off, never removed
    // The password prompt may stay open for long: the window keeps responding.
    QPointer<AppState> self(this);
    QThreadPool::globalInstance()->start([self, item, startup, admin] {
        const QString message = Startup::removeItem(startup, item, admin).message;
        QMetaObject::invokeMethod(self.data(), [self, message] {
            if (!self)
                return;
            self->setMessage(message);
            self->loadAgents();
        }, Qt::QueuedConnection);
    });
}

void AppState::setAgentOn(const QString& agentId, bool on)
{
    if (const AgentItem* item = findAgent(agentId))
        setAgentOn(AgentItem(*item), on);
}

void AppState::setAgentOn(const AgentItem& item, bool on)
{
    const StartupBackend startup = startupBackend();
    if (!startup.setOn)
        return;
    QPointer<AppState> self(this);
    QThreadPool::globalInstance()->start([self, startup, item, on] {
        const std::optional<QString> error = startup.setOn(item, on);
        QMetaObject::invokeMethod(self.data(), [self, error] {
            if (!self)
                return;
            if (error)
                self->setMessage(LF("Não foi possível alterar: %@", *error));
            self->refreshLoginItem();
            self->loadAgents();
        }, Qt::QueuedConnection);
    });
}

// ---- the program's own login item ----

void AppState::refreshLoginItem() { assign(launchAtLogin_, LoginItem::isRegistered(), &AppState::launchAtLoginChanged); }

QString AppState::setLaunchAtLogin(bool on)
{
    const std::optional<QString> error =
        on ? LoginItem::registerItem(LoginItem::programToStart()) : LoginItem::unregisterItem();
    refreshLoginItem();
    if (!agents_.empty())
        loadAgents();  // the startup page lists the login item too
    return error.value_or(QString());
}

// ---- maintenance ----

void AppState::setMaintenanceRunners(Maintenance::Runner user, Maintenance::Runner admin)
{
    maintUser_ = std::move(user);
    maintAdmin_ = std::move(admin);
}

bool AppState::runMaintenance(const std::vector<MaintTask>& tasks, const QStringList& selected,
                              Maintenance::Reasons reasons)
{
    if (!maintRunning_.isEmpty())
        return false;  // one run at a time
    QString first;
    for (const MaintTask& task : tasks) {
        if (task.available && selected.contains(task.id)) {
            first = task.id;
            break;
        }
    }
    if (first.isEmpty())
        return false;
    Sound::play(QStringLiteral("scan_start"));
    setMaintRunning(first);

    const Maintenance::Runner user =
        maintUser_ ? maintUser_ : Maintenance::Runner([](const std::string& c) { return Shell::run(c); });
    const Maintenance::Runner admin =
        maintAdmin_ ? maintAdmin_ : Maintenance::Runner([](const std::string& c) { return Shell::runAdmin(c); });
    QPointer<AppState> self(this);
    QThreadPool::globalInstance()->start([=] {
        const auto starting = [&](const QString& id) {
            QMetaObject::invokeMethod(self.data(), [self, id] {
                if (self)
                    self->setMaintRunning(id);
            }, Qt::QueuedConnection);
        };
        const Maintenance::Outcome outcome = Maintenance::run(tasks, selected, user, admin, starting, reasons);
        QMetaObject::invokeMethod(self.data(), [self, outcome] {
            if (self)
                self->finishMaintenance(outcome);
        }, Qt::QueuedConnection);
    });
    return true;
}

void AppState::finishMaintenance(const Maintenance::Outcome& outcome)
{
    setMaintRunning(QString());
    bool grew = false;
    for (const QString& id : outcome.okIds) {
        if (!maintDone_.contains(id)) {
            maintDone_.append(id);
            grew = true;
        }
    }
    if (grew)
        emit maintDoneChanged();
    const QStringList said = outcome.notes + outcome.failures;
    if (!said.isEmpty())
        setMessage(said.join(QLatin1Char('\n')));
    Sound::play(outcome.failures.isEmpty() ? QStringLiteral("scan_done") : QStringLiteral("tick"));
    emit maintenanceFinished();
}
