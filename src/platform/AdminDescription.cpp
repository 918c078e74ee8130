#include "platform/AdminDescription.h"

#include <QStringList>

namespace Admin {

namespace {

QString text(const std::string& bytes) { return QString::fromUtf8(bytes.data(), qsizetype(bytes.size())); }

QString joined(const std::vector<std::string>& args)
{
    QStringList words;
    for (const std::string& arg : args)
        words << text(arg);
    return words.join(QLatin1Char(' '));
}

// The argument, or empty text when the action has fewer.
QString arg(const Action& action, std::size_t i)
{
    return i < action.args.size() ? text(action.args[i]) : QString();
}

QString packageCleaner(const QString& tool)
{
    if (tool == QLatin1String("dnf"))
        return QStringLiteral("dnf clean packages");
    if (tool == QLatin1String("pacman"))
        return QStringLiteral("pacman -Sc --noconfirm");
    return QStringLiteral("apt-get clean");
}

} // namespace

QString describe(const Action& action)
{
    const std::string& verb = action.verb;
    if (verb == kRemovePackages)
        return QStringLiteral("apt-get remove ") + joined(action.args);
    if (verb == kRemoveSnap)
        return QStringLiteral("snap remove ") + arg(action, 0);
    if (verb == kRemoveSnapRevision)
        return QStringLiteral("snap remove %1 --revision %2").arg(arg(action, 0), arg(action, 1));
    if (verb == kRemoveFlatpakRuntimes)
        return QStringLiteral("flatpak uninstall --system ") + joined(action.args);
    if (verb == kTrashRemove)
        return QStringLiteral("rm -rf %1/%2").arg(arg(action, 0), arg(action, 2));
    if (verb == kUnitEnable)
        return QStringLiteral("systemctl enable --now ") + arg(action, 0);
    if (verb == kUnitDisable)
        return QStringLiteral("systemctl disable --now ") + arg(action, 0);
    if (verb == kDropCaches)
        return QStringLiteral("sync; echo 3 > /proc/sys/vm/drop_caches");
    if (verb == kFlushDns)
        return QStringLiteral("resolvectl flush-caches");
    if (verb == kVacuumJournal)
        return QStringLiteral("journalctl --vacuum-time=2weeks");
    if (verb == kCleanPackageCache)
        return packageCleaner(arg(action, 0));
    if (verb == kRemoveCoreDump)
        return QStringLiteral("rm /var/lib/systemd/coredump/") + arg(action, 0);
    if (verb == kRemoveCrashReport)
        return QStringLiteral("rm /var/crash/") + arg(action, 0);
    if (verb == kRemoveRotatedLog)
        return QStringLiteral("rm /var/log/") + arg(action, 0);
    if (verb == kRemoveTimeshiftSnapshot)
        return QStringLiteral("timeshift --delete --snapshot ") + arg(action, 0);
    if (verb == kRemoveDockerImages)
        return QStringLiteral("docker image rm ") + joined(action.args);
    if (verb == kRemoveDockerContainers)
        return QStringLiteral("docker container rm ") + joined(action.args);
    if (verb == kPruneDockerBuildCache)
        return QStringLiteral("docker builder prune -f");
    if (verb == kRemoveSnapperSnapshot) {
        const QString partner = arg(action, 2);
        return QStringLiteral("snapper -c %1 delete %2").arg(arg(action, 0), arg(action, 1))
            + (partner.isEmpty() || partner == QLatin1String("0") ? QString() : QLatin1Char(' ') + partner);
    }
    if (verb == kMeasureSnapshots)
        return QStringLiteral("snapper -c %1 list").arg(arg(action, 0));
    return text(verb) + (action.args.empty() ? QString() : QLatin1Char(' ') + joined(action.args));
}

QString toolOf(const Action& action)
{
    const std::string& verb = action.verb;
    if (verb == kRemovePackages)
        return QStringLiteral("apt-get remove");
    if (verb == kRemoveSnap || verb == kRemoveSnapRevision)
        return QStringLiteral("snap remove");
    if (verb == kRemoveFlatpakRuntimes)
        return QStringLiteral("flatpak uninstall");
    if (verb == kVacuumJournal || verb == kCleanPackageCache || verb == kPruneDockerBuildCache)
        return describe(action);
    if (verb == kRemoveTimeshiftSnapshot)
        return QStringLiteral("timeshift --delete");
    if (verb == kRemoveDockerImages)
        return QStringLiteral("docker image rm");
    if (verb == kRemoveDockerContainers)
        return QStringLiteral("docker container rm");
    if (verb == kUnitEnable || verb == kUnitDisable)
        return QStringLiteral("systemctl");
    if (verb == kRemoveSnapperSnapshot)
        return QStringLiteral("snapper delete");
    if (verb == kMeasureSnapshots)
        return QStringLiteral("snapper list");
    return {};
}

QString describe(const Request& request)
{
    if (request.actions.empty())
        return text(request.script);
    QStringList parts;
    for (const Action& action : request.actions)
        parts << describe(action);
    return parts.join(QStringLiteral("; "));
}

} // namespace Admin
