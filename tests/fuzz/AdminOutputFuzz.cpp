// What an administrator run leaves behind: Shell::decodeUtf8 and lastLine; the helper's answer lines
// (Admin::readAnswers, and each answer written back with answerLine reads the same, on one line); what
// Admin::replyFrom makes of a run (a failure always has a reason; ok only with exit 0 and every action
// done); and the OK:id / FAIL:id:reason markers of the macos profile's script batch (Maintenance::markedOk,
// failureReason).
#include <map>

#include "FuzzCheck.h"
#include "engines/maintenance/Maintenance.h"
#include "platform/Admin.h"
#include "platform/Shell.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const QByteArray raw = Fuzz::bytes(bytes, size);
    const QString text = Shell::decodeUtf8(raw);
    const QString last = Shell::lastLine(text);
    REQUIRE((text.toUtf8() == raw || text.isEmpty()) && last == last.trimmed() && !last.contains('\n')
            && text.contains(last) && last.isEmpty() == text.trimmed().isEmpty());

    for (const Admin::Answer& answer : Admin::readAnswers(Fuzz::text(bytes, size))) {
        const std::string line = Admin::answerLine(answer);
        const std::vector<Admin::Answer> again = Admin::readAnswers(line);
        REQUIRE(Fuzz::lines(line) == 2 && line.back() == '\n' && again.size() == 1);
        REQUIRE(again[0].refused == answer.refused && again[0].done == answer.done && again[0].code == answer.code
                && (answer.refused || again[0].index == answer.index));
    }

    FuzzedDataProvider data(bytes, size);
    const Shell::ProcessOutput output{.started = data.ConsumeBool(),
                                      .startError = QString::fromStdString(data.ConsumeRandomLengthString(40)),
                                      .exitCode = data.ConsumeIntegralInRange(-1, 255),
                                      .out = QByteArray::fromStdString(data.ConsumeRandomLengthString(200)),
                                      .err = QByteArray::fromStdString(data.ConsumeRandomLengthString(200))};
    const std::size_t actions = data.ConsumeIntegralInRange<std::size_t>(0, 4);
    const Admin::Reply reply = Admin::replyFrom(output, actions, data.ConsumeBool());
    bool everyDone = true;
    for (std::size_t i = 0; i < actions; ++i)
        everyDone = everyDone && reply.done(i);
    REQUIRE(reply.ok || !reply.reason.trimmed().isEmpty());
    REQUIRE(!reply.ok || (output.started && output.exitCode == 0 && everyDone));
    REQUIRE(reply.failures.empty() || reply.failures.size() == actions);
    for (const QString& failure : reply.failures)
        REQUIRE(failure.isEmpty() || !failure.trimmed().isEmpty());

    // ids as the profiles write them (letters, digits, '-' and '_'), often one another's prefix
    QString out;
    std::map<QString, std::pair<bool, QString>> routines;  // id → marked OK, the reason to read back
    for (int i = data.ConsumeIntegralInRange(0, 6); i > 0; --i) {
        QString id = QStringLiteral("x");
        for (const char c : data.ConsumeRandomLengthString(8))
            id += QLatin1Char("abcdefghijklmnopqrstuvwxyz0123456789-_"[static_cast<unsigned char>(c) % 38]);
        const bool ok = data.ConsumeBool();
        const QString reason = QString::fromUtf8(data.ConsumeRandomLengthString(60)).remove('\n');  // its last line
        if (routines.emplace(id, std::pair(ok, ok ? QString() : reason.trimmed())).second)
            out += ok ? "OK:" + id + '\n' : "FAIL:" + id + ':' + reason + '\n';
    }
    for (const auto& [id, want] : routines)
        REQUIRE(Maintenance::markedOk(out, id) == want.first && Maintenance::failureReason(out, id) == want.second);
    return 0;
}
