#include "engines/common/WalkPlaces.h"

#include "engines/common/NeverTouchList.h"
#include "platform/FS.h"

namespace fs = std::filesystem;

namespace WalkPlaces {

std::string walkerText(const fs::path& path)
{
    std::string text = path.lexically_normal().native();
    while (!text.empty() && text.back() == '/')
        text.pop_back();
    return text;
}

fs::path resolvedFolder(const fs::path& folder)
{
    std::error_code error;
    const fs::path real = fs::canonical(folder, error);
    return error ? folder : real;
}

std::vector<SkipPlace> skipPlaces(const fs::path& home, const std::vector<std::string>& skip)
{
    const fs::path trash = resolvedFolder(FS::trashFolder().lexically_normal().parent_path()) / "files";
    std::vector<fs::path> all{trash, trash.parent_path()};
    const std::vector<fs::path> storage = FS::storagePlaces();
    all.insert(all.end(), storage.begin(), storage.end());
    for (const std::string& name : skip)
        all.push_back(home / name);
    std::vector<SkipPlace> places;
    for (const fs::path& place : all) {
        const fs::path normal = place.lexically_normal();
        places.push_back({walkerText(normal.parent_path()), normal.filename().native()});
    }
    return places;
}

bool startsInStorage(const fs::path& written, const fs::path& root)
{
    const NeverTouchList storage(FS::storagePlaces());
    return storage.covers(written) || storage.covers(root);
}

bool isSkipped(const Walker::Entry& entry, const std::vector<SkipPlace>& places)
{
    for (const SkipPlace& place : places)
        if (entry.name == place.name && entry.folder == place.folder)
            return true;
    return false;
}

} // namespace WalkPlaces
