// Times the linux profile's application list over 300 desktop entries (250
// in a system data folder, 50 in the user's, besides this machine's own
// /usr/share/applications), with the real package tools answering, then the
// sizes of every application. The list is what the page shows first; the
// sizes arrive afterwards.
//
//   apps_list_bench [FOLDER]     (default: /tmp/quillmoor-apps-bench)
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <QCoreApplication>

#include "engines/apps/Apps.h"
#include "engines/apps/LinuxDesktopApps.h"

#include "Timing.h"

namespace fs = std::filesystem;

namespace {

void writeEntry(const fs::path& path, int n)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "[Desktop Entry]\nType=Application\nName=Bench App " << n << "\nName[de]=Bench-App " << n
                        << "\nExec=env BENCH=1 true --app " << n << " %U\nIcon=bench-" << n
                        << "\nStartupWMClass=BenchApp" << n << "\nCategories=Utility;\n";
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const fs::path root = argc > 1 ? fs::path(argv[1]) : fs::path("/tmp/quillmoor-apps-bench");
    fs::remove_all(root);
    for (int n = 0; n < 250; ++n)
        writeEntry(root / "system/applications" / ("bench-" + std::to_string(n) + ".desktop"), n);
    for (int n = 250; n < 300; ++n)
        writeEntry(root / "user/applications" / ("bench-" + std::to_string(n) + ".desktop"), n);

    LinuxApps::Sources sources;
    sources.userFolder = root / "user/applications";
    sources.folders = {sources.userFolder, root / "system/applications", "/usr/share/applications"};
    const LinuxApps::CommandRunner run = [](const std::string& command) { return Shell::run(command); };

    std::vector<double> lists;
    std::size_t count = 0;
    for (int round = 0; round < 3; ++round) {
        const auto start = std::chrono::steady_clock::now();
        count = LinuxApps::scanApps(sources, run).size();
        lists.push_back(secondsSince(start));
    }
    const std::vector<AppInfo> apps = LinuxApps::scanApps(sources, run);
    const auto start = std::chrono::steady_clock::now();
    std::atomic<std::int64_t> total{0};
    Sweeper::appSizes(apps, [&](std::size_t, std::int64_t bytes) { total += bytes; });
    const double sizes = secondsSince(start);

    std::printf("applications listed: %zu (300 fixture entries + this machine's)\n", count);
    std::printf("list with owners (dpkg-query -S and -W): median %.3f s, slowest %.3f s of 3\n", median(lists),
                *std::max_element(lists.begin(), lists.end()));
    std::printf("sizes of all %zu: %.3f s (%lld bytes)\n", apps.size(), sizes, static_cast<long long>(total.load()));
    fs::remove_all(root);
    return 0;
}
