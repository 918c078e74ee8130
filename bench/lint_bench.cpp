// Times Lint::find over the large-file benchmark's home (325,000 entries, with
// a sprinkling of empty trees and of links whose target is missing added
// once) beside `find HOME -empty -type d` plus `find HOME -xtype l`, each run
// as a child process with its output thrown away, alternating on a warm
// cache; prints the medians and the ratio.
//
//   lint_bench [FOLDER]     (default: /tmp/quillmoor-large-bench)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engines/dupes/Lint.h"

#include "BenchHome.h"
#include "Timing.h"

namespace fs = std::filesystem;

namespace {

constexpr int kRounds = 5;
constexpr int kTrees = 300;  // empty trees of three folders, and as many broken and working links

// Adds the empty trees and links once (marked by ".lint-complete").
void sprinkle(const fs::path& home)
{
    if (fs::exists(home / ".lint-complete"))
        return;
    for (int i = 0; i < kTrees; ++i) {
        const fs::path folder = home / "Projects" / ("p" + std::to_string(i)) / ("s" + std::to_string(i % 10));
        fs::create_directories(folder / ("empty" + std::to_string(i)) / "a/b");
        fs::create_symlink("file0.dat", folder / ("good" + std::to_string(i)));
        fs::create_symlink("moved-away.dat", folder / ("broken" + std::to_string(i)));
    }
    close(open((home / ".lint-complete").c_str(), O_CREAT | O_WRONLY, 0644));
}

// Seconds one find run with these arguments takes, its output thrown away.
double runFind(const std::vector<std::string>& args)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        std::vector<char*> argv{const_cast<char*>("find")};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execvp("find", argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return secondsSince(start);
}

} // namespace

int main(int argc, char** argv)
{
    const fs::path root = argc > 1 ? fs::path(argv[1]) : fs::path("/tmp/quillmoor-large-bench");
    const fs::path home = root / "home";
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    BenchHome::makeHome(home);
    sprinkle(home);

    // Everything find sees: hidden entries too.
    Lint::Options options;
    options.hidden = true;
    const auto lint = [&] { return Lint::find(home, options, CancelFlag{}); };
    const std::vector<std::string> empty{home.native(), "-empty", "-type", "d"};
    const std::vector<std::string> broken{home.native(), "-xtype", "l"};

    lint();  // warm the cache
    runFind(empty);
    runFind(broken);
    std::vector<double> ours, finds, emptyFind, brokenFind;
    Lint::Result result;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        result = lint();
        ours.push_back(secondsSince(start));
        emptyFind.push_back(runFind(empty));
        brokenFind.push_back(runFind(broken));
        finds.push_back(emptyFind.back() + brokenFind.back());
    }
    const auto count = [&](Lint::Kind kind) {
        return std::count_if(result.items.begin(), result.items.end(), [&](const Lint::Item& item) { return item.kind == kind; });
    };
    std::printf("home:            %s (%lld entries met)\n", home.c_str(), static_cast<long long>(result.entries));
    std::printf("Lint::find:      %8.1f ms median, %8.1f ms best of %d   %ld empty trees, %ld broken links\n",
                median(ours) * 1000, *std::min_element(ours.begin(), ours.end()) * 1000, kRounds,
                long(count(Lint::Kind::EmptyFolder)), long(count(Lint::Kind::BrokenLink)));
    std::printf("find -empty:     %8.1f ms median\n", median(emptyFind) * 1000);
    std::printf("find -xtype l:   %8.1f ms median\n", median(brokenFind) * 1000);
    std::printf("lint ratio:      %.2fx the two finds' time (medians; target <= 0.6), %.2fx find -empty's alone\n",
                median(ours) / median(finds), median(ours) / median(emptyFind));
    return 0;
}
