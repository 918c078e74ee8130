#include "admin/PackageRemoval.h"

#include <cstdlib>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

#include "engines/apps/LinuxPackageTools.h"
#include "platform/Shell.h"

namespace AdminHelper {

namespace {

// How long the helper waits for another package tool to let go of the lock.
constexpr int kLockTries = 20;
constexpr auto kLockPause = std::chrono::milliseconds(250);

// dpkg's front-end lock, the one every package tool takes first; held while
// this object lives. apt and dpkg started meanwhile are told it is held for
// them (DPKG_FRONTEND_LOCKED), and apt takes no lock of its own.
class FrontendLock {
public:
    explicit FrontendLock(const std::string& path)
    {
        fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0640);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        for (int i = 0; fd_ >= 0 && i < kLockTries; ++i) {
            if (fcntl(fd_, F_SETLK, &lock) == 0) {
                held_ = true;
                break;
            }
            std::this_thread::sleep_for(kLockPause);
        }
    }
    ~FrontendLock()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    FrontendLock(const FrontendLock&) = delete;
    FrontendLock& operator=(const FrontendLock&) = delete;
    bool held() const { return held_; }

private:
    int fd_ = -1;
    bool held_ = false;
};

std::set<std::string> namesOf(const QStringList& list)
{
    std::set<std::string> names;
    for (const QString& name : list)
        names.insert(name.toStdString());
    return names;
}

std::string textOf(const Shell::ProcessOutput& output)
{
    return Shell::lastLine(Shell::decodeUtf8(output.err + output.out)).toStdString();
}

} // namespace

std::string planDifference(const std::set<std::string>& simulated, const std::set<std::string>& approved)
{
    std::string difference;
    for (const std::string& name : simulated)
        if (!approved.count(name))
            difference += (difference.empty() ? "+" : " +") + name;
    for (const std::string& name : approved)
        if (!simulated.count(name))
            difference += (difference.empty() ? "-" : " -") + name;
    return difference;
}

Admin::Answer removePackages(const Context& context, const Admin::Action& action)
{
    const std::string aptGet = context.tool("apt-get");
    const std::string dpkgQuery = context.tool("dpkg-query");
    if (aptGet.empty() || dpkgQuery.empty())
        return failed("missing", aptGet.empty() ? "apt-get" : "dpkg-query");

    // Names as apt writes them: "libfoo:i386" for another architecture's package.
    const std::set<std::string> approved(action.args.begin(), action.args.end());

    const FrontendLock lock(context.system("/var/lib/dpkg/lock-frontend"));
    if (!lock.held())
        return failed("busy", {});
    setenv("DPKG_FRONTEND_LOCKED", "true", 1);
    setenv("DEBIAN_FRONTEND", "noninteractive", 1);
    const std::string noLocking = "Debug::NoLocking=true";  // the lock above is held for it

    std::vector<std::string> simulate{"-s", "-o", noLocking, "remove", "--"};
    simulate.insert(simulate.end(), action.args.begin(), action.args.end());
    const Shell::ProcessOutput simulation = Shell::runProcess(aptGet, simulate);
    if (!simulation.started || simulation.exitCode != 0)
        return failed("tool", simulation.started ? textOf(simulation) : simulation.startError.toStdString());
    const QStringList removals = LinuxApps::parseAptRemovals(Shell::decodeUtf8(simulation.out), true);
    const std::string difference = planDifference(namesOf(removals), approved);
    if (!difference.empty())
        return failed("changed", difference);

    std::vector<std::string> show{"-W", std::string("-f=") + LinuxApps::kDpkgShowFormat, "--"};
    show.insert(show.end(), approved.begin(), approved.end());
    const Shell::ProcessOutput shown = Shell::runProcess(dpkgQuery, show);
    const std::map<QString, LinuxApps::PackageFacts> facts = LinuxApps::parseDpkgShow(Shell::decodeUtf8(shown.out));
    for (const std::string& package : approved) {
        const auto found = facts.find(QString::fromStdString(package.substr(0, package.find(':'))));
        if (found == facts.end())
            return failed("changed", "-" + package);
        if (found->second.neverOffered)
            return failed("essential", package);
    }

    std::vector<std::string> remove{"-y", "-o", noLocking, "remove", "--"};
    remove.insert(remove.end(), action.args.begin(), action.args.end());
    const Shell::ProcessOutput removal = Shell::runProcess(aptGet, remove);
    if (removal.started && removal.exitCode == 0)
        return done();
    return failed("tool", removal.started ? textOf(removal) : removal.startError.toStdString());
}

} // namespace AdminHelper
