#include "platform/HistoryFile.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QSaveFile>

#include "platform/FileLock.h"
#include "platform/Paths.h"
#include "platform/UniqueFd.h"

namespace HistoryFile {

namespace fs = std::filesystem;

namespace {

// At most the last `maxBytes` of the file, starting at a line's beginning
// (the line cut by the window is left out, and `cut` says so).
QByteArray readTail(int fd, std::int64_t maxBytes, bool& cut)
{
    cut = false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    const std::int64_t size = st.st_size;
    const std::int64_t start = size > maxBytes ? size - maxBytes : 0;
    QByteArray data(qsizetype(size - start), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < data.size()) {
        const ssize_t n = ::pread(fd, data.data() + got, std::size_t(data.size() - got), off_t(start + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += n;
    }
    data.truncate(got);
    if (start > 0) {
        // Whether the window begins a line depends on the byte before it.
        char before = 0;
        if (::pread(fd, &before, 1, off_t(start - 1)) != 1 || before != '\n') {
            const qsizetype end = data.indexOf('\n');
            data = end < 0 ? QByteArray() : data.mid(end + 1);
            cut = true;
        }
    }
    return data;
}

// When the file is over a limit, replaces it by a copy of its newest lines
// (written to a temporary file in the same folder, then renamed over it).
void keepWithinLimits(int fd, const fs::path& file, const Limits& limits)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return;
    bool cut = false;
    const QByteArray tail = readTail(fd, limits.bytes, cut);
    const qsizetype lines = tail.count('\n');
    if (st.st_size <= limits.bytes && lines <= limits.records)
        return;
    // The tail holds whole lines within the byte limit; keep its last `records`.
    qsizetype from = tail.size();
    for (int kept = 0; kept < limits.records && from > 0; ++kept) {
        const qsizetype previous = from >= 2 ? tail.lastIndexOf('\n', from - 2) : -1;
        from = previous < 0 ? 0 : previous + 1;
    }
    QSaveFile out(QString::fromStdString(file.string()));
    if (!out.open(QIODevice::WriteOnly))
        return;
    out.write(tail.constData() + from, tail.size() - from);
    out.commit();  // on failure the file stays as it was, only longer than wished
}

} // namespace

fs::path defaultPath() { return Paths::logFolder() / "history.jsonl"; }

bool append(const QJsonObject& record, const fs::path& file, Limits limits, const WriteFn& write)
{
    // Compact JSON escapes every control character: a record is one line.
    const QByteArray line = QJsonDocument(record).toJson(QJsonDocument::Compact);
    if (line.size() + 1 > limits.bytes)
        return false;
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);  // a failure shows up as open() failing below
    const FileLock lock(file.parent_path() / "history.lock", FileLock::Wait::untilFree);
    if (!lock.held())
        return false;
    const UniqueFd fd(::open(file.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0600));
    struct stat st {};
    if (!fd.ok() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    const off_t before = st.st_size;

    QByteArray data;
    char last = '\n';
    if (before > 0 && ::pread(fd.get(), &last, 1, before - 1) == 1 && last != '\n')
        data += '\n';  // a line torn by a crash: end it, so this record starts a line of its own
    data += line;
    data += '\n';
    ssize_t written;
    do
        written = write(fd.get(), data.constData(), std::size_t(data.size()));
    while (written < 0 && errno == EINTR);
    if (written != ssize_t(data.size())) {
        // A part of the line (a full disk, a size limit): take it back.
        if (::ftruncate(fd.get(), before) != 0) {
            // nothing more to do: reading skips the torn line
        }
        return false;
    }
    ::fsync(fd.get());
    keepWithinLimits(fd.get(), file, limits);
    return true;
}

Reading read(int newest, const fs::path& file, Limits limits)
{
    Reading reading;
    const UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.ok())
        return reading;
    bool cut = false;
    const QByteArray data = readTail(fd.get(), limits.bytes, cut);
    if (cut)
        ++reading.skipped;  // a line longer than what is read
    qsizetype end = data.size();
    while (end > 0 && int(reading.records.size()) < newest) {
        const qsizetype start = data.lastIndexOf('\n', end - 1) + 1;
        const QByteArray line = data.mid(start, end - start);
        end = start > 0 ? start - 1 : 0;
        if (line.isEmpty())
            continue;
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(line, &error);
        const int version = document.object().value("v").toInt(0);
        if (error.error != QJsonParseError::NoError || !document.isObject() || version < 1
            || version > kFormatVersion) {
            ++reading.skipped;
            continue;
        }
        reading.records.push_back(document.object());
    }
    return reading;
}

} // namespace HistoryFile
