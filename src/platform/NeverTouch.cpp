#include "platform/NeverTouch.h"

#include <algorithm>

#include <QByteArray>
#include <QStringList>

#include "i18n/L.h"
#include "platform/FS.h"
#include "platform/Prefs.h"

namespace NeverTouch {

namespace {

const QString kKey = QStringLiteral("neverTouch");
const QString kEncoded = QStringLiteral("encoded:");

// "/a/./b//c/../d/" → "/a/b/d", by name only: no link is followed.
std::filesystem::path byName(const std::filesystem::path& absolute)
{
    std::filesystem::path clean = absolute.lexically_normal();
    // lexically_normal keeps a trailing separator as an empty last component.
    std::string text = clean.native();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

QStringList storedTexts(const QSettings& settings) { return settings.value(kKey).toStringList(); }

void store(QSettings& settings, const std::vector<std::filesystem::path>& places)
{
    QStringList texts;
    for (const std::filesystem::path& place : places)
        texts << encode(place);
    if (texts.isEmpty())
        settings.remove(kKey);
    else
        settings.setValue(kKey, texts);
    settings.sync();
}

} // namespace

QString encode(const std::filesystem::path& place)
{
    const QByteArray bytes = QByteArray::fromStdString(place.native());
    if (FS::isUtf8(bytes))
        return QString::fromUtf8(bytes);
    return kEncoded + QString::fromLatin1(bytes.toPercentEncoding("/"));
}

std::optional<std::filesystem::path> decode(const QString& text)
{
    std::filesystem::path place;
    if (text.startsWith(kEncoded))
        place = QByteArray::fromPercentEncoding(text.mid(kEncoded.size()).toLatin1()).toStdString();
    else
        place = text.toUtf8().toStdString();
    // Only what normalised() would have stored is taken back.
    if (!place.is_absolute() || place.native().find('\0') != std::string::npos || byName(place) != place
        || place == "/")
        return std::nullopt;
    return place;
}

std::vector<std::filesystem::path> load(const QSettings& settings)
{
    std::vector<std::filesystem::path> places;
    for (const QString& text : storedTexts(settings))
        if (const std::optional<std::filesystem::path> place = decode(text))
            if (std::find(places.begin(), places.end(), *place) == places.end())
                places.push_back(*place);
    return places;
}

std::vector<std::filesystem::path> current() { return load(*Prefs::standard()); }

std::optional<std::filesystem::path> normalised(const std::string& input, const std::filesystem::path& base,
                                                QString& error)
{
    if (input.empty()) {
        error = L("Informe uma pasta ou um arquivo.");
        return std::nullopt;
    }
    if (input.find('\0') != std::string::npos) {
        error = L("O caminho contém um caractere nulo.");
        return std::nullopt;
    }
    const std::filesystem::path given(input);
    const std::filesystem::path place = byName(given.is_absolute() ? given : base / given);
    if (!place.is_absolute()) {
        error = L("O caminho precisa ser absoluto.");
        return std::nullopt;
    }
    if (place == "/") {
        error = L("O sistema de arquivos inteiro não pode ser ignorado.");
        return std::nullopt;
    }
    return place;
}

std::optional<std::filesystem::path> normalised(const QString& input, const std::filesystem::path& base,
                                                QString& error)
{
    return normalised(input.toUtf8().toStdString(), base, error);
}

bool add(QSettings& settings, const std::filesystem::path& place)
{
    std::vector<std::filesystem::path> places = load(settings);
    if (std::find(places.begin(), places.end(), place) != places.end())
        return false;
    places.push_back(place);
    store(settings, places);
    return true;
}

bool remove(QSettings& settings, const std::filesystem::path& place)
{
    std::vector<std::filesystem::path> places = load(settings);
    const auto found = std::find(places.begin(), places.end(), place);
    if (found == places.end())
        return false;
    places.erase(found);
    store(settings, places);
    return true;
}

} // namespace NeverTouch
