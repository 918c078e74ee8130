#include "engines/dupes/FileList.h"

#include <algorithm>
#include <cstring>
#include <tuple>

#include "engines/dupes/Duplicates.h"

namespace Dupes {

std::uint32_t FileList::addFolder(std::string path)
{
    folders_.push_back(std::move(path));
    return std::uint32_t(folders_.size() - 1);
}

void FileList::add(std::uint32_t folder, std::string_view name, const struct stat& info)
{
    const std::uint64_t at = names_.size();
    names_.append(name).push_back('\0');
    files_.push_back({info.st_dev, info.st_ino, std::int64_t(info.st_size), mtimeNsOf(info), at, folder,
                      std::uint32_t(info.st_nlink)});
}

std::string_view FileList::nameOf(const File& file) const
{
    const char* name = names_.data() + file.nameAt;
    return {name, std::strlen(name)};
}

std::string FileList::pathOf(const File& file) const
{
    const std::string& folder = folders_[file.folder];
    const std::string_view name = nameOf(file);
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path.append(folder).append(1, '/').append(name);
    return path;
}

Candidate FileList::candidate(const File& file) const
{
    return {pathOf(file), file.device, file.inode, file.size, file.mtimeNs, std::int64_t(file.links)};
}

void FileList::sortForGrouping()
{
    std::erase_if(files_, [](const File& file) { return file.size <= 0; });
    std::sort(files_.begin(), files_.end(), [this](const File& a, const File& b) {
        if (std::tie(a.size, a.device, a.inode) != std::tie(b.size, b.device, b.inode))
            return std::tie(a.size, a.device, a.inode) < std::tie(b.size, b.device, b.inode);
        return pathOf(a) < pathOf(b);  // names of one file: rare, so their paths are made here
    });
}

} // namespace Dupes
