#include "admin/Context.h"

#include <sys/stat.h>
#include <unistd.h>

namespace AdminHelper {

std::string Context::tool(std::string_view name) const
{
    for (const char* folder : {"/usr/sbin/", "/usr/bin/", "/sbin/", "/bin/"}) {
        const std::string path = system(folder) + std::string(name);
        struct stat info;
        if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0)
            return path;
    }
    return {};
}

Admin::Answer done()
{
    Admin::Answer answer;
    answer.done = true;
    return answer;
}

Admin::Answer failed(std::string code, std::string detail)
{
    Admin::Answer answer;
    answer.code = std::move(code);
    answer.detail = std::move(detail);
    return answer;
}

Admin::Answer runTool(const Context& context, std::string_view name, const std::vector<std::string>& args)
{
    const std::string program = context.tool(name);
    if (program.empty())
        return failed("missing", std::string(name));
    return toolAnswer(name, Shell::runProcess(program, args));
}

Admin::Answer toolAnswer(std::string_view name, const Shell::ProcessOutput& output)
{
    if (output.started && output.exitCode == 0)
        return done();
    QString reason = Shell::lastLine(Shell::decodeUtf8(output.err));
    if (reason.isEmpty())
        reason = Shell::lastLine(Shell::decodeUtf8(output.out));
    if (reason.isEmpty())
        reason = output.started ? QStringLiteral("%1: exit status %2").arg(QString::fromUtf8(name.data(), qsizetype(name.size()))).arg(output.exitCode)
                                : output.startError;
    return failed("tool", reason.toStdString());
}

} // namespace AdminHelper
