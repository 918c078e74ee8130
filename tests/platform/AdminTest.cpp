// The administrator's request as the program makes it: the helper's words
// and their checks against hostile values, its argument vector and where it
// is found, and what its answer (or pkexec's) means for people.
#include <gtest/gtest.h>

#include <filesystem>

#include "i18n/L.h"
#include "platform/Admin.h"
#include "platform/AdminDescription.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;

using Args = std::vector<std::string>;

namespace {

Shell::ProcessOutput finished(int exitCode, const char* out)
{
    return {true, QString(), exitCode, out, {}};
}

void makeProgram(const fs::path& file)
{
    writeFile(file, "#!/bin/sh\n");
    fs::permissions(file, fs::perms::owner_all);
}

} // namespace

TEST(AdminRun, ArgvIsPkexecHelperClassActionsEachArgumentWhole)
{
    const std::string hostile = "-it's \"$(reboot)\"\nx";
    const std::vector<Admin::Action> actions{{Admin::kDropCaches, {}},
                                             {Admin::kTrashRemove, {"/h/.local/share/Trash/files", "2049:7", hostile}},
                                             {Admin::kRemovePackages, {"vim", "vim-runtime"}}};
    const Args words{"remove-software", "drop-caches",     "trash-remove", "/h/.local/share/Trash/files", "2049:7",
                     hostile,           "remove-packages", "2",            "vim",                         "vim-runtime"};
    const std::string helper = "/usr/lib/quillmoor/quillmoor-admin";
    Args viaPkexec{"/usr/bin/pkexec", helper};
    viaPkexec.insert(viaPkexec.end(), words.begin(), words.end());
    EXPECT_EQ(Admin::helperArgv(actions, helper, false, "/usr/bin/pkexec"), viaPkexec);
    EXPECT_EQ(Admin::helperArgv(actions, helper, true, ""), Args(viaPkexec.begin() + 1, viaPkexec.end()));
    EXPECT_TRUE(Admin::helperArgv(actions, helper, false, "").empty());  // no pkexec: nothing to run
    EXPECT_EQ(Admin::helperArgv({{Admin::kFlushDns, {}}}, helper, true, "")[1], Admin::kClassCare);
}

TEST(AdminRun, TheHelperIsFoundInstalledFirstThenBesideTheProgram)
{
    const fs::path root = freshFolder("admin-place");
    const fs::path bin = root / "bin";
    fs::create_directories(bin);
    EXPECT_EQ(Admin::helperPath(bin.native()), "");
    EXPECT_EQ(Admin::helperPath(""), "");
    writeFile(bin / "quillmoor-admin", "not executable");
    fs::permissions(bin / "quillmoor-admin", fs::perms::owner_read | fs::perms::owner_write);
    fs::create_directories(root / "lib/quillmoor/quillmoor-admin");  // a folder of that name
    EXPECT_EQ(Admin::helperPath(bin.native()), "");

    makeProgram(bin / "quillmoor-admin");
    EXPECT_EQ(Admin::helperPath(bin.native()), fs::canonical(bin / "quillmoor-admin").native());
    fs::remove(root / "lib/quillmoor/quillmoor-admin");
    makeProgram(root / "lib/quillmoor/quillmoor-admin");
    // As the real path, which is the one the installed policy names.
    EXPECT_EQ(Admin::helperPath(bin.native()), fs::canonical(root / "lib/quillmoor/quillmoor-admin").native());
}

TEST(AdminReply, WhatTheRunLeftBehindForPeople)
{
    const QString cancelled = L("Cancelado");
    const QString notAuthorised =
        L("Não autorizado: o sistema não permitiu esta ação como administrador, ou não há como pedir a senha aqui.");
    const QString status2 = LF("O comando terminou com o código de saída %ld.", 2);

    // pkexec's own statuses, and the helper's when not started by pkexec: nothing was done.
    EXPECT_EQ(Admin::replyFrom(finished(126, ""), 2, true).reason, cancelled);
    EXPECT_EQ(Admin::replyFrom(finished(127, ""), 2, true).reason, notAuthorised);
    EXPECT_EQ(Admin::replyFrom(finished(Admin::kExitNotRoot, ""), 2, true).reason,
              L("O ajudante de administrador só age quando iniciado pelo pkexec."));
    // Run directly as root, 126 is no prompt: the actions merely went unanswered.
    const Admin::Reply direct = Admin::replyFrom(finished(126, ""), 1, false);
    EXPECT_EQ(direct.failures, std::vector<QString>{LF("O comando terminou com o código de saída %ld.", 126)});

    // A refused request: its reason, and no action counts as done.
    const Admin::Reply refused =
        Admin::replyFrom(finished(Admin::kExitRefused, "done 0\nrefused argument -o/etc/x\n"), 2, true);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.reason, LF("Recusado pelo ajudante de administrador: argumento inválido (%@).", "-o/etc/x"));
    EXPECT_TRUE(refused.failures.empty());
    EXPECT_FALSE(refused.done(0));

    // Each action's answer read back by its index, whatever the order; one
    // without an answer failed; the first failure is the reason.
    const Admin::Reply mixed = Admin::replyFrom(
        finished(1, "noise\nfailed 2 essential vim-common\ndone 0\nfailed 9 tool beyond\nfailed 1 busy\n"), 4, true);
    EXPECT_FALSE(mixed.ok);
    EXPECT_EQ(mixed.failures,
              (std::vector<QString>{{},
                                    L("Outro programa está instalando ou removendo pacotes. Tente de novo quando ele terminar."),
                                    LF("Recusado: %@ é necessário ao sistema.", "vim-common"),
                                    LF("O comando terminou com o código de saída %ld.", 1)}));
    EXPECT_EQ(mixed.reason, mixed.failures[1]);
    EXPECT_TRUE(mixed.done(0));
    EXPECT_FALSE(mixed.done(3));
    EXPECT_FALSE(mixed.done(4));

    // ok only with status 0 and every action done.
    EXPECT_TRUE(Admin::replyFrom(finished(0, "done 0\ndone 1\n"), 2, true).ok);
    EXPECT_FALSE(Admin::replyFrom(finished(0, "done 0\n"), 2, true).ok);
    EXPECT_FALSE(Admin::replyFrom(finished(2, "done 0\n"), 1, true).ok);
    EXPECT_EQ(Admin::replyFrom(finished(2, "done 0\n"), 1, true).reason, status2);
    EXPECT_EQ(Admin::replyFrom(finished(-1, ""), 1, true).reason, L("O comando foi interrompido antes de terminar."));

    // What each failure code says.
    const struct {
        const char* line;
        QString reason;
    } codes[] = {
        {"failed 0 tool E: Sub-process /usr/bin/dpkg returned an error code (1)",
         "E: Sub-process /usr/bin/dpkg returned an error code (1)"},
        {"failed 0 tool", L("O comando foi interrompido antes de terminar.")},
        {"failed 0 missing resolvectl", LF("Indisponível: falta %@", "resolvectl")},
        {"failed 0 place /var/crash/x.crash", LF("Recusado: %@ não está mais onde foi verificado.", "/var/crash/x.crash")},
        {"failed 0 owner /tmp/x", LF("Recusado: %@ não pertence a você.", "/tmp/x")},
        {"failed 0 changed +libfoo -vim", LF("Recusado: a remoção mudou desde que foi aprovada (%@).", "+libfoo -vim")},
        {"failed 0 in-use core.x", LF("Recusado: %@ está em uso.", "core.x")},
        {"failed 0 user", L("Recusado: não foi possível saber para qual usuário agir.")},
        {"failed 0 snapshot-gone 9", LF("Recusado: o instantâneo %@ não existe mais.", "9")},
        {"failed 0 snapshot-kept 6 Marked important", LF("O instantâneo %@ fica: %@", "6", "Marked important")},
        {"failed 0 snapshot-pair 4 5",
         LF("Recusado: o instantâneo %@ só sai junto com o %@, seu par antes/depois.", "4", "5")},
        {"failed 0 snapshot-pair 1 0", LF("Recusado: o instantâneo %@ não faz parte de um par antes/depois.", "1")},
        {"failed 0 snapshot-pair", LF("Recusado: o instantâneo %@ não faz parte de um par antes/depois.", "")},
        {"failed 0 unreadable snapper list", LF("Recusado: não foi possível ler a resposta de %@.", "snapper list")},
        {"failed 0 no-timeshift", L("Recusado: a pasta de instantâneos do Timeshift não foi encontrada.")},
        {"refused class system-care", LF("Recusado pelo ajudante de administrador: pedido inválido (%@).", "class system-care")},
    };
    for (const auto& c : codes)
        EXPECT_EQ(Admin::replyFrom(finished(1, c.line), 1, true).reason, c.reason) << c.line;

    // A program that could not start says why, or at least that it did not.
    Shell::ProcessOutput missing;
    missing.startError = QStringLiteral(" No such file ");
    EXPECT_EQ(Admin::replyFrom(missing, 1, true).reason, "No such file");
    missing.startError.clear();
    EXPECT_EQ(Admin::replyFrom(missing, 1, true).reason, L("Não foi possível iniciar o comando."));

    // A detail never breaks its line, so it can never pass for another answer.
    const std::string line = Admin::answerLine({false, 3, false, "tool", "bad\ndone 0\rx"});
    EXPECT_EQ(line, "failed 3 tool bad done 0 x\n");
    EXPECT_EQ(Admin::readAnswers(line).size(), 1u);
}

TEST(AdminReply, ADoneAnswerCarriesWhatItReadOnItsOwnLine)
{
    const Admin::Answer measured{false, 2, true, "", "1=5259264 12=16384"};
    const std::string line = Admin::answerLine(measured);
    EXPECT_EQ(line, "done 2 1=5259264 12=16384\n");
    const std::vector<Admin::Answer> back = Admin::readAnswers(line);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_TRUE(back[0].done);
    EXPECT_EQ(back[0].index, 2u);
    EXPECT_EQ(back[0].detail, measured.detail);
    EXPECT_EQ(back[0].code, "");

    // Control bytes cannot start another answer; other bytes stay as they were.
    const std::string hostile = Admin::answerLine({false, 0, true, "", "1=5\ndone 1\rfailed 2 tool\x7f\x01\xff"});
    EXPECT_EQ(hostile, "done 0 1=5 done 1 failed 2 tool  \xff\n");
    const std::vector<Admin::Answer> one = Admin::readAnswers(hostile);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].detail, "1=5 done 1 failed 2 tool  \xff");

    // Answers without detail read as before.
    EXPECT_EQ(Admin::answerLine({false, 3, true, "", ""}), "done 3\n");
    EXPECT_EQ(Admin::readAnswers("done 3\n").at(0).detail, "");

    // The reply keeps each done action's detail by its index, never a failure's.
    const Admin::Reply reply =
        Admin::replyFrom(finished(1, "done 2 7=1\nfailed 1 tool 8=2\ndone 0 1=5259264 12=16384\ndone 9 3=3\n"), 3, true);
    EXPECT_EQ(reply.details, (std::vector<QString>{"1=5259264 12=16384", {}, "7=1"}));
    EXPECT_TRUE(Admin::replyFrom(finished(126, ""), 1, true).details.empty());
}

TEST(AdminDescription, SnapperActionsReadAsTheCommandsThatDoTheSame)
{
    EXPECT_EQ(Admin::describe(Admin::Action{Admin::kRemoveSnapperSnapshot, {"root", "7", "0"}}), "snapper -c root delete 7");
    EXPECT_EQ(Admin::describe(Admin::Action{Admin::kRemoveSnapperSnapshot, {"root", "5", "4"}}), "snapper -c root delete 5 4");
    EXPECT_EQ(Admin::describe(Admin::Action{Admin::kMeasureSnapshots, {"root"}}), "snapper -c root list");
    EXPECT_EQ(Admin::toolOf(Admin::Action{Admin::kRemoveSnapperSnapshot, {"root", "7", "0"}}), "snapper delete");
    EXPECT_EQ(Admin::toolOf(Admin::Action{Admin::kMeasureSnapshots, {"root"}}), "snapper list");
    const Admin::Action action{Admin::kRemoveTimeshiftSnapshot, {"2026-12-01_10-00-01"}};
    EXPECT_EQ(Admin::describe(action), "timeshift --delete --snapshot 2026-12-01_10-00-01");
    EXPECT_EQ(Admin::toolOf(action), "timeshift --delete");
}

TEST(AdminActions, HostileArgumentsAreRefusedVerbByVerb)
{
    const std::string trash = "/home/u/.local/share/Trash/files";
    const std::string longName(256, 'a');
    // Each action and the refusal its check gives ("" when sound).
    const std::vector<std::pair<Admin::Action, std::string>> actions = {
        {{Admin::kRemovePackages, {"vim", "libc6:i386", "g++-12", "0ad"}}, ""},
        {{Admin::kRemovePackages, {}}, "count"},
        {{Admin::kRemovePackages, {"vim runtime"}}, "argument"},
        {{Admin::kRemovePackages, {"vim'"}}, "argument"},
        {{Admin::kRemovePackages, {"$(reboot)"}}, "argument"},
        {{Admin::kRemovePackages, {"-oAPT::Get::x=1"}}, "argument"},
        {{Admin::kRemovePackages, {"../vim"}}, "argument"},
        {{Admin::kRemovePackages, {"Vim"}}, "argument"},
        {{Admin::kRemovePackages, {"vim\x01"}}, "argument"},
        {{Admin::kRemovePackages, {std::string(129, 'a')}}, "argument"},
        {{Admin::kRemoveSnap, {"hello_x1"}}, ""},
        {{Admin::kRemoveSnap, {"-x"}}, "argument"},
        {{Admin::kRemoveSnap, {"1234"}}, "argument"},
        {{Admin::kRemoveSnap, {"a", "b"}}, "count"},
        {{Admin::kUnitEnable, {"getty@tty1.service"}}, ""},
        {{Admin::kUnitDisable, {"/etc/systemd/system/x.service"}}, "argument"},
        {{Admin::kUnitDisable, {"-o.service"}}, "argument"},
        {{Admin::kUnitDisable, {"x.service; reboot"}}, "argument"},
        {{Admin::kUnitDisable, {"cups"}}, "argument"},
        {{Admin::kUnitDisable, {longName + ".service"}}, "argument"},
        {{Admin::kTrashRemove, {trash, "2049:77", "-it's \"$(x)\"\n\xff/drop-caches"}}, ""},
        {{Admin::kTrashRemove, {"/etc/files", "1:2", "x"}}, "argument"},
        {{Admin::kTrashRemove, {"/home/u/Trash/files/../Trash/files", "1:2", "x"}}, "argument"},
        {{Admin::kTrashRemove, {"home/u/Trash/files", "1:2", "x"}}, "argument"},
        {{Admin::kTrashRemove, {trash, "1:2:3", "x"}}, "argument"},
        {{Admin::kTrashRemove, {trash, "-1:2", "x"}}, "argument"},
        {{Admin::kTrashRemove, {trash, "1:2", "../../.ssh"}}, "argument"},
        {{Admin::kTrashRemove, {trash, "1:2", "a/../../b"}}, "argument"},
        {{Admin::kTrashRemove, {trash, "1:2", "/etc"}}, "argument"},
        {{Admin::kTrashRemove, {trash, "1:2", "a//b"}}, "argument"},
        {{Admin::kTrashRemove, {trash, "1:2", longName}}, "argument"},
        {{Admin::kTrashRemove, {trash, "1:2", std::string(4097, 'a')}}, "argument"},
        {{Admin::kTrashRemove, {trash, "1:2", std::string("a\0b", 3)}}, "argument"},
        {{Admin::kTrashRemove, {trash, "1:2"}}, "count"},
        {{Admin::kDropCaches, {}}, ""},
        {{Admin::kDropCaches, {"3"}}, "count"},
        {{Admin::kCleanPackageCache, {"pacman"}}, ""},
        {{Admin::kCleanPackageCache, {"apt-get"}}, "argument"},
        {{Admin::kCleanPackageCache, {"-y"}}, "argument"},
        {{Admin::kRemoveSnapRevision, {"core22", "x1"}}, ""},
        {{Admin::kRemoveSnapRevision, {"core22", "-1"}}, "argument"},
        {{Admin::kRemoveSnapRevision, {"core22", "1;rm"}}, "argument"},
        {{Admin::kRemoveFlatpakRuntimes, {"runtime/org.gnome.Platform/x86_64/45"}}, ""},
        {{Admin::kRemoveFlatpakRuntimes, {"app/org.x.Y/x86_64/stable"}}, "argument"},
        {{Admin::kRemoveFlatpakRuntimes, {"runtime/../x86_64/45"}}, "argument"},
        {{Admin::kRemoveFlatpakRuntimes, {"runtime/org.gnome.Platform/x86_64/--45"}}, "argument"},
        {{Admin::kRemoveCoreDump, {"core.firefox.1000.abc.123.zst"}}, ""},
        {{Admin::kRemoveCoreDump, {"core.x/../../etc"}}, "argument"},
        {{Admin::kRemoveCoreDump, {"passwd"}}, "argument"},
        {{Admin::kRemoveCrashReport, {"_usr_bin_x.1000.crash"}}, ""},
        {{Admin::kRemoveCrashReport, {".crash"}}, "argument"},
        {{Admin::kRemoveCrashReport, {"../x.crash"}}, "argument"},
        {{Admin::kRemoveRotatedLog, {"apt/history.log.1.gz"}}, ""},
        {{Admin::kRemoveRotatedLog, {"syslog"}}, "argument"},
        {{Admin::kRemoveRotatedLog, {"wtmp.1"}}, "argument"},
        {{Admin::kRemoveRotatedLog, {"auth.log.1"}}, "argument"},
        {{Admin::kRemoveRotatedLog, {"audit/audit.log.1"}}, "argument"},
        {{Admin::kRemoveRotatedLog, {"../etc/shadow.1"}}, "argument"},
        {{Admin::kRemoveTimeshiftSnapshot, {"2026-12-01_10-00-01"}}, ""},
        {{Admin::kRemoveTimeshiftSnapshot, {"../x"}}, "argument"},
        {{Admin::kRemoveTimeshiftSnapshot, {"-h"}}, "argument"},
        {{Admin::kRemoveTimeshiftSnapshot, {"--delete-all"}}, "argument"},
        {{Admin::kRemoveTimeshiftSnapshot, {"2026-12-01_10-00-01/.."}}, "argument"},
        {{Admin::kRemoveTimeshiftSnapshot, {"../2026-12-01_10-00-01"}}, "argument"},
        {{Admin::kRemoveTimeshiftSnapshot, {"2026-12-01_10-00-01\n"}}, "argument"},
        {{Admin::kRemoveTimeshiftSnapshot, {"2026-12-01_10-00-01 "}}, "argument"},
        {{Admin::kRemoveTimeshiftSnapshot, {"2026-12-01 10-00-01"}}, "argument"},
        {{Admin::kRemoveTimeshiftSnapshot, {"2026-12-01_10-00-0"}}, "argument"},      // 18 characters
        {{Admin::kRemoveTimeshiftSnapshot, {"2026-12-01_10-00-011"}}, "argument"},    // 20 characters
        {{Admin::kRemoveTimeshiftSnapshot, {"2026-12-01_10:00:01"}}, "argument"},
        {{Admin::kRemoveTimeshiftSnapshot, {"2026-12-0a_10-00-01"}}, "argument"},
        {{Admin::kRemoveTimeshiftSnapshot, {"\xd9\xa2" "026-12-01_10-00-0"}}, "argument"},  // an Arabic-Indic two, 19 bytes
        {{Admin::kRemoveTimeshiftSnapshot, {"2026-12-01_10-00-\xff" "1"}}, "argument"},  // no UTF-8
        {{Admin::kRemoveTimeshiftSnapshot, {std::string("2026-12-01_10-00-0\0", 19)}}, "argument"},
        {{Admin::kRemoveTimeshiftSnapshot, {"*"}}, "argument"},
        {{Admin::kRemoveTimeshiftSnapshot, {""}}, "argument"},
        {{Admin::kRemoveTimeshiftSnapshot, {}}, "count"},
        {{Admin::kRemoveTimeshiftSnapshot, {"2026-12-01_10-00-01", "2026-12-02_10-00-01"}}, "count"},
        {{Admin::kRemoveDockerImages, {"7fb2c0ff2aaa", std::string(64, 'e')}}, ""},
        {{Admin::kRemoveDockerImages, {}}, "count"},
        {{Admin::kRemoveDockerImages, {""}}, "argument"},
        {{Admin::kRemoveDockerImages, {"--force"}}, "argument"},
        {{Admin::kRemoveDockerContainers, {"-f"}}, "argument"},
        {{Admin::kRemoveDockerContainers, {"7FB2C0FF2AAA"}}, "argument"},
        {{Admin::kRemoveDockerContainers, {"7fb2c0ff2aag"}}, "argument"},
        {{Admin::kRemoveDockerContainers, {"7fb2c0ff2aa"}}, "argument"},
        {{Admin::kRemoveDockerContainers, {std::string(65, 'a')}}, "argument"},
        {{Admin::kRemoveDockerContainers, {"sha256:7fb2c0ff2aaa"}}, "argument"},
        {{Admin::kRemoveDockerImages, {"../../7fb2c0ff2aaa"}}, "argument"},
        {{Admin::kPruneDockerBuildCache, {}}, ""},
        {{Admin::kPruneDockerBuildCache, {"--all"}}, "count"},
        {{Admin::kRemoveSnapperSnapshot, {"root", "4", "0"}}, ""},
        {{Admin::kRemoveSnapperSnapshot, {"sv.data_2-X", "999999999", "5"}}, ""},
        {{Admin::kRemoveSnapperSnapshot, {std::string(64, 'a'), "5", "4"}}, ""},
        {{Admin::kRemoveSnapperSnapshot, {"-c", "4", "0"}}, "argument"},
        {{Admin::kRemoveSnapperSnapshot, {"--no-dbus", "4", "0"}}, "argument"},
        {{Admin::kRemoveSnapperSnapshot, {".snapshots", "4", "0"}}, "argument"},
        {{Admin::kRemoveSnapperSnapshot, {"../x", "4", "0"}}, "argument"},
        {{Admin::kRemoveSnapperSnapshot, {"a/b", "4", "0"}}, "argument"},
        {{Admin::kRemoveSnapperSnapshot, {"", "4", "0"}}, "argument"},
        {{Admin::kRemoveSnapperSnapshot, {std::string(65, 'a'), "4", "0"}}, "argument"},
        {{Admin::kRemoveSnapperSnapshot, {"root\n", "4", "0"}}, "argument"},
        {{Admin::kRemoveSnapperSnapshot, {"ro ot", "4", "0"}}, "argument"},
        {{Admin::kRemoveSnapperSnapshot, {"root;reboot", "4", "0"}}, "argument"},
        {{Admin::kRemoveSnapperSnapshot, {"r\xc3\xa9", "4", "0"}}, "argument"},  // letters are ASCII ones
        {{Admin::kRemoveSnapperSnapshot, {"root\xff", "4", "0"}}, "argument"},
        {{Admin::kRemoveSnapperSnapshot, {"root", "1;reboot", "0"}}, "argument"},
        {{Admin::kRemoveSnapperSnapshot, {"root", "01", "0"}}, "argument"},
        {{Admin::kRemoveSnapperSnapshot, {"root", "+3", "0"}}, "argument"},
        {{Admin::kRemoveSnapperSnapshot, {"root", "-3", "0"}}, "argument"},
        {{Admin::kRemoveSnapperSnapshot, {"root", "0", "4"}}, "argument"},  // 0 is the live file system
        {{Admin::kRemoveSnapperSnapshot, {"root", "4294967297", "0"}}, "argument"},
        {{Admin::kRemoveSnapperSnapshot, {"root", "1000000000", "0"}}, "argument"},
        {{Admin::kRemoveSnapperSnapshot, {"root", "", "0"}}, "argument"},
        {{Admin::kRemoveSnapperSnapshot, {"root", " 4", "0"}}, "argument"},
        {{Admin::kRemoveSnapperSnapshot, {"root", "4\n", "0"}}, "argument"},
        {{Admin::kRemoveSnapperSnapshot, {"root", "0x4", "0"}}, "argument"},
        {{Admin::kRemoveSnapperSnapshot, {"root", "\xd9\xa3", "0"}}, "argument"},  // an Arabic-Indic 3
        {{Admin::kRemoveSnapperSnapshot, {"root", "4", "00"}}, "argument"},
        {{Admin::kRemoveSnapperSnapshot, {"root", "4", "-0"}}, "argument"},
        {{Admin::kRemoveSnapperSnapshot, {"root", "4", "05"}}, "argument"},
        {{Admin::kRemoveSnapperSnapshot, {"root", "4", ""}}, "argument"},
        {{Admin::kRemoveSnapperSnapshot, {"root", "4", "4"}}, "argument"},  // never its own partner
        {{Admin::kRemoveSnapperSnapshot, {"root", "4"}}, "count"},
        {{Admin::kRemoveSnapperSnapshot, {"root", "4", "5", "6"}}, "count"},
        {{Admin::kMeasureSnapshots, {"root"}}, ""},
        {{Admin::kMeasureSnapshots, {"--help"}}, "argument"},
        {{Admin::kMeasureSnapshots, {"../x"}}, "argument"},
        {{Admin::kMeasureSnapshots, {}}, "count"},
        {{Admin::kMeasureSnapshots, {"root", "home"}}, "count"},
        {{"run-anything", {"/bin/sh"}}, "verb"},
    };
    for (const auto& [action, code] : actions) {
        const std::optional<Admin::Refusal> refusal = Admin::check(action);
        EXPECT_EQ(refusal ? refusal->code : "", code) << action.verb << " " << ::testing::PrintToString(action.args);
        if (refusal) {  // shown to people: printable, one line
            EXPECT_TRUE(std::none_of(refusal->detail.begin(), refusal->detail.end(),
                                     [](char c) { return static_cast<unsigned char>(c) < 0x20; }));
        }
    }

    // The helper's command line read back: a count that lies, a class milder
    // (or stricter) than the actions, unknown verbs, missing arguments.
    const std::vector<std::pair<Args, std::string>> lines = {
        {{"system-care", "unit-disable", "cups.service", "flush-dns"}, ""},
        {{"remove-software", "remove-packages", "2", "vim"}, "count"},
        {{"remove-software", "remove-packages", "1", "vim", "vim-runtime"}, "verb"},
        {{"remove-software", "remove-packages", "0"}, "count"},
        {{"remove-software", "remove-packages", "-1", "vim"}, "count"},
        {{"remove-software", "remove-packages", "9999999", "vim"}, "count"},
        {{"system-care", "remove-packages", "1", "vim"}, "class"},
        {{"system-care", "remove-snap", "hello"}, "class"},
        {{"remove-software", "drop-caches"}, "class"},
        {{"root", "drop-caches"}, "class"},
        {{}, "class"},
        {{"system-care"}, "empty"},
        {{"system-care", "rm", "-rf", "/"}, "verb"},
        {{"system-care", "unit-disable"}, "count"},
        {{"system-care", "drop-caches", "3"}, "verb"},
        {{"system-care", "remove-docker-images", "2", "7fb2c0ff2aaa"}, "count"},
        {{"system-care", "remove-docker-containers", "1", "7fb2c0ff2aaa", "0c8471e4332c"}, "verb"},
        {{"system-care", "remove-snapper-snapshot", "root", "4", "5", "measure-snapshots", "root"}, ""},
        {{"remove-software", "measure-snapshots", "root"}, "class"},
        {{"remove-software", "remove-timeshift-snapshot", "2026-12-01_10-00-01"}, "class"},
    };
    for (const auto& [line, code] : lines) {
        const Admin::Parsed parsed = Admin::decode(line);
        EXPECT_EQ(parsed.refusal ? parsed.refusal->code : "", code) << ::testing::PrintToString(line);
        EXPECT_EQ(parsed.actions.empty(), parsed.refusal.has_value()) << ::testing::PrintToString(line);
    }
}

TEST(AdminActions, EncodedActionsReadBackAsTheyWere)
{
    // Names that equal verbs or counts stay arguments: every list says its length.
    const std::vector<std::vector<Admin::Action>> requests = {
        {{Admin::kTrashRemove, {"/h/.local/share/Trash/files", "1:2", "drop-caches"}},
         {Admin::kTrashRemove, {"/h/.local/share/Trash/files", "1:3", "remove-packages/2\n\xfe"}},
         {Admin::kDropCaches, {}}},
        {{Admin::kRemovePackages, {"unit-disable", "2", "vim"}}, {Admin::kUnitEnable, {"flush-dns.service"}}},
        {{Admin::kRemoveFlatpakRuntimes, {"runtime/org.gnome.Platform/x86_64/45"}}, {Admin::kVacuumJournal, {}}},
    };
    for (const std::vector<Admin::Action>& actions : requests) {
        const Args words = Admin::encode(actions);
        EXPECT_EQ(words.front(), Admin::classFor(actions));
        const Admin::Parsed parsed = Admin::decode(words);
        EXPECT_FALSE(parsed.refusal) << ::testing::PrintToString(words);
        EXPECT_EQ(parsed.actions, actions);
    }
    EXPECT_EQ(Admin::classFor({{Admin::kDropCaches, {}}, {Admin::kRemoveSnap, {"x"}}}), Admin::kClassSoftware);
}
