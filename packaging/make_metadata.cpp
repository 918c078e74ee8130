// Build step: writes the desktop entry, the AppStream metadata and the
// polkit policy into a folder, their texts taken from the translation table.
//   quillmoor_make_metadata OUTPUT_FOLDER VERSION DATE ADMIN_HELPER
// The policy names ADMIN_HELPER as the helper's path; the installation puts
// the final path in its place (com.halvick.Quillmoor.policy.in), since only
// then is the prefix known.
#include <cstdio>

#include <QDir>
#include <QFile>

#include "platform/DesktopMetadata.h"

namespace {

bool writeFile(const QString& path, const QString& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return false;
    }
    return file.write(text.toUtf8()) >= 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER VERSION DATE ADMIN_HELPER\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const bool ok = writeFile(out.filePath(QStringLiteral("com.halvick.Quillmoor.desktop")), DesktopMetadata::desktopEntry())
        && writeFile(out.filePath(QStringLiteral("com.halvick.Quillmoor.metainfo.xml")),
                     DesktopMetadata::metainfo(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3])))
        && writeFile(out.filePath(QStringLiteral("com.halvick.Quillmoor.policy.in")),
                     DesktopMetadata::polkitPolicy(QString::fromLocal8Bit(argv[4])));
    return ok ? 0 : 1;
}
