#include "i18n/ShownText.h"

#include "i18n/L.h"

#include "i18n/Lang.h"

namespace {

bool isDirectionControl(char16_t c)
{
    return c == 0x200E || c == 0x200F || c == 0x061C || (c >= 0x202A && c <= 0x202E)
        || (c >= 0x2066 && c <= 0x2069);
}

} // namespace

QString escapeDirectionMarks(const QString& name)
{
    QString shown;
    shown.reserve(name.size());
    for (const QChar c : name) {
        if (isDirectionControl(c.unicode()))
            shown += QStringLiteral("<U+%1>").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
        else
            shown += c;
    }
    return shown;
}

QString isolatedRun(const QString& text, bool rightToLeft)
{
    const QString escaped = escapeDirectionMarks(text);
    if (!rightToLeft || escaped.isEmpty())
        return escaped;
    return QChar(0x2066) + escaped + QChar(0x2069);
}

QString shownRun(const QString& text) { return isolatedRun(text, appLayoutDirection() == Qt::RightToLeft); }

QString joinShown(const QStringList& names)
{
    QStringList shown;
    for (const QString& name : names)
        shown << shownRun(name);
    return joinList(shown);
}
