#include "app/StartupState.h"

#include <QVariantMap>

#include "app/RemovalState.h"
#include "app/ShellState.h"
#include "i18n/L.h"
#include "i18n/ShownText.h"
#include "platform/Background.h"
#include "platform/FS.h"
#include "platform/LoginItem.h"
#include "profiles/Profile.h"

namespace fs = std::filesystem;

StartupState::StartupState(RemovalState& removals, ShellState& shell, QObject* parent)
    : QObject(parent), OneInstance(this), removals_(removals), shell_(shell)
{
    agentModel_ = new RecordListModel({"agentId", "label", "program", "scope", "userOwned", "path", "key", "on",
                                       "switchable", "locked", "otherDesktop", "removable", "stopsFirst"},
                                      "agentId", this);
    launchAtLogin_ = LoginItem::isRegistered();
}

StartupBackend StartupState::backend() const
{
    return backend_ ? *backend_ : Profiles::active().startup.backend();
}

void StartupState::setAgents(std::vector<AgentItem> agents)
{
    agents_ = std::move(agents);
    agentsListed_ = true;
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
            {"path", fs::exists(item.url, error) ? FS::text(item.url) : QString()},
            {"key", item.key},
            {"on", item.on},
            {"switchable", item.switchable},
            {"locked", item.locked},
            {"otherDesktop", item.otherDesktop},
            {"removable", item.removable},
            {"stopsFirst", item.stopsFirst},
        });
    agentModel_->setRows(std::move(rows));
    emit agentsChanged();
}

void StartupState::loadAgents()
{
    const StartupBackend startup = backend();
    Background::run(this, [startup] { return startup.scan(); },
                    [this, ticket = listing_.next()](std::vector<AgentItem> list) {
                        if (listing_.isCurrent(ticket))
                            setAgents(std::move(list));
                    });
}

void StartupState::relist()
{
    const StartupBackend startup = backend();
    Background::run(this, [startup] { return startup.scan(); },
                    [this, ticket = listing_.next()](std::vector<AgentItem> list) {
                        if (listing_.isCurrent(ticket))
                            setAgents(Startup::inShownOrder(agents_, std::move(list)));
                    });
}

const AgentItem* StartupState::findAgent(const QString& agentId) const
{
    const QUuid id(agentId);
    for (const AgentItem& item : agents_)
        if (item.id == id)
            return &item;
    return nullptr;
}

void StartupState::planRemoval(const QString& agentId)
{
    const AgentItem* item = findAgent(agentId);
    if (!item)
        return;
    // the item's name as itself: its marks written out, its order its own
    plan_.show(Startup::planRemoval(*item), item->stopsFirst ? LF("Desativar “%@”?", shownRun(item->label))
                                                             : LF("Remover “%@”?", shownRun(item->label)));
    planned_ = item->id;
    emit removalPlanChanged();
}

void StartupState::closePlan()
{
    if (plan_.close())
        emit removalPlanChanged();
}

void StartupState::removeAgent(const QString& agentId)
{
    if (const AgentItem* item = findAgent(agentId))
        removeAgent(AgentItem(*item));
}

void StartupState::removeAgent(const AgentItem& item)
{
    const bool shownForIt = plan_.shown() && planned_ == item.id;
    const Plan::Record plan = shownForIt ? plan_.record() : Startup::planRemoval(item);
    closePlan();
    const StartupBackend startup = backend();
    const Admin::Runner admin = removals_.adminRunner();
    // The password prompt may stay open for long: the window keeps responding.
    Background::run(this, [startup, item, plan, admin] { return Startup::removeItem(startup, item, plan, admin); },
                    [this](StartupChange change) {
                        shell_.setMessage(change.message);
                        relist();
                        refreshLoginItem();
                        emit changeFinished();
                    });
}

void StartupState::setAgentOn(const QString& agentId, bool on)
{
    if (const AgentItem* item = findAgent(agentId))
        setAgentOn(AgentItem(*item), on);
}

void StartupState::setAgentOn(const AgentItem& item, bool on)
{
    const StartupBackend startup = backend();
    Background::run(this, [startup, item, on] { return Startup::switchItem(startup, item, on); },
                    [this](StartupChange change) {
                        if (!change.ok)
                            shell_.setMessage(change.message);
                        refreshLoginItem();
                        relist();
                        emit changeFinished();
                    });
}

void StartupState::refreshLoginItem()
{
    assign(launchAtLogin_, LoginItem::isRegistered(), &StartupState::launchAtLoginChanged);
}

QString StartupState::setLaunchAtLogin(bool on)
{
    const std::optional<QString> error =
        on ? LoginItem::registerItem(LoginItem::programToStart()) : LoginItem::unregisterItem();
    refreshLoginItem();
    if (!agents_.empty())
        relist();  // the startup page lists the login item too
    return error.value_or(QString());
}
