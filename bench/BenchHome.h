#pragma once
// The generated home the large-file and lint benchmarks walk: 325,000
// entries under Projects (visible), .cache and Library/Caches, with sparse big
// files spread among them. Made once and reused by later runs.
#include <filesystem>

namespace BenchHome {

// Where the entries go: a folder under the home, its subfolders, files in each.
struct Part {
    const char* folder;
    int subfolders;
    int filesEach;
};

// 300 x (1 + 10 x 100) visible entries, plus hidden and Library folders the
// large-file scan never enters (find does).
inline constexpr Part kParts[] = {
    {"Projects", 3000, 100},
    {".cache", 20, 500},
    {"Library/Caches", 20, 500},
};

int totalEntries();

// Makes the home unless a finished one is already there (marked by ".complete").
void makeHome(const std::filesystem::path& home);

} // namespace BenchHome
