// The readers of a /proc and /sys root (Monitor::batteryInfo, modelName, externalVolumes, Processes::heldPlaces
// and holderInside, LinuxApps::inUseCheck; not requestQuit, which signals) over a fake tree each input rewrites.
#include <set>
#include <tuple>

#include "FuzzCheck.h"
#include "engines/apps/LinuxDesktopApps.h"
#include "monitor/Sources.h"
#include "platform/Processes.h"

namespace fs = std::filesystem;

static const char* const kExecutable = "/opt/app/bin/app";
static const int kPids[] = {4194305, 4194306};  // above the largest process number Linux hands out

// A link to `target` at `at`, or none for an empty target.
static void link(const fs::path& at, const std::string& target)
{
    unlink(at.c_str());
    REQUIRE(target.empty() || symlink(target.c_str(), at.c_str()) == 0);
}

struct Tree : Fuzz::Scratch {
    const Monitor::Roots roots{root / "proc", root / "sys", root / "dev"};
    Tree()
    {
        for (const char* place : {"proc/self", "proc/4194305/fd", "proc/4194306/fd", "sys/class/power_supply/AC",
                                  "sys/class/power_supply/BAT0", "sys/class/dmi/id", "sys/class/block",
                                  "mnt/media/stick", "mnt/data"})
            fs::create_directories(root / place);
        for (const std::string disk : {"usb1/block/sdb/sdb1", "pci/block/sdc/sdc1"}) {  // a partition on each bus
            fs::create_directories(roots.sys / "devices" / disk);
            Fuzz::write(roots.sys / "devices" / disk / "partition", "1\n");
            link(roots.sys / "class/block" / fs::path(disk).filename(), "../../devices/" + disk);
        }
    }
};

// The supplies, the model, and the volumes (a label link of any name a folder holds, stray "\x" escapes too).
static void checkSys(const Tree& tree, FuzzedDataProvider& data)
{
    static const char* const types[] = {"Battery\n", "Mains\n", "USB\n", "Wireless\n"};
    const auto line = [](const std::string& text) { return text.substr(0, text.find('\n')); };
    const std::string acType = data.PickValueInArray(types), acOnline = data.ConsumeRandomLengthString(4);
    const std::string batType = data.PickValueInArray(types), present = data.ConsumeRandomLengthString(4);
    const std::string scope = data.ConsumeBool() ? "System\n" : "Device\n";
    const std::string capacity = data.ConsumeRandomLengthString(24);
    const std::string status = data.ConsumeBool() ? "Charging\n" : data.ConsumeRandomLengthString(12);
    for (const auto& [file, text] : {std::pair{"AC/type", acType}, {"AC/online", acOnline}, {"BAT0/type", batType},
                                     {"BAT0/present", present}, {"BAT0/scope", scope}, {"BAT0/capacity", capacity},
                                     {"BAT0/status", status}})
        Fuzz::write(tree.roots.sys / "class/power_supply" / file, text);
    Fuzz::write(tree.roots.sys / "class/dmi/id/product_name", data.ConsumeRandomLengthString(40));
    const std::optional<Monitor::Battery> battery = Monitor::batteryInfo(tree.roots);
    const bool fromAc = acType == "Battery\n";  // "AC" sorts first, and has none of a battery's files
    const std::string level = line(capacity);
    const bool smallNumber = !level.empty() && level.size() <= 3 && level.find_first_not_of("0123456789") == level.npos;
    REQUIRE(battery.has_value() == (fromAc || (batType == "Battery\n" && line(present) != "0" && scope == "System\n")));
    REQUIRE(!battery
            || (battery->plugged == ((acType == "Mains\n" || acType == "USB\n") && line(acOnline) == "1")
                && battery->charging == (!fromAc && line(status) == "Charging")
                && (fromAc ? battery->level == 0 : !smallNumber || battery->level == std::stoi(level))));
    REQUIRE(!Monitor::modelName(tree.roots).isEmpty());

    std::string mountinfo = data.ConsumeRandomLengthString(1500);
    for (std::size_t at; (at = mountinfo.find("@ROOT@")) != std::string::npos;)
        mountinfo.replace(at, 6, (tree.root / "mnt").native());
    Fuzz::write(tree.roots.proc / "self/mountinfo", mountinfo);
    Fuzz::write(tree.roots.sys / "devices/pci/block/sdc/removable", data.ConsumeRandomLengthString(4));
    fs::remove_all(tree.roots.dev);
    fs::create_directories(tree.roots.dev / "disk/by-label");
    std::string label = "L" + Fuzz::withoutNul(data, 60, '\\');
    std::replace(label.begin(), label.end(), '/', '\\');
    link(tree.roots.dev / "disk/by-label" / label, data.ConsumeBool() ? "../../sdb1" : "../../sdc1");
    std::set<fs::path> urls;
    for (const Monitor::VolumeInfo& volume : Monitor::externalVolumes(tree.roots))
        REQUIRE(volume.url != "/" && urls.insert(volume.url).second);
}

static void checkProcesses(const Tree& tree, FuzzedDataProvider& data)
{
    // heldPlaces finds every place that is a path, named by the comm's first 64 bytes without the line end
    std::multiset<std::tuple<std::string, int, std::string>> expected, found;
    std::set<int> running;  // the processes running kExecutable
    for (const int pid : kPids) {
        const fs::path folder = tree.roots.proc / std::to_string(pid);
        const std::string comm = data.ConsumeRandomLengthString(70);
        std::vector<std::string> places{Fuzz::withoutNul(data, 120, '/')};  // the working folder, then open files
        if (data.ConsumeBool())
            running.insert(pid);
        Fuzz::write(folder / "comm", comm);
        link(folder / "cwd", places[0]);
        link(folder / "exe", running.contains(pid) ? kExecutable : "/usr/bin/other");
        const int count = data.ConsumeIntegralInRange(0, 3);
        for (int fd = 0; fd < 3; ++fd) {
            places.push_back(fd < count ? Fuzz::withoutNul(data, 120, '/') : "");
            link(folder / "fd" / std::to_string(fd), places.back());
        }
        std::string name = comm.substr(0, 64);
        while (!name.empty() && (name.back() == '\n' || name.back() == '\0'))
            name.pop_back();
        for (const std::string& place : places)
            if (!comm.empty() && place.starts_with('/'))
                expected.insert({place, pid, name});
    }
    const std::vector<Processes::Holder> held = Processes::heldPlaces(tree.roots.proc);
    for (const Processes::Holder& holder : held)
        found.insert({holder.path, holder.pid, holder.process});
    REQUIRE(found == expected);

    // The lookups: "/", one path more, and every place held with its folders.
    std::vector<std::string> queries{"/", Fuzz::withoutNul(data, 120, '/')};
    for (const Processes::Holder& holder : held)
        for (fs::path place = holder.path; place.has_relative_path(); place = place.parent_path())
            queries.push_back(place.native());
    const LinuxApps::InUseCheck inUse = LinuxApps::inUseCheck(kExecutable, tree.roots.proc);
    for (const std::string& query : queries) {
        if (!query.starts_with('/'))
            continue;
        std::string folder = query;  // trailing slashes aside
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        const auto within = [&](const Processes::Holder& h) {
            return h.path == folder || h.path.starts_with(folder == "/" ? folder : folder + "/");
        };
        // sorted by path, the holder at the folder itself comes before those inside it
        const auto wanted = std::find_if(held.begin(), held.end(), within);
        const Processes::Holder* holder = Processes::holderInside(held, query);
        REQUIRE(holder ? wanted != held.end() && holder->path == wanted->path : wanted == held.end());
        const QString user = inUse(query);  // only other programs' places count
        REQUIRE(user.isEmpty() || std::any_of(held.begin(), held.end(), [&](const auto& h) {
                    return !running.contains(h.pid) && within(h) && QString::fromStdString(h.process) == user;
                }));
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    static const Tree tree;
    FuzzedDataProvider data(bytes, size);
    checkSys(tree, data);
    checkProcesses(tree, data);
    return 0;
}
