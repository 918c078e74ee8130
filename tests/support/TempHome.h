#pragma once
// A temporary home folder with its XDG folders; sets HOME and XDG_* while it
// lives and removes the whole tree afterwards (making unreadable folders
// readable again first, so nothing is left behind).
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

class TempHome {
public:
    TempHome()
    {
        std::string templ = (std::filesystem::temp_directory_path() / "quillmoor-test-XXXXXX").string();
        root_ = mkdtemp(templ.data());
        setenv("HOME", root_.c_str(), 1);
        setenv("XDG_DATA_HOME", (root_ / ".local/share").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root_ / ".config").c_str(), 1);
        setenv("XDG_STATE_HOME", (root_ / ".local/state").c_str(), 1);
        setenv("XDG_CACHE_HOME", (root_ / ".cache").c_str(), 1);
        // Qt warns when the runtime folder is missing or open to others.
        const std::filesystem::path runtime = root_ / ".runtime";
        std::filesystem::create_directory(runtime);
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
    ~TempHome() { removeAll(root_); }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::filesystem::path& path() const { return root_; }

    static void removeAll(const std::filesystem::path& p)
    {
        std::error_code ec;
        for (auto it = std::filesystem::recursive_directory_iterator(
                 p, std::filesystem::directory_options::skip_permission_denied, ec);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            if (ec) break;
            if (it->is_directory(ec) && !it->is_symlink(ec))
                std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ec);
        }
        std::filesystem::permissions(p, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(p, ec);
    }

private:
    std::filesystem::path root_;
};
