#include "engines/apps/LinuxPackageTools.h"

#include <QFile>
#include <QRegularExpression>

#include "engines/common/Units.h"

namespace LinuxApps {

std::string toolCommand(const std::string& command)
{
    return "LC_ALL=C timeout " + std::to_string(kToolSeconds) + " " + command;
}

std::map<std::string, QString> parseDpkgSearch(const QString& out)
{
    std::map<std::string, QString> owners;
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts)) {
        const qsizetype colon = line.indexOf(QLatin1String(": /"));
        if (colon <= 0 || line.startsWith(QLatin1String("diversion ")) || line.startsWith(QLatin1String("dpkg")))
            continue;
        QString package = line.left(colon).section(',', 0, 0).trimmed();
        package = package.section(':', 0, 0);
        if (package.isEmpty() || package.contains(' '))
            continue;
        owners[QFile::encodeName(line.mid(colon + 2)).toStdString()] = package;
    }
    return owners;
}

std::map<QString, PackageFacts> parseDpkgShow(const QString& out)
{
    std::map<QString, PackageFacts> facts;
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split('\t');
        if (fields.size() != 5 || fields[0].isEmpty())
            continue;
        PackageFacts one;
        one.version = fields[1];
        one.installedBytes = Sweeper::kibibytesToBytes(fields[2]);
        one.neverOffered = fields[3] == QLatin1String("required") || fields[3] == QLatin1String("important")
                           || fields[4] == QLatin1String("yes");
        facts[fields[0]] = one;
    }
    return facts;
}

QStringList parseAptRemovals(const QString& out, bool keepArchitecture)
{
    static const QRegularExpression pattern(QStringLiteral("^Remv (\\S+)"), QRegularExpression::MultilineOption);
    QStringList packages;
    auto it = pattern.globalMatch(out);
    while (it.hasNext())
        packages << (keepArchitecture ? it.next().captured(1) : it.next().captured(1).section(':', 0, 0));
    return packages;
}

std::map<QString, QString> parseFlatpakList(const QString& out)
{
    std::map<QString, QString> versions;
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split('\t');
        if (fields.isEmpty() || !fields[0].contains('.') || fields[0].contains(' '))
            continue;
        versions[fields[0]] = fields.size() > 1 ? fields[1].trimmed() : QString();
    }
    return versions;
}

std::map<QString, SnapFacts> parseSnapList(const QString& out)
{
    std::map<QString, SnapFacts> snaps;
    const QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringList fields = lines[i].simplified().split(' ');
        if (fields.size() < 3 || (i == 0 && fields[0] == QLatin1String("Name")))
            continue;
        snaps[fields[0]] = {fields[1], fields[2]};
    }
    return snaps;
}

std::vector<SnapRevision> parseSnapRevisions(const QString& out)
{
    static const QStringList header{QStringLiteral("Name"), QStringLiteral("Version"), QStringLiteral("Rev"),
                                     QStringLiteral("Tracking"), QStringLiteral("Publisher"), QStringLiteral("Notes")};
    std::vector<SnapRevision> revisions;
    const QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    if (lines.isEmpty() || lines.front().simplified().split(' ') != header)
        return revisions;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList fields = lines[i].simplified().split(' ');
        if (fields.size() != header.size())
            continue;
        const QString& notes = fields[5];
        revisions.push_back({fields[0], fields[1], fields[2],
                             notes == QLatin1String("-") ? QStringList() : notes.split(',', Qt::SkipEmptyParts)});
    }
    return revisions;
}

std::vector<FlatpakRef> parseFlatpakRefs(const QString& out)
{
    std::vector<FlatpakRef> refs;
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split('\t');
        const QString ref = fields[0].trimmed();
        const QStringList parts = ref.split('/');
        if (fields.size() < 2 || parts.size() != 3 || parts.contains(QString()) || ref.contains(' '))
            continue;
        bool runtime = false;
        if (fields.size() > 2)
            for (const QString& option : fields[2].split(','))
                runtime = runtime || option.trimmed() == QLatin1String("runtime");
        refs.push_back({ref, fields[1].trimmed(), runtime});
    }
    return refs;
}

} // namespace LinuxApps
