#pragma once
// Startup items as the window shows them: the list, switching one off and on,
// removing the user's own, and the program's own login item (the startup
// page, the settings and the tray panel all show this one).
#include <optional>
#include <vector>

#include <QObject>
#include <QString>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

#include "app/OneInstance.h"
#include "app/RecordListModel.h"
#include "engines/removal/PlanMap.h"
#include "engines/startup/Startup.h"
#include "platform/Background.h"

class RemovalState;
class ShellState;

class StartupState : public QObject, public OneInstance<StartupState> {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

    Q_PROPERTY(int agentCount READ agentCount NOTIFY agentsChanged)
    // Whether a listing has arrived: before it, no count is shown (not even a zero).
    Q_PROPERTY(bool agentsListed READ agentsListed NOTIFY agentsChanged)
    Q_PROPERTY(RecordListModel* agentModel READ agentModel CONSTANT)
    Q_PROPERTY(bool launchAtLogin READ launchAtLogin NOTIFY launchAtLoginChanged)
    Q_PROPERTY(QVariantMap removalPlan READ removalPlan NOTIFY removalPlanChanged)

public:
    StartupState(RemovalState& removals, ShellState& shell, QObject* parent = nullptr);

    const std::vector<AgentItem>& agents() const { return agents_; }
    int agentCount() const { return int(agents_.size()); }
    bool agentsListed() const { return agentsListed_; }
    RecordListModel* agentModel() const { return agentModel_; }

    // Lists the startup items in the background, in the order the system gives.
    Q_INVOKABLE void loadAgents();
    // Lists them again, each item in the row it had and the ones whose file
    // is gone dropped: when the page opens, and after a change elsewhere (an
    // uninstall may take an application's autostart entry with it).
    Q_INVOKABLE void pageShown() { relist(); }
    void relist();
    // The plan of removing an item, for the confirmation (see planMap);
    // made by planRemoval, until closePlan.
    QVariantMap removalPlan() const { return plan_.map(); }
    Q_INVOKABLE void planRemoval(const QString& agentId);
    Q_INVOKABLE void closePlan();
    // Carries out the plan shown for the item (made now when none is):
    // removes it (the user's own to the Trash, a system launch item through
    // the administrator) in the background, then lists the items again.
    Q_INVOKABLE void removeAgent(const QString& agentId);
    void removeAgent(const AgentItem& item);
    // Switches an item on or off in the background (a service may take its
    // time, the machine's ask for the password), then lists the items again.
    Q_INVOKABLE void setAgentOn(const QString& agentId, bool on);
    void setAgentOn(const AgentItem& item, bool on);

    bool launchAtLogin() const { return launchAtLogin_; }
    // Registers or unregisters the login item; the error text, or empty on success.
    Q_INVOKABLE QString setLaunchAtLogin(bool on);
    // Reads the login item's state again (after it changed elsewhere).
    Q_INVOKABLE void refreshLoginItem();

    // The startup items in use (tests: fixture folders); nothing: the active profile's.
    void setStartupBackend(std::optional<StartupBackend> backend) { backend_ = std::move(backend); }

signals:
    void agentsChanged();
    void launchAtLoginChanged();
    void removalPlanChanged();
    // A switch or a removal has finished and the list was asked for again (tests wait for it).
    void changeFinished();

private:
    RemovalState& removals_;
    ShellState& shell_;
    std::vector<AgentItem> agents_;
    bool agentsListed_ = false;
    bool launchAtLogin_ = false;
    std::optional<StartupBackend> backend_;
    RecordListModel* agentModel_ = nullptr;
    ShownPlan plan_;
    QUuid planned_;  // the item whose plan is shown
    StartupBackend backend() const;
    const AgentItem* findAgent(const QString& agentId) const;
    Background::Latest listing_;  // an older listing's result is dropped
    void setAgents(std::vector<AgentItem> agents);
};
