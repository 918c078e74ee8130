// quillmoor-admin: Quillmoor's administrator helper, started by pkexec. It
// does only the fixed actions it knows, with arguments it has checked, and
// runs each tool by its absolute path with an argument vector in a clean
// environment. It acts for the user pkexec names in PKEXEC_UID, never for
// one named by its arguments or the environment it was handed.
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "admin/Perform.h"

namespace {

// A locale name as the tools' messages may use it ("pt_BR.UTF-8", "de:en").
bool isLocaleName(const char* value)
{
    const std::string text(value);
    if (text.empty() || text.size() > 64)
        return false;
    for (const char c : text)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '.' && c != '@' && c != '-' && c != ':')
            return false;
    return true;
}

// Everything the helper was handed goes, but the language of the tools'
// messages (when it is only a locale name).
void cleanEnvironment()
{
    std::vector<std::pair<std::string, std::string>> kept;
    for (const char* name : {"LANG", "LANGUAGE", "LC_ALL", "LC_MESSAGES"})
        if (const char* value = std::getenv(name); value && isLocaleName(value))
            kept.emplace_back(name, value);
    clearenv();
    setenv("PATH", "/usr/sbin:/usr/bin:/sbin:/bin", 1);
    for (const auto& [name, value] : kept)
        setenv(name.c_str(), value.c_str(), 1);
}

void say(const std::string& line)
{
    std::fputs(line.c_str(), stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    if (geteuid() != 0) {
        std::fputs("quillmoor-admin: only runs as the administrator, started by pkexec\n", stderr);
        return Admin::kExitNotRoot;
    }
    std::signal(SIGPIPE, SIG_IGN);  // a program that went away does not cut an action short
    umask(022);

    AdminHelper::Context context;
#ifdef QUILLMOOR_ADMIN_TEST_BUILD
    // The test build only: every system path and tool under a fixture folder.
    if (const char* root = std::getenv("QUILLMOOR_ADMIN_TEST_ROOT"))
        context.root = root;
#endif
    const std::optional<uid_t> user = AdminHelper::actingUser(std::getenv("PKEXEC_UID"), getuid());
    cleanEnvironment();
    if (!user) {
        Admin::Answer refusal;
        refusal.refused = true;
        refusal.code = "user";
        say(Admin::answerLine(refusal));
        return Admin::kExitRefused;
    }
    context.user = *user;
    return AdminHelper::runRequest(context, std::vector<std::string>(argv + 1, argv + argc), say);
}
