#include "platform/LoginItem.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>

#include <glib.h>

#include "platform/FS.h"
#include "platform/Installation.h"
#include "platform/Paths.h"

namespace LoginItem {

namespace {

// A value of the entry's "string" type: backslash, newline, tab and carriage
// return are escaped.
QString escapeValue(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        if (c == u'\\') out += QLatin1String("\\\\");
        else if (c == u'\n') out += QLatin1String("\\n");
        else if (c == u'\t') out += QLatin1String("\\t");
        else if (c == u'\r') out += QLatin1String("\\r");
        else out += c;
    }
    return out;
}

// One argument of Exec: double-quoted, with ", `, $ and \ escaped inside the
// quotes and a literal % doubled; then escaped once more as a string value.
QString execArgument(const QString& argument)
{
    QString quoted;
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted.replace(u'%', QLatin1String("%%"));
    return escapeValue(u'"' + quoted + u'"');
}

QString fromGChars(gchar* text)
{
    const QString out = QString::fromUtf8(text);
    g_free(text);
    return out;
}

} // namespace

std::filesystem::path entryPath()
{
    return Paths::configHome() / "autostart" / "com.halvick.Quillmoor.desktop";
}

bool isRegistered()
{
    QFile file(QString::fromStdString(entryPath().string()));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1String("Hidden=")))
            return line.mid(7).trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) != 0;
    }
    return true;
}

QString programToStart()
{
    return Installation::programToStart(FS::relaunchProgram());
}

QString desktopEntryFor(const QString& executable)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Quillmoor\n"
                          "Icon=%1\n"
                          "Exec=%2\n"
                          "TryExec=%3\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(QLatin1String(Installation::kAppId), execArgument(executable), escapeValue(executable));
}

std::optional<QString> registerItem(const QString& executable)
{
    const QString path = QString::fromStdString(entryPath().string());
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return QStringLiteral("%1: %2").arg(QFileInfo(path).absolutePath(), QStringLiteral("cannot create folder"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return file.errorString();
    file.write(desktopEntryFor(executable).toUtf8());
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

std::optional<QString> unregisterItem()
{
    QFile file(QString::fromStdString(entryPath().string()));
    if (!file.exists())
        return std::nullopt;
    if (!file.remove())
        return file.errorString();
    return std::nullopt;
}

std::optional<QString> registeredProgram()
{
    if (!isRegistered())
        return std::nullopt;
    GKeyFile* keys = g_key_file_new();
    std::optional<QString> program;
    if (g_key_file_load_from_file(keys, entryPath().c_str(), G_KEY_FILE_NONE, nullptr)) {
        if (gchar* tryExec = g_key_file_get_string(keys, "Desktop Entry", "TryExec", nullptr)) {
            program = fromGChars(tryExec);
        } else if (gchar* exec = g_key_file_get_value(keys, "Desktop Entry", "Exec", nullptr)) {
            // Entries written before TryExec: Exec's first word, with the
            // quoting rules of that time (a single level of escapes).
            gchar** argv = nullptr;
            if (g_shell_parse_argv(exec, nullptr, &argv, nullptr)) {
                program = QString::fromUtf8(argv[0]).replace(QLatin1String("%%"), QLatin1String("%"));
                g_strfreev(argv);
            }
            g_free(exec);
        }
    }
    g_key_file_free(keys);
    if (program && program->isEmpty())
        return std::nullopt;
    return program;
}

bool repairItem(const QString& executable)
{
    const std::optional<QString> program = registeredProgram();
    if (!program || *program == executable)
        return false;
    const QFileInfo info(*program);
    if (info.isAbsolute() && info.isFile() && info.isExecutable())
        return false;  // still there: the user's choice stands
    if (!info.isAbsolute() && !QStandardPaths::findExecutable(*program).isEmpty())
        return false;
    return !registerItem(executable).has_value();
}

} // namespace LoginItem
