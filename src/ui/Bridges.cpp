#include "ui/Bridges.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QUrl>
#include <QFile>
#include <QMimeDatabase>

#include "i18n/FormatLocale.h"
#include "i18n/L.h"
#include "i18n/Lang.h"
#include "i18n/ShownText.h"
#include "platform/FS.h"
#include "platform/Fmt.h"
#include "platform/Reveal.h"
#include "platform/Sound.h"
#include "platform/Version.h"
#include "profiles/Profile.h"
#include "ui/Motion.h"
#include "ui/Symbols.h"
#include "ui/TitleLines.h"

bool I18nBridge::rightToLeft() const { return appLayoutDirection() == Qt::RightToLeft; }

QString I18nBridge::language() const
{
    static const char* const codes[] = {"en", "es", "it", "fr", "de", "ja", "zh", "ar"};
    const Lang lang = appLang();
    if (lang == Lang::pt)
        return QStringLiteral("pt");
    return QString::fromLatin1(codes[rawValue(lang)]);
}

namespace {

// In a right-to-left interface a text that starts with a figure or a Latin
// word ("+ 340 MB …") would otherwise be laid out left to right: a leading
// right-to-left mark sets the paragraph's direction.
QString withDirection(const QString& text)
{
    if (appLayoutDirection() != Qt::RightToLeft || text.isEmpty())
        return text;
    return QChar(0x200F) + text;
}

// A text of its own direction inside a right-to-left sentence keeps its order.
QString isolated(const QString& text)
{
    return shownRun(text);
}

// An argument of a sentence, as it came: already a translated text or a
// figure, or a name the page isolated itself. In a right-to-left interface it
// takes the direction of its first strong letter, and nothing in it is escaped
// (a translated text may carry its own direction marks).
QString argumentRun(const QString& text)
{
    if (appLayoutDirection() != Qt::RightToLeft || text.isEmpty())
        return text;
    return QChar(0x2068) + text + QChar(0x2069);
}

} // namespace

QString I18nBridge::L(const QString& text) const { return withDirection(::L(text)); }

QString I18nBridge::directed(const QString& text) const { return withDirection(text); }

QString I18nBridge::items(double count) const { return withDirection(itemCount(std::int64_t(count))); }

QString I18nBridge::isolate(const QString& text) const { return isolated(text); }

QString I18nBridge::twoLines(const QString& title) const { return TitleLines::twoLines(title); }

std::vector<FmtArg> I18nBridge::arguments(const QVariantList& args) const
{
    std::vector<FmtArg> values;
    values.reserve(args.size());
    for (const QVariant& arg : args) {
        const bool number = arg.typeId() == QMetaType::Double || arg.typeId() == QMetaType::Int
            || arg.typeId() == QMetaType::LongLong || arg.typeId() == QMetaType::UInt
            || arg.typeId() == QMetaType::ULongLong;
        if (number) {
            const double v = arg.toDouble();
            if (std::isfinite(v) && v == std::trunc(v)) {
                values.emplace_back(static_cast<long long>(v));
                continue;
            }
        }
        // In a right-to-left interface each text argument ("1.23 GB") keeps its
        // own direction inside the sentence instead of being split apart.
        values.emplace_back(argumentRun(arg.toString()));
    }
    return values;
}

QString I18nBridge::LF(const QString& text, const QVariantList& args) const
{
    return withDirection(formatText(::L(text), arguments(args)));
}

QString I18nBridge::LP(double n, const QString& key, const QVariantList& args) const
{
    return withDirection(formatText(countFormat(key, std::int64_t(n), appLang()), arguments(args)));
}

QString FmtBridge::bytes(double n) const { return Fmt::bytes(static_cast<std::int64_t>(n)); }

QString FmtBridge::date(const QVariant& d) const
{
    if (!d.isValid() || d.isNull())
        return Fmt::date(std::nullopt);
    return Fmt::date(d.toDateTime());
}

QString FmtBridge::number(double n) const
{
    return localNumber(std::isfinite(n) ? static_cast<std::int64_t>(std::clamp(n, -9e18, 9e18)) : 0);
}

QString FmtBridge::percent(double fraction) const { return localPercent(fraction); }

QString SymbolsBridge::glyph(const QString& symbol) const { return materialGlyphFor(symbol); }

bool SoundBridge::enabled() const { return Sound::enabled(); }

void SoundBridge::setEnabled(bool on)
{
    if (Sound::enabled() == on)
        return;
    Sound::setEnabled(on);
    emit enabledChanged();
}

void SoundBridge::play(const QString& name, double volume)
{
    Sound::play(name, static_cast<float>(volume));
}

void FSBridge::openFullDiskAccessSettings() const
{
    // A profile's settings page means something only on its own system.
    const Profiles::Profile& profile = Profiles::active();
    const QString address = profile.traits.fullDiskAccessSettings;
    if (&profile == &Profiles::builtIn() && FS::canOpenAddress(address))
        QDesktopServices::openUrl(QUrl(address));
}
void FSBridge::relaunch() const { FS::relaunch(); }

QString GeneralBridge::version() const { return appVersionText(); }

double MotionBridge::spring(double t, double response, double dampingFraction) const
{
    return springPosition(t, response, dampingFraction);
}

QString FilesBridge::symbolFor(const QString& path) const
{
    return symbolForFile(std::filesystem::path(QFile::encodeName(path).toStdString()));
}

QString FilesBridge::reveal(const QString& path) const
{
    const std::filesystem::path item(QFile::encodeName(path).toStdString());
    if (FS::reveal(item))
        return QString();
    return LF("Nenhum gerenciador de arquivos pôde abrir a pasta. O item está em %@",
              isolated(FS::pretty(item.parent_path())));
}
