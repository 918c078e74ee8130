#include "cli/Cli.h"

#include <algorithm>

#include <QJsonDocument>
#include <QJsonObject>

#include "cli/AppCommands.h"
#include "cli/JunkCommands.h"
#include "cli/DupesCommands.h"
#include "cli/LintCommands.h"
#include "cli/HistoryCommands.h"
#include "cli/IgnoreCommands.h"
#include "cli/LargeCommands.h"
#include "cli/MaintenanceCommands.h"
#include "cli/SpaceCommands.h"
#include "cli/StartupCommands.h"
#include "cli/MonitorCommands.h"
#include "cli/RestoreCommands.h"
#include "cli/TerminalText.h"
#include "i18n/ShownText.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "platform/Quitting.h"
#include "platform/Version.h"
#include "profiles/Profile.h"

namespace Cli {

namespace {

// A paragraph of the help, wrapped to the width.
void printParagraph(QTextStream& s, const QString& text, int width)
{
    for (const QString& line : wrapped(text, width))
        s << line << "\n";
}

void printColumns(QTextStream& s, const std::vector<std::pair<QString, QString>>& rows, int width)
{
    for (const QString& line : twoColumns(rows, width))
        s << line << "\n";
}

} // namespace

QString helpText(int width)
{
    QString text;
    QTextStream s(&text);
    printParagraph(s, LF("Uso: %@", "quillmoor-cli [--json] [--profile NAME] COMMAND [ARGS]"), width);
    s << "\n";
    printParagraph(s, L("Os recursos do Quillmoor sem a janela."), width);
    s << "\n" << L("Opções:") << "\n";
    printColumns(s,
                 {{"--json", L("imprime um único documento JSON em vez de texto")},
                  {"--profile NAME", L("o sistema operacional cujos lugares e ferramentas usar") + "\n"
                                         + L("(linux ou macos; padrão: QUILLMOOR_PROFILE, senão o deste sistema)")},
                  {"-h, --help", L("mostra esta ajuda")},
                  {"--version", L("mostra a versão e o perfil em uso")}},
                 width);
    s << "\n" << L("Comandos:") << "\n";
    std::vector<std::pair<QString, QString>> rows;
    for (const Command& command : commands())
        rows.emplace_back(command.usage, command.summary);
    printColumns(s, rows, width);
    s << "\n";
    printParagraph(s, L("Status de saída: 0 sucesso, 1 falha, 2 uso incorreto, 130 interrompido."), width);
    printParagraph(s, L("Os textos seguem o idioma da interface (LANGUAGE, LC_ALL, LC_MESSAGES, LANG)."), width);
    s << "\n";
    printParagraph(s, L("Para scripts, leia --json: a saída em texto é feita para pessoas, e o seu espaçamento (como o espaço inseparável entre um número e a sua unidade) pode mudar."), width);
    return text;
}

namespace {

// Makes a profile active for one run of the tool and gives the previous one
// back afterwards (tests run the tool many times in one process).
class ProfileForRun {
public:
    ProfileForRun() : before_(Profiles::active().name) {}
    ~ProfileForRun()
    {
        if (Profiles::active().name != before_)
            Profiles::choose(before_);
    }
    ProfileForRun(const ProfileForRun&) = delete;
    ProfileForRun& operator=(const ProfileForRun&) = delete;

private:
    QString before_;
};

} // namespace

QString lineSafe(const QString& text)
{
    QString safe;
    safe.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        // C0 controls, DEL, C1 controls and the two Unicode line breaks.
        const bool control = u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029;
        if (!control) {
            safe += c;
            continue;
        }
        switch (u) {
        case '\n': safe += QLatin1String("\\n"); break;
        case '\r': safe += QLatin1String("\\r"); break;
        case '\t': safe += QLatin1String("\\t"); break;
        default:
            safe += u <= 0xFF ? QStringLiteral("\\x%1").arg(int(u), 2, 16, QChar('0'))
                              : QStringLiteral("\\u%1").arg(int(u), 4, 16, QChar('0'));
        }
    }
    return safe;
}

QString lineSafe(const std::filesystem::path& path)
{
    return lineSafe(FS::text(path));
}

QString shownName(const QString& name)
{
    return lineSafe(escapeDirectionMarks(name));
}

QString shownName(const std::filesystem::path& path)
{
    return shownName(FS::text(path));
}

int Context::usageError(const QString& text) const
{
    err << "quillmoor-cli: " << lineSafe(text) << "\n";
    err.flush();
    return BadUsage;
}

void Context::printJson(const QJsonValue& value) const
{
    const QJsonDocument document = value.isArray() ? QJsonDocument(value.toArray())
                                                   : QJsonDocument(value.toObject());
    out << QString::fromUtf8(document.toJson(QJsonDocument::Indented));
    out.flush();
}

std::vector<Command> commands()
{
    // Each feature hands over its commands from its own file (cli/<Feature>Commands.h);
    // they are listed in the order they are added here. Made on each call, so
    // the summaries are in the words of the profile in use.
    std::vector<Command> all;
    const auto add = [&all](const std::vector<Command>& feature) {
        all.insert(all.end(), feature.begin(), feature.end());
    };
    add(junkCommands());
    add(largeCommands());
    add(dupesCommands());
    add(lintCommands());
    add(appCommands());
    add(startupCommands());
    add(spaceCommands());
    add(maintenanceCommands());
    add(historyCommands());
    add(restoreCommands());
    add(ignoreCommands());
    add(monitorCommands());
    return all;
}

int run(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    Context context{{}, false, out, err};
    const ProfileForRun profileForRun;
    QString commandName;
    int index = 0;
    // Global options come before the command; everything after it is the command's.
    for (; index < arguments.size(); ++index) {
        const QString& arg = arguments[index];
        if (arg == "--json") {
            context.json = true;
        } else if (arg == "-h" || arg == "--help") {
            out << helpText(terminalColumns());
            out.flush();
            return Success;
        } else if (arg == "--profile") {
            const QString name = index + 1 < arguments.size() ? arguments[++index] : QString();
            if (!Profiles::choose(name))
                return context.usageError(LF("perfil desconhecido “%@” (linux ou macos)", name));
        } else if (arg.startsWith(QLatin1String("--profile="))) {
            const QString name = arg.mid(int(qstrlen("--profile=")));
            if (!Profiles::choose(name))
                return context.usageError(LF("perfil desconhecido “%@” (linux ou macos)", name));
        } else if (arg == "--version") {
            const QString profile = Profiles::active().name;
            if (context.json)
                context.printJson(QJsonObject{{"version", appVersionText()}, {"profile", profile}});
            else
                out << LF("%@ (perfil: %@)", appVersionText(), profile) << "\n";
            out.flush();
            return Success;
        } else if (arg.startsWith('-')) {
            return context.usageError(LF("opção desconhecida “%@” (veja --help)", arg));
        } else {
            commandName = arg;
            ++index;
            break;
        }
    }
    if (commandName.isEmpty())
        return context.usageError(L("nenhum comando informado (veja --help)"));
    for (const Command& command : commands()) {
        if (command.name != commandName)
            continue;
        context.args = arguments.mid(index);
        // --json may also follow the command
        if (context.args.removeAll("--json") > 0)
            context.json = true;
        const int status = command.run(context);
        out.flush();
        // Asked to end (Ctrl+C, SIGTERM): what was printed may be partial, and nothing more was begun.
        if (Quitting::requested()) {
            err << "quillmoor-cli: " << L("Interrompido: o que foi mostrado pode estar incompleto, e nada mais foi começado.")
                << "\n";
            err.flush();
            return Interrupted;
        }
        err.flush();
        return status;
    }
    return context.usageError(LF("comando desconhecido “%@” (veja --help)", commandName));
}

} // namespace Cli
