#include "platform/DesktopMetadata.h"

#include <QStringList>

#include "i18n/L.h"
#include "platform/AdminActions.h"
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

// What the password dialog says for each class of administrator work.
QString polkitDescription(const QString& classWord, Lang lang)
{
    return classWord == QLatin1String(Admin::kClassSoftware)
        ? L(QStringLiteral("Remover programas instalados"), lang)
        : L(QStringLiteral("Limpar e cuidar do sistema"), lang);
}

QString polkitMessage(const QString& classWord, Lang lang)
{
    return classWord == QLatin1String(Admin::kClassSoftware)
        ? L(QStringLiteral("O Quillmoor precisa da senha de administrador para remover os programas que você escolheu."), lang)
        : L(QStringLiteral("O Quillmoor precisa da senha de administrador para limpar arquivos do sistema e executar as tarefas que você escolheu."), lang);
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

QString polkitPolicy(const QString& helperPath)
{
    QString out = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE policyconfig PUBLIC \"-//freedesktop//DTD PolicyKit Policy Configuration 1.0//EN\"\n"
        " \"http://www.freedesktop.org/standards/PolicyKit/1/policyconfig.dtd\">\n"
        "<!--\n"
        "  Quillmoor's administrator work goes through one helper, run as\n"
        "  \"pkexec HELPER CLASS ACTION...\". pkexec picks the action below whose\n"
        "  exec.path is that helper and whose exec.argv1 is CLASS; a run that\n"
        "  removes software passes remove-software even when it also cleans, so\n"
        "  it always gets the stricter of the two.\n"
        "\n"
        "  allow_active is for a client in the active local session, the one in\n"
        "  front of the user: removing software asks every time, system care\n"
        "  keeps the grant for a few minutes so that a run of routines asks once.\n"
        "  allow_inactive is for a client in a local session that is not the\n"
        "  active one, such as a session left running after a user switch.\n"
        "  allow_any is for any other client, such as a remote or SSH login,\n"
        "  where pkexec asks for the password on the terminal.\n"
        "  Those two are auth_admin: not no, because quillmoor-cli over SSH must\n"
        "  still be able to ask for the password; not yes, because nothing here\n"
        "  runs as root unasked; and not kept, because a grant is only ever kept\n"
        "  for the session in front of the user.\n"
        "-->\n"
        "<policyconfig>\n"
        "  <vendor>Halvick</vendor>\n"
        "  <icon_name>%1</icon_name>\n")
                      .arg(QLatin1String(Installation::kAppId));
    struct Action {
        QString classWord;
        const char* allowActive;
    };
    const Action actions[] = {
        {QLatin1String(Admin::kClassSoftware), "auth_admin"},
        {QLatin1String(Admin::kClassCare), "auth_admin_keep"},
    };
    for (const Action& action : actions) {
        out += QStringLiteral("  <action id=\"%1.%2\">\n").arg(QLatin1String(Installation::kAppId), xmlText(action.classWord));
        const auto localised = [&out, &action](const QString& element, QString (*text)(const QString&, Lang)) {
            out += QStringLiteral("    <%1>%2</%1>\n").arg(element, xmlText(text(action.classWord, Lang::en)));
            for (const auto& [lang, locale] : localisedLanguages())
                out += QStringLiteral("    <%1 xml:lang=\"%2\">%3</%1>\n")
                           .arg(element, locale, xmlText(text(action.classWord, lang)));
        };
        localised(QStringLiteral("description"), polkitDescription);
        localised(QStringLiteral("message"), polkitMessage);
        out += QStringLiteral("    <defaults>\n"
                              "      <allow_any>auth_admin</allow_any>\n"
                              "      <allow_inactive>auth_admin</allow_inactive>\n"
                              "      <allow_active>%1</allow_active>\n"
                              "    </defaults>\n"
                              "    <annotate key=\"org.freedesktop.policykit.exec.path\">%2</annotate>\n"
                              "    <annotate key=\"org.freedesktop.policykit.exec.argv1\">%3</annotate>\n"
                              "  </action>\n")
                   .arg(QLatin1String(action.allowActive), xmlText(helperPath), xmlText(action.classWord));
    }
    out += QStringLiteral("</policyconfig>\n");
    return out;
}

} // namespace DesktopMetadata
