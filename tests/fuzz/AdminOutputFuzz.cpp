// What a command run as administrator leaves behind: Shell::decodeUtf8, lastLine and adminResult (a failure
// always has a reason), and the OK:id / FAIL:id:reason markers of a batch (Maintenance::markedOk, failureReason).
#include <map>

#include "FuzzCheck.h"
#include "engines/maintenance/Maintenance.h"
#include "platform/Shell.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const QByteArray raw = Fuzz::bytes(bytes, size);
    const QString text = Shell::decodeUtf8(raw);
    const QString last = Shell::lastLine(text);
    REQUIRE((text.toUtf8() == raw || text.isEmpty()) && last == last.trimmed() && !last.contains('\n')
            && text.contains(last) && last.isEmpty() == text.trimmed().isEmpty());

    FuzzedDataProvider data(bytes, size);
    const Shell::ProcessOutput output{.started = data.ConsumeBool(),
                                      .startError = QString::fromStdString(data.ConsumeRandomLengthString(40)),
                                      .exitCode = data.ConsumeIntegralInRange(-1, 255),
                                      .out = QByteArray::fromStdString(data.ConsumeRandomLengthString(200)),
                                      .err = QByteArray::fromStdString(data.ConsumeRandomLengthString(200))};
    const Shell::Result result = Shell::adminResult(output, data.ConsumeBool());
    REQUIRE(result.ok == (output.started && output.exitCode == 0));
    REQUIRE(result.ok ? result.out == Shell::decodeUtf8(output.out) : !result.out.trimmed().isEmpty());

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
