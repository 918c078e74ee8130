#include "i18n/Lang.h"

#include <array>
#include <utility>

namespace {

// The two-letter prefix of every supported language.
constexpr std::array<std::pair<const char*, Lang>, 9> kPrefixes = {{
    {"pt", Lang::pt},
    {"en", Lang::en},
    {"es", Lang::es},
    {"it", Lang::it},
    {"fr", Lang::fr},
    {"de", Lang::de},
    {"ja", Lang::ja},
    {"zh", Lang::zh},
    {"ar", Lang::ar},
}};

// A locale name as the system spells it ("pt_BR.UTF-8@euro") turned into a
// language tag ("pt-BR"); empty for the C and POSIX locales.
QString tagFromLocaleName(const QString& name)
{
    QString tag = name.trimmed();
    const qsizetype at = tag.indexOf(u'@');
    if (at >= 0)
        tag.truncate(at);
    const qsizetype dot = tag.indexOf(u'.');
    if (dot >= 0)
        tag.truncate(dot);
    if (tag == u"C" || tag == u"POSIX")
        return QString();
    tag.replace(u'_', u'-');
    return tag;
}

QString env(const char* name)
{
    return qEnvironmentVariable(name);
}

}  // namespace

std::optional<Lang> langFromRaw(int raw)
{
    if ((raw >= 0 && raw <= 7) || raw == 99)
        return static_cast<Lang>(raw);
    return std::nullopt;
}

int rawValue(Lang lang)
{
    return static_cast<int>(lang);
}

Lang chooseLang(const QStringList& preferred)
{
    for (const QString& entry : preferred) {
        // Shorter entries stay as they are, so they can never equal a prefix.
        const QString prefix = entry.size() >= 2 ? entry.left(2).toLower() : entry;
        for (const auto& [code, lang] : kPrefixes) {
            if (prefix == QLatin1String(code))
                return lang;
        }
    }
    return Lang::en;
}

QStringList preferredLanguages()
{
    QStringList tags;
    const QStringList fromLanguage = env("LANGUAGE").split(u':', Qt::SkipEmptyParts);
    for (const QString& name : fromLanguage) {
        const QString tag = tagFromLocaleName(name);
        if (!tag.isEmpty())
            tags.append(tag);
    }
    // The first locale variable that is set decides; a C locale there adds nothing.
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = env(variable);
        if (value.isEmpty())
            continue;
        const QString tag = tagFromLocaleName(value);
        if (!tag.isEmpty())
            tags.append(tag);
        break;
    }
    return tags;
}

Lang appLang()
{
    static const Lang lang = chooseLang(preferredLanguages());
    return lang;
}

Qt::LayoutDirection layoutDirectionFor(Lang lang)
{
    return lang == Lang::ar ? Qt::RightToLeft : Qt::LeftToRight;
}

Qt::LayoutDirection appLayoutDirection()
{
    static const Qt::LayoutDirection direction = layoutDirectionFor(appLang());
    return direction;
}
