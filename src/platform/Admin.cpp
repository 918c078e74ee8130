#include "platform/Admin.h"

#include <climits>
#include <cstdlib>
#include <mutex>

#include <sys/stat.h>
#include <unistd.h>

#include <QStandardPaths>

#include "i18n/L.h"

namespace Admin {

namespace {

std::mutex runnerMutex;
Runner injectedRunner;

bool isExecutableFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string ownFolder()
{
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return {};
    const std::string path(buffer, std::size_t(n));
    return path.substr(0, path.rfind('/'));
}

QString text(const std::string& bytes) { return QString::fromUtf8(bytes.data(), qsizetype(bytes.size())); }

Reply runHelper(const std::vector<Action>& actions)
{
    // The program's own checks first, so a request the helper would refuse
    // never costs the user a password.
    for (const Action& action : actions)
        if (const std::optional<Refusal> refusal = check(action))
            return {false, reasonText({true, 0, false, refusal->code, refusal->detail}), {}, {}};

    const std::string helper = helperPath(ownFolder());
    if (helper.empty())
        return {false, L("Não foi possível encontrar o ajudante de administrador (quillmoor-admin)."), {}, {}};
    const bool isRoot = geteuid() == 0;
    const std::string pkexec =
        isRoot ? std::string() : QStandardPaths::findExecutable(QStringLiteral("pkexec")).toStdString();
    const std::vector<std::string> argv = helperArgv(actions, helper, isRoot, pkexec);
    if (argv.empty())
        return {false, L("Não foi possível pedir a senha de administrador: pkexec não está instalado."), {}, {}};
    const std::vector<std::string> args(argv.begin() + 1, argv.end());
    return replyFrom(Shell::runProcess(argv.front(), args), actions.size(), !isRoot);
}

} // namespace

std::string helperPath(const std::string& programFolder)
{
    if (programFolder.empty())
        return {};
    for (const char* place : {"/../lib/quillmoor/quillmoor-admin", "/quillmoor-admin"}) {
        const std::string path = programFolder + place;
        if (!isExecutableFile(path))
            continue;
        // pkexec matches the policy by the path as written: the real one.
        char real[PATH_MAX];
        return realpath(path.c_str(), real) ? std::string(real) : std::string();
    }
    return {};
}

std::vector<std::string> helperArgv(const std::vector<Action>& actions, const std::string& helper, bool isRoot,
                                    const std::string& pkexecPath)
{
    std::vector<std::string> argv;
    if (!isRoot) {
        if (pkexecPath.empty())
            return {};
        argv.push_back(pkexecPath);
    }
    argv.push_back(helper);
    const std::vector<std::string> words = encode(actions);
    argv.insert(argv.end(), words.begin(), words.end());
    return argv;
}

QString reasonText(const Answer& answer)
{
    const QString detail = text(answer.detail).trimmed();
    const std::string& code = answer.code;
    if (code == "tool")
        return detail.isEmpty() ? L("O comando foi interrompido antes de terminar.") : detail;
    if (code == "missing")
        return LF("Indisponível: falta %@", detail);
    if (code == "argument")
        return LF("Recusado pelo ajudante de administrador: argumento inválido (%@).", detail);
    if (code == "place")
        return LF("Recusado: %@ não está mais onde foi verificado.", detail);
    if (code == "kept")
        return LF("Não removido: %@", detail);
    if (code == "owner")
        return LF("Recusado: %@ não pertence a você.", detail);
    if (code == "changed")
        return LF("Recusado: a remoção mudou desde que foi aprovada (%@).", detail);
    if (code == "essential")
        return LF("Recusado: %@ é necessário ao sistema.", detail);
    if (code == "in-use")
        return LF("Recusado: %@ está em uso.", detail);
    if (code == "no-timeshift")
        return L("Recusado: a pasta de instantâneos do Timeshift não foi encontrada.");
    if (code == "busy")
        return L("Outro programa está instalando ou removendo pacotes. Tente de novo quando ele terminar.");
    if (code == "snapshot-gone")
        return LF("Recusado: o instantâneo %@ não existe mais.", detail);
    if (code == "snapshot-kept") {
        // "NUMBER WHY": the snapshot and why it stays, as the helper judged it.
        const qsizetype blank = detail.indexOf(QLatin1Char(' '));
        return LF("O instantâneo %@ fica: %@", detail.left(blank), blank < 0 ? QString() : detail.mid(blank + 1));
    }
    if (code == "snapshot-pair") {
        // "NUMBER PARTNER": the snapshot and its real partner, "0" for none.
        const QStringList numbers = detail.split(QLatin1Char(' '));
        if (numbers.size() == 2 && numbers[1] != QLatin1String("0"))
            return LF("Recusado: o instantâneo %@ só sai junto com o %@, seu par antes/depois.", numbers[0], numbers[1]);
        return LF("Recusado: o instantâneo %@ não faz parte de um par antes/depois.", numbers[0]);
    }
    if (code == "unreadable")
        return LF("Recusado: não foi possível ler a resposta de %@.", detail);
    if (code == "user")
        return L("Recusado: não foi possível saber para qual usuário agir.");
    return LF("Recusado pelo ajudante de administrador: pedido inválido (%@).",
              text(code) + (detail.isEmpty() ? QString() : QLatin1Char(' ') + detail));
}

Reply replyFrom(const Shell::ProcessOutput& output, std::size_t actions, bool viaPkexec)
{
    Reply reply;
    if (!output.started) {
        reply.reason = output.startError.trimmed();
        if (reply.reason.isEmpty())
            reply.reason = L("Não foi possível iniciar o comando.");
        return reply;
    }
    if (viaPkexec && output.exitCode == 126) {
        reply.reason = L("Cancelado");
        return reply;
    }
    if (viaPkexec && output.exitCode == 127) {
        reply.reason = L("Não autorizado: o sistema não permitiu esta ação como administrador, ou não há como pedir a senha aqui.");
        return reply;
    }
    if (output.exitCode == kExitNotRoot) {
        reply.reason = L("O ajudante de administrador só age quando iniciado pelo pkexec.");
        return reply;
    }
    const std::vector<Answer> answers = readAnswers(std::string_view(output.out.constData(), std::size_t(output.out.size())));
    for (const Answer& answer : answers) {
        if (answer.refused) {
            reply.reason = reasonText(answer);
            return reply;
        }
    }
    const QString unanswered = output.exitCode < 0 ? L("O comando foi interrompido antes de terminar.")
                                                   : LF("O comando terminou com o código de saída %ld.", output.exitCode);
    reply.failures.assign(actions, unanswered);
    reply.details.assign(actions, QString());
    for (const Answer& answer : answers) {
        if (answer.index >= actions)
            continue;
        reply.failures[answer.index] = answer.done ? QString() : reasonText(answer);
        reply.details[answer.index] = answer.done ? text(answer.detail) : QString();
    }
    reply.ok = output.exitCode == kExitDone;
    for (const QString& failure : reply.failures) {
        if (!failure.isEmpty()) {
            reply.ok = false;
            if (reply.reason.isEmpty())
                reply.reason = failure;
        }
    }
    if (!reply.ok && reply.reason.isEmpty())
        reply.reason = unanswered;
    return reply;
}

Reply run(const Request& request)
{
    {
        std::lock_guard<std::mutex> lock(runnerMutex);
        if (injectedRunner)
            return injectedRunner(request);
    }
    if (request.empty())
        return {true, {}, {}, {}};
#ifdef __APPLE__
    if (!request.script.empty()) {
        const Shell::ProcessOutput output =
            Shell::runProcess("/usr/bin/osascript", {"-e", Shell::appleScriptFor(text(request.script)).toStdString()});
        const bool ok = output.started && output.exitCode == 0;
        return {ok, ok ? QString() : Shell::lastLine(Shell::decodeUtf8(output.err)), {}, Shell::decodeUtf8(output.out)};
    }
#else
    // A request in both forms runs its actions here; its script only on macOS.
    if (request.actions.empty())
        return {false, L("Disponível apenas no macOS."), {}, {}};
#endif
    return runHelper(request.actions);
}

void setRunner(Runner runner)
{
    std::lock_guard<std::mutex> lock(runnerMutex);
    injectedRunner = std::move(runner);
}

} // namespace Admin
