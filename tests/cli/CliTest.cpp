// quillmoor-cli's options: help, bad usage, the version, the profile, the
// monitor line, the escaping of outside text, and how it ends when asked to.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>

#include <csignal>

#include <QThread>

#include "cli/ArgumentBytes.h"
#include "cli/MonitorCommands.h"
#include "cli/TerminalText.h"
#include "engines/removal/PlanJson.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "profiles/Profile.h"
#include "support/Fixtures.h"

TEST(Cli, HelpVersionAndBadUsageExitCodes)
{
    for (const char* flag : {"--help", "-h"}) {
        const CliOutcome r = runCli({flag});
        EXPECT_EQ(r.status, Cli::Success);
        EXPECT_TRUE(r.out.contains("--json"));
        EXPECT_TRUE(r.err.isEmpty());
    }
    EXPECT_EQ(runCli({"--version"}).status, Cli::Success);
    EXPECT_TRUE(runCli({"--version"}).out.startsWith("Quillmoor "));
    EXPECT_TRUE(jsonOf(runCli({"--json", "--version"})).object().value("version").toString().startsWith("Quillmoor "));

    // Bad usage: exit 2 and one line on the error stream, nothing on the output.
    for (const QStringList& args : {QStringList{}, QStringList{"--bogus"}, QStringList{"no-such-command"},
                                    QStringList{"--json"}}) {
        const CliOutcome r = runCli(args);
        EXPECT_EQ(r.status, Cli::BadUsage) << qPrintable(args.join(' '));
        EXPECT_EQ(r.err.count('\n'), 1) << qPrintable(r.err);
        EXPECT_TRUE(r.err.startsWith("quillmoor-cli: "));
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST(MonitorCommand, SampleCountAndOneLinePerReading)
{
    EXPECT_EQ(Cli::parseSampleCount("3"), 3);
    for (const char* bad : {"0", "-1", "2.5", "", "10001", "x"})
        EXPECT_FALSE(Cli::parseSampleCount(bad).has_value()) << bad;
    EXPECT_EQ(runCli({"monitor", "--samples", "0"}).status, Cli::BadUsage);
    EXPECT_EQ(runCli({"monitor", "--every", "1"}).status, Cli::BadUsage);

    Cli::MonitorReading reading;
    reading.disk = {1000, 250};
    reading.mem = {400, 100};
    reading.cpu = 0.129;
    reading.rates = {2048, 10};
    reading.battery = Monitor::Battery{57, false, false};
    reading.volumes.push_back({"/media/al/STICK", "STICK", 5'000'000, "/dev/sdb1"});
    const QString line = Cli::monitorLine(reading);
    EXPECT_FALSE(line.contains('\n'));
    for (const char* part : {"25%", "12%", "2.0\u00A0kB/s", "10\u00A0B/s", "57%", "STICK"})
        EXPECT_TRUE(line.contains(part)) << qPrintable(line);
    const QJsonObject json = Cli::monitorJson(reading);
    EXPECT_EQ(json["battery"].toObject()["level"].toInt(), 57);
    EXPECT_TRUE(json["wifi"].isNull());
    EXPECT_EQ(json["volumes"].toArray()[0].toObject()["free"].toInteger(), 5'000'000);
}

TEST(Cli, OutsideTextIsWrittenOnOneLine)
{
    const struct {
        QString text;
        QString shown;
    } cases[] = {
        {"plain name.txt", "plain name.txt"},
        {"two\nlines", "two\\nlines"},
        {"cr\rtab\t", "cr\\rtab\\t"},
        {QString("esc\x1b[31mred"), "esc\\x1b[31mred"},
        {QString("nul") + QChar(0) + "x", "nul\\x00x"},
        {QString("del") + QChar(0x7f) + QChar(0x85), "del\\x7f\\x85"},
        {QString("sep") + QChar(0x2028) + QChar(0x2029), "sep\\u2028\\u2029"},
        {"ação 日本 ", "ação 日本 "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Cli::lineSafe(c.text), c.shown) << qPrintable(c.shown);
    EXPECT_EQ(Cli::lineSafe(std::filesystem::path("/tmp/a\nb")), "/tmp/a\\nb");
}

TEST(CliProfile, TheOptionChoosesForOneRunAndAnUnknownNameIsBadUsage)
{
    const QString before = Profiles::active().name;
    const CliOutcome macos = runCli({"--profile", "macos", "--version"});
    EXPECT_EQ(macos.status, Cli::Success);
    EXPECT_TRUE(macos.out.contains("(profile: macos)")) << qPrintable(macos.out);
    EXPECT_EQ(Profiles::active().name, before);  // given back after the run

    const CliOutcome json = runCli({"--json", "--profile=linux", "--version"});
    EXPECT_EQ(jsonOf(json).object().value("profile").toString(), "linux");

    for (const QStringList& args : {QStringList{"--profile", "windows", "junk"}, QStringList{"--profile"}}) {
        const CliOutcome bad = runCli(args);
        EXPECT_EQ(bad.status, Cli::BadUsage) << qPrintable(args.join(' '));
        EXPECT_TRUE(bad.err.startsWith("quillmoor-cli: unknown profile")) << qPrintable(bad.err);
        EXPECT_TRUE(bad.out.isEmpty());
    }
}

TEST(CliProfile, TheVariableChoosesAtStartAndAnUnknownNameFallsBack)
{
    // The tool itself, to give it an environment of its own.
    const auto versionWith = [](const QString& variable, const QStringList& args) {
        QProcess cli;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QUILLMOOR_PROFILE", variable);
        cli.setProcessEnvironment(environment);
        cli.start(QStringLiteral(QUILLMOOR_CLI), args + QStringList{"--version"});
        cli.waitForFinished(30000);
        return std::make_pair(QString::fromUtf8(cli.readAllStandardOutput()),
                              QString::fromUtf8(cli.readAllStandardError()));
    };
    EXPECT_TRUE(versionWith("macos", {}).first.contains("(profile: macos)"));
    EXPECT_TRUE(versionWith("macos", {"--profile", "linux"}).first.contains("(profile: linux)"));
    const auto [out, err] = versionWith("beos", {});
    EXPECT_TRUE(out.contains("(profile: linux)")) << qPrintable(out);
    EXPECT_TRUE(err.contains("QUILLMOOR_PROFILE names no profile (beos)")) << qPrintable(err);
}

TEST(CliProfile, TheHelpAndTheJunkListNameNoMacOnLinux)
{
    ASSERT_EQ(Profiles::active().name, "linux");
    for (const QString& text : {runCli({"--help"}).out, runCli({"junk"}).out})
        for (const char* word : {"Mac ", "Finder", "Library", "Xcode", "Spotlight", "Dock"})
            EXPECT_FALSE(text.contains(word)) << word << "\n" << qPrintable(text);
}

TEST(CliQuit, ASignalWaitsForThePackageToolItStartedAndBeginsNothingMore)
{
    // A slow package tool that notes its start, any signal it gets, and its end.
    const std::filesystem::path bin = freshFolder("quit-tools");
    const std::filesystem::path log = bin / "log";
    writeFile(bin / "flatpak", "#!/bin/sh\necho started >> " + log.string() +
                                   "\ntrap 'echo signalled >> " + log.string() + "' INT TERM HUP QUIT\n"
                                   "sleep 1 & wait\nwait\necho done >> " + log.string() + "\n");
    std::filesystem::permissions(bin / "flatpak", std::filesystem::perms::owner_all);

    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PATH", QString::fromStdString(bin.string()) + ":" + environment.value("PATH"));
    cli.setProcessEnvironment(environment);
    cli.start(QStringLiteral(QUILLMOOR_CLI), {"maintenance", "--run", "flatpak"});
    for (int waited = 0; readFile(log) != "started\n" && waited < 20000; waited += 20)
        QThread::msleep(20);
    ASSERT_EQ(readFile(log), "started\n");
    ::kill(pid_t(cli.processId()), SIGTERM);  // to the program alone, as a logout or kill sends it
    ASSERT_TRUE(cli.waitForFinished(30000));

    EXPECT_EQ(readFile(log), "started\ndone\n");  // waited for, never signalled
    EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli.exitCode(), Cli::Interrupted);
    const QString err = QString::fromUtf8(cli.readAllStandardError());
    EXPECT_TRUE(err.contains(LF("Aguardando %@ terminar antes de sair…", QStringLiteral("flatpak")))) << qPrintable(err);
    EXPECT_TRUE(err.contains(L("Interrompido: o que foi mostrado pode estar incompleto, e nada mais foi começado.")));
}

TEST(CliHelp, FitsTheTerminalInEveryLanguage)
{
    // The tool itself, for a language and a width of its own.
    const auto help = [](const char* language, const char* columns) {
        QProcess cli;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LANGUAGE", language);
        environment.insert("COLUMNS", columns);
        cli.setProcessEnvironment(environment);
        cli.start(QStringLiteral(QUILLMOOR_CLI), {"--help"});
        cli.waitForFinished(30000);
        return QString::fromUtf8(cli.readAllStandardOutput()).split('\n');
    };
    for (const char* language : {"pt", "en", "es", "it", "fr", "de", "ja", "zh", "ar"}) {
        for (const auto& [columns, width] : {std::pair{"80", 80}, std::pair{"200", 200}}) {
            const QStringList lines = help(language, columns);
            ASSERT_GT(lines.size(), 30) << language;
            int widest = 0;
            for (const QString& line : lines) {
                EXPECT_LE(Cli::displayWidth(line), width) << language << " " << columns << "\n" << qPrintable(line);
                widest = std::max(widest, Cli::displayWidth(line));
            }
            EXPECT_GT(widest, width * 3 / 4) << language << " " << columns;  // and uses the room
        }
    }
    // Scripts are pointed to --json, in the help and so in the manual page made from it.
    EXPECT_TRUE(Cli::helpText(80).contains(Cli::wrapped(L("Para scripts, leia --json: a saída em texto é feita para "
                                                         "pessoas, e o seu espaçamento (como o espaço inseparável entre "
                                                         "um número e a sua unidade) pode mudar."),
                                                       80)
                                               .join('\n')));
}

TEST(CliHints, NameACommandInEveryLanguage)
{
    const struct {
        const char* key;
        const char* command;
    } hints[] = {
        {"%ld apps encontrados. Para ver um deles com os arquivos que deixou: quillmoor-cli leftovers APP",
         "quillmoor-cli leftovers APP"},
        {"%ld agentes e serviços em segundo plano. Para iniciar mais rápido, desative o que você não usa: quillmoor-cli "
         "startup off ID",
         "quillmoor-cli startup off ID"},
    };
    for (const auto& hint : hints)
        for (const Lang lang : {Lang::pt, Lang::en, Lang::es, Lang::it, Lang::fr, Lang::de, Lang::ja, Lang::zh, Lang::ar})
            for (const std::int64_t n : {1, 2, 3, 11, 100, 101}) {
                const QString text = LPin(lang, n, hint.key, n);
                EXPECT_TRUE(text.endsWith(hint.command)) << rawValue(lang) << " " << n << " " << qPrintable(text);
                EXPECT_FALSE(text.contains("%")) << qPrintable(text);
            }
}

TEST(CliNames, DirectionControlsInANameAreShownWrittenOut)
{
    const std::filesystem::path folder = freshFolder("direction marks");
    const QString name = QString("photo") + QChar(0x202E) + "gpj.exe";
    writeFile(folder / name.toStdString(), "x");
    const QString where = QString::fromStdString(folder.native());

    const CliOutcome text = runCli({"du", where});
    EXPECT_TRUE(text.out.contains("photo<U+202E>gpj.exe")) << qPrintable(text.out);
    EXPECT_FALSE(text.out.contains(QChar(0x202E)));
    // JSON gives the name as it is.
    const QJsonObject json = jsonOf(runCli({"--json", "du", where})).object();
    EXPECT_EQ(json["entries"].toArray()[0].toObject()["name"].toString(), name);
}

TEST(IgnoreCommand, AddsListsAndRemovesPlacesWithOddNamesAndRelativePaths)
{
    namespace fs = std::filesystem;
    const fs::path here = FS::home();
    writeBytes(here / "odd\nname/big.bin", 3'000);
    // relative to the current folder, through ".."
    const fs::path walked = fs::relative(here / "odd\nname", fs::current_path()) / ".";
    ASSERT_TRUE(walked.native().starts_with(".."));
    const QString relative = QString::fromStdString(walked.native());
    const fs::path odd = (fs::current_path() / walked).lexically_normal().parent_path();

    CliOutcome r = runCli({"ignore", "add", relative});
    ASSERT_EQ(r.status, Cli::Success) << qPrintable(r.err);
    EXPECT_FALSE(r.out.contains('\n' + QStringLiteral("name")));  // the newline is written out, never a line break
    runCli({"ignore", "add", QString::fromStdString((here / "gone").native())});

    const QJsonArray list = jsonOf(runCli({"--json", "ignore", "list"})).array();
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0].toObject()["path"].toString(), QString::fromStdString(odd.native()));
    EXPECT_FALSE(list[0].toObject()["missing"].toBool());
    EXPECT_TRUE(list[1].toObject()["missing"].toBool());
    r = runCli({"ignore", "list"});
    EXPECT_EQ(r.out.count('\n'), 2);
    EXPECT_TRUE(r.out.contains(L("não existe mais")));

    // the listings say what the list hid
    EXPECT_TRUE(runCli({"large", "--min", "1"}).out.contains(LP(1, "%ld itens ignorados", 1)));

    EXPECT_EQ(runCli({"ignore", "remove", relative}).status, Cli::Success);
    EXPECT_EQ(runCli({"ignore", "remove", relative}).status, Cli::Failure);  // not listed any more
    EXPECT_EQ(runCli({"ignore", "remove", QString::fromStdString((here / "gone").native())}).status, Cli::Success);
    EXPECT_TRUE(jsonOf(runCli({"--json", "ignore", "list"})).array().isEmpty());

    for (const QStringList& bad : {QStringList{"ignore"}, QStringList{"ignore", "add"}, QStringList{"ignore", "list", "x"},
                                   QStringList{"ignore", "drop", "x"}})
        EXPECT_EQ(runCli(bad).status, Cli::BadUsage) << qPrintable(bad.join(' '));
    EXPECT_EQ(runCli({"ignore", "add", "/"}).status, Cli::Failure);

    // A name that is not UTF-8 arrives as its bytes and is stored as them.
    const std::string bad = (here / "bad\xffname").native();
    ASSERT_EQ(runCli({"ignore", "add", Cli::argumentText(bad)}).status, Cli::Success);
    const QJsonObject stored = jsonOf(runCli({"--json", "ignore", "list"})).array().at(0).toObject();
    EXPECT_TRUE(stored["pathEncoded"].toBool());
    EXPECT_EQ(Plan::pathAt(stored, "path"), fs::path(bad));
    EXPECT_EQ(runCli({"ignore", "remove", Cli::argumentText(bad)}).status, Cli::Success);
    EXPECT_EQ(Cli::argumentBytes(Cli::argumentText("a\xc3\x28\xed\xa0\x80é😀\xff")), "a\xc3\x28\xed\xa0\x80é😀\xff");
}
