#include "platform/RendererChoice.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <system_error>
#include <vector>

#include "platform/Paths.h"

namespace fs = std::filesystem;

namespace RendererChoice {

std::string gpuDevices(const fs::path& dev, const fs::path& sysDrm)
{
    std::vector<std::string> found;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(dev / "dri", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("card") || name.starts_with("renderD")) {
            const fs::path driver = fs::read_symlink(sysDrm / name / "device/driver", ec);
            found.push_back(name + "=" + (ec ? std::string("?") : driver.filename().string()));
        }
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(dev, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("nvidia") && name.size() > 6 && std::isdigit(static_cast<unsigned char>(name[6])))
            found.push_back(name);
    }
    std::sort(found.begin(), found.end());  // listing order is the file system's
    std::string line;
    for (const std::string& device : found)
        line += (line.empty() ? "" : " ") + device;
    return line;
}

std::optional<bool> remembered(const fs::path& file, const std::string& key)
{
    std::ifstream in(file);
    std::string storedKey, answer;
    if (!std::getline(in, storedKey) || !std::getline(in, answer) || storedKey != key)
        return std::nullopt;
    if (answer == "software")
        return true;
    if (answer == "hardware")
        return false;
    return std::nullopt;
}

void remember(const fs::path& file, const std::string& key, bool software)
{
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    const fs::path partial = file.string() + ".new";
    {
        std::ofstream out(partial, std::ios::trunc);
        out << key << '\n' << (software ? "software" : "hardware") << '\n';
        if (!out.flush())
            return;
    }
    fs::rename(partial, file, ec);  // whole or not at all
}

fs::path rememberedFile() { return Paths::cacheHome() / "Quillmoor" / "renderer"; }

} // namespace RendererChoice
