#include "platform/Version.h"

namespace {

QString textOr(const QVariant& value, const QString& fallback)
{
    if (value.typeId() != QMetaType::QString)
        return fallback;
    return value.toString();
}

} // namespace

QString versionText(const QVariant& shortVersion, const QVariant& buildVersion)
{
    return QStringLiteral("Quillmoor %1 (%2)")
        .arg(textOr(shortVersion, QStringLiteral("1.3")), textOr(buildVersion, QStringLiteral("1")));
}

QString appVersionText()
{
#ifdef QUILLMOOR_VERSION
    const QVariant shortVersion = QStringLiteral(QUILLMOOR_VERSION);
#else
    const QVariant shortVersion;
#endif
#ifdef QUILLMOOR_BUILD
    const QVariant build = QStringLiteral(QUILLMOOR_BUILD);
#else
    const QVariant build;
#endif
    return versionText(shortVersion, build);
}
