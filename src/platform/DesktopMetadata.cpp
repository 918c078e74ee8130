#include "platform/DesktopMetadata.h"

#include <QStringList>

#include "i18n/L.h"
#include "platform/Installation.h"

namespace DesktopMetadata {

namespace {

QString xmlText(const QString& text) { return text.toHtmlEscaped(); }

// The software centre's description, one paragraph per entry.
QStringList paragraphs(Lang lang)
{
    return {
        L(QStringLiteral("O Quillmoor encontra o que ocupa espaço sem necessidade — caches, logs, restos de ferramentas de desenvolvimento, instaladores esquecidos e a Lixeira — e remove o que você escolher."), lang),
        L(QStringLiteral("Mostra também os arquivos grandes da pasta pessoal, os restos de aplicativos removidos e os itens de inicialização, com um mapa do espaço em órbita e um painel rápido com disco, memória, processador e rede ao vivo."), lang),
    };
}

} // namespace

const std::vector<std::pair<Lang, QString>>& localisedLanguages()
{
    static const std::vector<std::pair<Lang, QString>> langs = {
        {Lang::pt, QStringLiteral("pt")}, {Lang::es, QStringLiteral("es")}, {Lang::it, QStringLiteral("it")},
        {Lang::fr, QStringLiteral("fr")}, {Lang::de, QStringLiteral("de")}, {Lang::ja, QStringLiteral("ja")},
        {Lang::zh, QStringLiteral("zh")}, {Lang::ar, QStringLiteral("ar")},
    };
    return langs;
}

QString genericName(Lang lang) { return L(QStringLiteral("Limpador de disco"), lang); }
QString comment(Lang lang) { return L(QStringLiteral("Libere espaço em disco e cuide do sistema"), lang); }

QString desktopEntry()
{
    QString out = QStringLiteral("[Desktop Entry]\n"
                                 "Type=Application\n"
                                 "Name=Quillmoor\n");
    const auto localised = [&out](const QString& key, QString (*text)(Lang)) {
        out += QStringLiteral("%1=%2\n").arg(key, text(Lang::en));
        for (const auto& [lang, locale] : localisedLanguages())
            out += QStringLiteral("%1[%2]=%3\n").arg(key, locale, text(lang));
    };
    localised(QStringLiteral("GenericName"), genericName);
    localised(QStringLiteral("Comment"), comment);
    out += QStringLiteral("Exec=quillmoor\n"
                          "TryExec=quillmoor\n"
                          "Icon=%1\n"
                          "Terminal=false\n"
                          "Categories=System;Utility;\n"
                          "StartupNotify=true\n"
                          "StartupWMClass=Quillmoor\n")
               .arg(QLatin1String(Installation::kAppId));
    return out;
}

QString metainfo(const QString& version, const QString& date)
{
    QString out = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<component type=\"desktop-application\">\n"
                                 "  <id>%1</id>\n"
                                 "  <metadata_license>CC0-1.0</metadata_license>\n"
                                 "  <project_license>LicenseRef-proprietary</project_license>\n"
                                 "  <name>Quillmoor</name>\n"
                                 "  <developer_name>Halvick</developer_name>\n")
                      .arg(QLatin1String(Installation::kAppId));
    out += QStringLiteral("  <summary>%1</summary>\n").arg(xmlText(comment(Lang::en)));
    for (const auto& [lang, locale] : localisedLanguages())
        out += QStringLiteral("  <summary xml:lang=\"%1\">%2</summary>\n").arg(locale, xmlText(comment(lang)));
    out += QStringLiteral("  <description>\n");
    const QStringList english = paragraphs(Lang::en);
    for (qsizetype i = 0; i < english.size(); ++i) {
        out += QStringLiteral("    <p>%1</p>\n").arg(xmlText(english[i]));
        for (const auto& [lang, locale] : localisedLanguages())
            out += QStringLiteral("    <p xml:lang=\"%1\">%2</p>\n").arg(locale, xmlText(paragraphs(lang)[i]));
    }
    out += QStringLiteral("  </description>\n"
                          "  <launchable type=\"desktop-id\">%1.desktop</launchable>\n"
                          "  <categories>\n"
                          "    <category>System</category>\n"
                          "    <category>Utility</category>\n"
                          "  </categories>\n"
                          "  <provides>\n"
                          "    <binary>quillmoor</binary>\n"
                          "    <binary>quillmoor-cli</binary>\n"
                          "  </provides>\n"
                          "  <releases>\n"
                          "    <release version=\"%2\" date=\"%3\"/>\n"
                          "  </releases>\n"
                          "  <content_rating type=\"oars-1.1\"/>\n"
                          "</component>\n")
               .arg(QLatin1String(Installation::kAppId), version, date);
    return out;
}

} // namespace DesktopMetadata
