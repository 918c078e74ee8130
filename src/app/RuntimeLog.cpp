#include "app/RuntimeLog.h"

#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

#include <QDateTime>

namespace RuntimeLog {

void open(const std::filesystem::path& folder)
{
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);  // a failure shows up as open() failing below

    // Open first and only then replace descriptor 2, so a log file that cannot
    // be opened leaves standard error untouched (freopen would close it).
    const std::filesystem::path file = folder / "runtime.log";
    const int fd = ::open(file.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0) {
        std::fflush(stderr);
        if (::dup2(fd, STDERR_FILENO) < 0) {
            ::close(fd);
            return;
        }
        ::close(fd);
    }
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    const QByteArray when = QDateTime::currentDateTime().toString(Qt::TextDate).toUtf8();
    std::fprintf(stderr, "\n== launch %s\n", when.constData());
}

} // namespace RuntimeLog
