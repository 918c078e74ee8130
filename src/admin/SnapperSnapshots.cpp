#include "admin/SnapperSnapshots.h"

#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engines/junk/SnapshotStore.h"

namespace AdminHelper {

namespace {

using Snapshots::Snapshot;

// A configuration's snapshots as snapper lists them now, or why there are none.
struct Listing {
    std::vector<Snapshot> snapshots;
    std::optional<Admin::Answer> failure;
};

Listing listSnapshots(const Context& context, const std::string& config)
{
    const std::string snapper = context.tool("snapper");
    if (snapper.empty())
        return {{}, failed("missing", "snapper")};
    Shell::ProcessOutput output;
    {
        const CLocale c;
        output = Shell::runProcess(snapper, {"--no-dbus", "--jsonout", "-c", config, "list"});
    }
    if (!output.started || output.exitCode != 0)
        return {{}, toolAnswer("snapper", output)};
    const std::optional<std::vector<Snapshot>> parsed = Snapshots::parseSnapperList(output.out);
    if (!parsed)
        return {{}, failed("unreadable", "snapper list")};
    Listing listing;
    for (const Snapshot& snapshot : *parsed)
        if (snapshot.config == QString::fromStdString(config))
            listing.snapshots.push_back(snapshot);
    return listing;
}

// Where the snapshot numbered `number` is in the list.
std::optional<std::size_t> indexOf(const std::vector<Snapshot>& snapshots, int number)
{
    for (std::size_t i = 0; i < snapshots.size(); ++i)
        if (snapshots[i].number == number)
            return i;
    return std::nullopt;
}

// The other snapshot of its pre/post pair as the list tells it: a post's pre,
// a pre's listed post; 0 for a single snapshot or a pre without its post.
int partnerOf(const std::vector<Snapshot>& snapshots, const Snapshot& snapshot)
{
    if (snapshot.type == QLatin1String("post"))
        return snapshot.preNumber;
    if (snapshot.type == QLatin1String("pre"))
        for (const Snapshot& other : snapshots)
            if (other.type == QLatin1String("post") && other.preNumber == snapshot.number)
                return other.number;
    return 0;
}

// The snapshot the subvolume's file system boots into, as btrfs tells it
// (nothing when that is no snapshot), or why it could not tell.
struct DefaultSubvolume {
    std::optional<int> snapshot;
    std::optional<Admin::Answer> failure;
};

DefaultSubvolume defaultOf(const Context& context, const QString& subvolume)
{
    if (!subvolume.startsWith(QLatin1Char('/')))
        return {std::nullopt, failed("unreadable", "snapper list")};
    const std::string btrfs = context.tool("btrfs");
    if (btrfs.empty())
        return {std::nullopt, failed("missing", "btrfs")};
    Shell::ProcessOutput output;
    {
        const CLocale c;
        output = Shell::runProcess(btrfs, {"subvolume", "get-default", subvolume.toStdString()});
    }
    if (!output.started || output.exitCode != 0)
        return {std::nullopt, toolAnswer("btrfs", output)};
    return {Snapshots::defaultSnapshot(Shell::decodeUtf8(output.out)), std::nullopt};
}

} // namespace

Admin::Answer removeSnapperSnapshot(const Context& context, const Admin::Action& action)
{
    const std::string& config = action.args[0];
    const std::string& numberText = action.args[1];
    const std::string& partnerText = action.args[2];
    // Both passed Admin::check: plain decimal numbers below a billion.
    const int number = std::stoi(numberText);
    const int partner = std::stoi(partnerText);

    const Listing listing = listSnapshots(context, config);
    if (listing.failure)
        return *listing.failure;
    const std::vector<Snapshot>& snapshots = listing.snapshots;
    const std::optional<std::size_t> at = indexOf(snapshots, number);
    if (!at)
        return failed("snapshot-gone", numberText);
    const std::optional<std::size_t> partnerAt = partner == 0 ? std::nullopt : indexOf(snapshots, partner);
    if (partner != 0 && !partnerAt)
        return failed("snapshot-gone", partnerText);
    const int realPartner = partnerOf(snapshots, snapshots[*at]);
    if (realPartner != partner)
        return failed("snapshot-pair", numberText + " " + std::to_string(realPartner));

    const DefaultSubvolume booted = defaultOf(context, snapshots[*at].subvolume);
    if (booted.failure)
        return *booted.failure;
    std::map<QString, int> defaults;
    if (booted.snapshot)
        defaults[QString::fromStdString(config)] = *booted.snapshot;

    // One listing, one judgement for both members: the pair goes whole.
    const std::vector<Snapshots::Verdict> verdicts = Snapshots::judge(snapshots, defaults, QDateTime::currentDateTime());
    for (const std::optional<std::size_t> member : {at, partnerAt}) {
        if (member && !verdicts[*member].offered)
            return failed("snapshot-kept",
                          std::to_string(snapshots[*member].number) + " " + verdicts[*member].why.toStdString());
    }

    std::vector<std::string> args{"--no-dbus", "-c", config, "delete", numberText};
    if (partner != 0)
        args.push_back(partnerText);
    const CLocale c;
    return runTool(context, "snapper", args);
}

Admin::Answer measureSnapshots(const Context& context, const Admin::Action& action)
{
    const Listing listing = listSnapshots(context, action.args[0]);
    if (listing.failure)
        return *listing.failure;
    Admin::Answer answer = done();
    answer.detail = Snapshots::snapperListJson(listing.snapshots).toStdString();
    return answer;
}

} // namespace AdminHelper
