// Paths::parseUserDirs over user-dirs.dirs: every folder read is absolute, normal
// and not the home folder, and written back it reads back the same.
#include <QUtf8StringView>

#include "FuzzCheck.h"
#include "platform/Paths.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const std::string text = Fuzz::text(bytes, size);
    for (const std::filesystem::path home : {"/home/fuzz", "/"}) {
        const std::vector<Paths::UserDir> dirs = Paths::parseUserDirs(text, home);
        REQUIRE(dirs.size() <= Fuzz::lines(text) && (dirs.empty() || QUtf8StringView(text).isValidUtf8()));
        std::string written = "# written back\n";  // XDG_KEY_DIR="path", with '"' and '\' escaped
        for (const Paths::UserDir& dir : dirs) {
            std::string normal = dir.path.lexically_normal().native();
            if (normal.size() > 1 && normal.back() == '/')
                normal.pop_back();
            REQUIRE(!dir.key.empty() && dir.path.is_absolute() && dir.path != home && normal == dir.path.native());
            written += "XDG_" + dir.key + "_DIR=\"";
            for (const char c : dir.path.native())
                written += (c == '"' || c == '\\') ? std::string{'\\', c} : std::string{c};
            written += "\"\n";
        }
        const std::vector<Paths::UserDir> again = Paths::parseUserDirs(written, home);
        REQUIRE(again.size() == dirs.size());
        for (std::size_t i = 0; i < dirs.size(); ++i)
            REQUIRE(again[i].key == dirs[i].key && again[i].path.native() == dirs[i].path.native());
    }
    return 0;
}
