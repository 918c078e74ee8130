// `cmake --install` into a staging folder: every file in place, the entry, metadata,
// polkit policy and manual page accepted by the desktop's own tools, the policy naming
// the helper by its final path, and the installed programs running.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <glib.h>

#include "i18n/L.h"
#include "platform/AdminActions.h"
#include "platform/DesktopMetadata.h"
#include "platform/Installation.h"

namespace {

struct Outcome {
    int exitCode = -1;
    QString output;  // standard output and error together
};

Outcome run(const QString& program, const QStringList& arguments, const QStringList& environment = {})
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& pair : environment)
        env.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    if (!process.waitForFinished(120000))
        return {-1, QStringLiteral("did not finish: ") + process.errorString()};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAll())};
}

// The installation's prefix, as the installed files name it. It holds what XML must
// escape, and the files are staged under DESTDIR as a package build does.
const QString kPrefix = QStringLiteral("/opt/R&D <Quillmoor>");

class Install : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        prefixDir_ = new QTemporaryDir();
        prefix_ = prefixDir_->path() + kPrefix;
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DESTDIR"), prefixDir_->path());
        install.setProcessEnvironment(env);
        // A private umask must not leave a file unreadable to polkitd, which does not run as root.
        install.setChildProcessModifier([] { ::umask(077); });
        install.start(QStringLiteral(QUILLMOOR_CMAKE), {QStringLiteral("--install"), QStringLiteral(QUILLMOOR_BUILD_DIR),
                                                       QStringLiteral("--prefix"), kPrefix});
        installed_ = install.waitForFinished(120000) && install.exitStatus() == QProcess::NormalExit
            && install.exitCode() == 0;
        installOutput_ = new QString(QString::fromUtf8(install.readAll()) + install.errorString());
    }
    static void TearDownTestSuite()
    {
        delete prefixDir_;
        delete installOutput_;
    }
    void SetUp() override { ASSERT_TRUE(installed_) << qPrintable(*installOutput_); }

    static QString file(const QString& relative) { return prefix_ + u'/' + relative; }

    static inline QTemporaryDir* prefixDir_ = nullptr;
    static inline QString prefix_;
    static inline QString* installOutput_ = nullptr;
    static inline bool installed_ = false;
};

const QString kEntry = QStringLiteral("share/applications/com.halvick.Quillmoor.desktop");
const QString kMetainfo = QStringLiteral("share/metainfo/com.halvick.Quillmoor.metainfo.xml");
const QString kManual = QStringLiteral("share/man/man1/quillmoor-cli.1.gz");
const QString kPolicy = QStringLiteral("share/polkit-1/actions/com.halvick.Quillmoor.policy");
const QString kHelper = QStringLiteral("lib/quillmoor/quillmoor-admin");

unsigned modeOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// One polkit action as the policy declares it: its texts by xml:lang ("" for
// the untagged one), its defaults and annotations; a text or setting given twice
// is noted in duplicates.
struct PolicyAction {
    QMap<QString, QString> descriptions;
    QMap<QString, QString> messages;
    QMap<QString, QString> defaults;
    QMap<QString, QString> annotations;
    QStringList duplicates;
};

struct Policy {
    QString vendor;
    QString icon;
    QMap<QString, PolicyAction> actions;
    QString error;  // the reader's, when the file is no well-formed XML
};

// A map as "key=value" lines, for readable comparisons.
std::string lines(const QMap<QString, QString>& map)
{
    std::string out;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        out += (it.key() + u'=' + it.value() + u'\n').toStdString();
    return out;
}

Policy readPolicy(const QString& path)
{
    Policy policy;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        policy.error = file.errorString();
        return policy;
    }
    QXmlStreamReader xml(&file);
    PolicyAction* action = nullptr;
    const auto put = [&action](QMap<QString, QString>& map, const QString& key, const QString& value) {
        if (map.contains(key))
            action->duplicates << key;
        map.insert(key, value);
    };
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = xml.name();
        if (name == u"action") {
            action = &policy.actions[xml.attributes().value(QStringLiteral("id")).toString()];
        } else if (name == u"vendor" && !action) {
            policy.vendor = xml.readElementText();
        } else if (name == u"icon_name" && !action) {
            policy.icon = xml.readElementText();
        } else if (action && (name == u"description" || name == u"message")) {
            QString lang;
            for (const QXmlStreamAttribute& attribute : xml.attributes())
                if (attribute.qualifiedName() == u"xml:lang")
                    lang = attribute.value().toString();
            put(name == u"description" ? action->descriptions : action->messages, lang, xml.readElementText());
        } else if (action && name.startsWith(u"allow_")) {
            put(action->defaults, name.toString(), xml.readElementText());
        } else if (action && name == u"annotate") {
            const QString key = xml.attributes().value(QStringLiteral("key")).toString();  // before the text moves on
            put(action->annotations, key, xml.readElementText());
        }
    }
    if (xml.hasError())
        policy.error = xml.errorString();
    return policy;
}

} // namespace

TEST_F(Install, EveryFileIsInItsPlace)
{
    for (const char* program : {"bin/quillmoor", "bin/quillmoor-cli"}) {
        const QFileInfo info(file(QLatin1String(program)));
        EXPECT_TRUE(info.isFile() && info.isExecutable()) << program;
    }
    for (const QString& relative : {kEntry, kMetainfo, kManual, kPolicy,
                                    QStringLiteral("share/icons/hicolor/scalable/apps/com.halvick.Quillmoor.svg")})
        EXPECT_TRUE(QFileInfo(file(relative)).isFile()) << qPrintable(relative);
    EXPECT_EQ(modeOf(file(kPolicy)), 0644u);
#ifdef QUILLMOOR_ADMIN_HELPER
    // Beside no other program of the prefix's bin, and with no run path.
    EXPECT_EQ(modeOf(file(kHelper)), 0755u);
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("bin/quillmoor-admin"))));
    const Outcome dynamic = run(QStringLiteral("readelf"), {QStringLiteral("--dynamic"), file(kHelper)});
    EXPECT_EQ(dynamic.exitCode, 0) << qPrintable(dynamic.output);
    EXPECT_FALSE(dynamic.output.contains(QLatin1String("RUNPATH")) || dynamic.output.contains(QLatin1String("RPATH")))
        << qPrintable(dynamic.output);
#endif
    for (const int size : {128, 256}) {
        const QImage icon(file(QStringLiteral("share/icons/hicolor/%1x%1/apps/com.halvick.Quillmoor.png").arg(size)));
        EXPECT_EQ(icon.size(), QSize(size, size)) << size;
        // drawn, not blank: the sun at the centre is the mark's violet
        const QColor centre = icon.pixelColor(size / 2, size / 2);
        EXPECT_GT(centre.blue(), centre.green()) << size;
        EXPECT_EQ(centre.alpha(), 255) << size;
    }
}

TEST_F(Install, TheDesktopEntryValidates)
{
    const Outcome check = run(QStringLiteral("desktop-file-validate"), {file(kEntry)});
    EXPECT_EQ(check.exitCode, 0) << qPrintable(check.output);
    // Hints only (System and Utility are both main categories); no error or warning.
    for (const QString& line : check.output.split(u'\n', Qt::SkipEmptyParts))
        EXPECT_TRUE(line.contains(QLatin1String(": hint: "))) << qPrintable(line);
}

TEST_F(Install, TheMetadataValidates)
{
    const Outcome check = run(QStringLiteral("appstreamcli"), {QStringLiteral("validate"), QStringLiteral("--no-net"),
                                                           QStringLiteral("--explain"), file(kMetainfo)});
    EXPECT_EQ(check.exitCode, 0) << qPrintable(check.output);
    EXPECT_TRUE(check.output.contains(QLatin1String("Validation was successful"))) << qPrintable(check.output);
    EXPECT_FALSE(check.output.contains(QLatin1String("W:")) || check.output.contains(QLatin1String("E:")))
        << qPrintable(check.output);
    QFile metainfo(file(kMetainfo));
    ASSERT_TRUE(metainfo.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(metainfo.readAll());
    for (const char* part : {"<release version=\"" QUILLMOOR_VERSION "\"", "<content_rating type=\"oars-1.1\"/>",
                             "<launchable type=\"desktop-id\">com.halvick.Quillmoor.desktop</launchable>"})
        EXPECT_TRUE(text.contains(QLatin1String(part))) << part;
}

TEST_F(Install, ThePolicyValidatesAgainstPolkitsDtd)
{
    const QString dtd = QStringLiteral("/usr/share/polkit-1/policyconfig-1.dtd");  // shipped by polkitd
    const Outcome wellFormed = run(QStringLiteral("xmllint"), {QStringLiteral("--noout"), QStringLiteral("--nonet"), file(kPolicy)});
    EXPECT_EQ(wellFormed.exitCode, 0) << qPrintable(wellFormed.output);
    if (!QFileInfo::exists(dtd))
        GTEST_SKIP() << "polkitd is not installed: no " << qPrintable(dtd);
    const Outcome valid = run(QStringLiteral("xmllint"), {QStringLiteral("--noout"), QStringLiteral("--nonet"),
                                                         QStringLiteral("--dtdvalid"), dtd, file(kPolicy)});
    EXPECT_EQ(valid.exitCode, 0) << qPrintable(valid.output);
    EXPECT_TRUE(valid.output.isEmpty()) << qPrintable(valid.output);
}

TEST_F(Install, ThePolicyLetsPkexecRunOnlyTheInstalledHelperAskingForTheAdministrator)
{
    const Policy policy = readPolicy(file(kPolicy));
    ASSERT_TRUE(policy.error.isEmpty()) << qPrintable(policy.error);
    EXPECT_EQ(policy.vendor, QStringLiteral("Halvick"));
    EXPECT_EQ(policy.icon, QStringLiteral("com.halvick.Quillmoor"));
    const QString software = QStringLiteral("com.halvick.Quillmoor.") + QLatin1String(Admin::kClassSoftware);
    const QString care = QStringLiteral("com.halvick.Quillmoor.") + QLatin1String(Admin::kClassCare);
    EXPECT_EQ(policy.actions.keys().join(u' ').toStdString(), (software + u' ' + care).toStdString());
    // Removing software asks every time; system care keeps the grant, and only
    // for the session in front of the user.
    const QMap<QString, QString> softwareDefaults{{QStringLiteral("allow_any"), QStringLiteral("auth_admin")},
                                                  {QStringLiteral("allow_inactive"), QStringLiteral("auth_admin")},
                                                  {QStringLiteral("allow_active"), QStringLiteral("auth_admin")}};
    QMap<QString, QString> careDefaults = softwareDefaults;
    careDefaults[QStringLiteral("allow_active")] = QStringLiteral("auth_admin_keep");
    EXPECT_EQ(lines(policy.actions.value(software).defaults), lines(softwareDefaults));
    EXPECT_EQ(lines(policy.actions.value(care).defaults), lines(careDefaults));
    // The final path (the prefix, not the staging folder), and the class pkexec matches as the first argument.
    const QString helper = kPrefix + u'/' + kHelper;
    for (const auto& [id, classWord] : {std::pair{software, Admin::kClassSoftware}, std::pair{care, Admin::kClassCare}}) {
        const QMap<QString, QString> expected{{QStringLiteral("org.freedesktop.policykit.exec.path"), helper},
                                              {QStringLiteral("org.freedesktop.policykit.exec.argv1"), QLatin1String(classWord)}};
        EXPECT_EQ(lines(policy.actions.value(id).annotations), lines(expected)) << qPrintable(id);
        EXPECT_TRUE(policy.actions.value(id).duplicates.isEmpty()) << qPrintable(policy.actions.value(id).duplicates.join(u' '));
    }
}

TEST_F(Install, ThePolicyCarriesTheTableTextsInEveryLanguage)
{
    const Policy policy = readPolicy(file(kPolicy));
    ASSERT_TRUE(policy.error.isEmpty()) << qPrintable(policy.error);
    struct Texts {
        const char* classWord;
        QString description;
        QString message;
    };
    const Texts all[] = {
        {Admin::kClassSoftware, QStringLiteral("Remover programas instalados"),
         QStringLiteral("O Quillmoor precisa da senha de administrador para remover os programas que você escolheu.")},
        {Admin::kClassCare, QStringLiteral("Limpar e cuidar do sistema"),
         QStringLiteral("O Quillmoor precisa da senha de administrador para limpar arquivos do sistema e executar as tarefas que você escolheu.")},
    };
    for (const Texts& texts : all) {
        const PolicyAction action = policy.actions.value(QStringLiteral("com.halvick.Quillmoor.") + QLatin1String(texts.classWord));
        QMap<QString, QString> descriptions{{QString(), L(texts.description, Lang::en)}};
        QMap<QString, QString> messages{{QString(), L(texts.message, Lang::en)}};
        for (const auto& [lang, locale] : DesktopMetadata::localisedLanguages()) {
            descriptions.insert(locale, L(texts.description, lang));
            messages.insert(locale, L(texts.message, lang));
            // a translation, not the English fallback
            EXPECT_NE(messages.value(locale), messages.value(QString())) << texts.classWord << " " << qPrintable(locale);
        }
        EXPECT_EQ(descriptions.size(), 9);
        EXPECT_EQ(lines(action.descriptions), lines(descriptions)) << texts.classWord;
        EXPECT_EQ(lines(action.messages), lines(messages)) << texts.classWord;
    }
}

TEST_F(Install, TheUserUnitsNameTheInstalledCommandLineAndVerify)
{
    const QString unitDir = file(QStringLiteral("lib/systemd/user"));
    QFile service(unitDir + QStringLiteral("/quillmoor-autoclean.service"));
    ASSERT_TRUE(service.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(service.readAll());
    const QString execStart = QStringLiteral("ExecStart=\"%1/bin/quillmoor-cli\" clean --auto --if-due").arg(kPrefix);
    EXPECT_TRUE(text.contains(execStart)) << qPrintable(text);
    EXPECT_EQ(modeOf(service.fileName()), 0644u);

    // systemd's own check, on copies that run the staged program (the final
    // path exists only once the package is installed).
    QTemporaryDir units;
    QTemporaryDir runtime;
    QFile copy(units.filePath(QStringLiteral("quillmoor-autoclean.service")));
    ASSERT_TRUE(copy.open(QIODevice::WriteOnly));
    copy.write(QString(text).replace(kPrefix, prefix_).toUtf8());
    copy.close();
    ASSERT_TRUE(QFile::copy(unitDir + QStringLiteral("/quillmoor-autoclean.timer"),
                            units.filePath(QStringLiteral("quillmoor-autoclean.timer"))));
    const Outcome verify = run(QStringLiteral("systemd-analyze"),
                               {QStringLiteral("verify"), QStringLiteral("--user"), QStringLiteral("--man=no"),
                                copy.fileName(), units.filePath(QStringLiteral("quillmoor-autoclean.timer"))},
                               {QStringLiteral("XDG_RUNTIME_DIR=") + runtime.path()});
    EXPECT_EQ(verify.exitCode, 0) << qPrintable(verify.output);
    EXPECT_FALSE(verify.output.contains(QLatin1String("quillmoor"), Qt::CaseInsensitive)) << qPrintable(verify.output);
}

TEST_F(Install, TheManualPageOpens)
{
    const Outcome page = run(QStringLiteral("man"), {QStringLiteral("-l"), file(kManual)},
                         {QStringLiteral("MANPAGER=cat"), QStringLiteral("MANWIDTH=100"), QStringLiteral("LC_ALL=C.UTF-8")});
    EXPECT_EQ(page.exitCode, 0) << qPrintable(page.output);
    for (const char* part : {"NAME", "quillmoor-cli - disk cleaning and system care without the window",
                             "SYNOPSIS", "--json", "monitor", "runtime.log"})
        EXPECT_TRUE(page.output.contains(QLatin1String(part))) << part << "\n" << qPrintable(page.output);
    EXPECT_FALSE(page.output.contains(QLatin1String("warning"))) << qPrintable(page.output);
}

TEST_F(Install, TheEntryCarriesTheTableTextsInEveryLanguage)
{
    GKeyFile* keys = g_key_file_new();
    ASSERT_TRUE(g_key_file_load_from_file(keys, file(kEntry).toUtf8().constData(), G_KEY_FILE_KEEP_TRANSLATIONS, nullptr));
    const auto text = [keys](const char* key, const char* locale) {
        gchar* value = locale ? g_key_file_get_locale_string(keys, "Desktop Entry", key, locale, nullptr)
                              : g_key_file_get_string(keys, "Desktop Entry", key, nullptr);
        const QString out = QString::fromUtf8(value);
        g_free(value);
        return out;
    };
    EXPECT_EQ(text("GenericName", nullptr), L(QStringLiteral("Limpador de disco"), Lang::en));
    EXPECT_EQ(text("Comment", nullptr), L(QStringLiteral("Libere espaço em disco e cuide do sistema"), Lang::en));
    EXPECT_EQ(DesktopMetadata::localisedLanguages().size(), 8u);
    for (const auto& [lang, locale] : DesktopMetadata::localisedLanguages()) {
        const QByteArray loc = locale.toUtf8();
        EXPECT_EQ(text("GenericName", loc.constData()), L(QStringLiteral("Limpador de disco"), lang)) << loc.constData();
        EXPECT_EQ(text("Comment", loc.constData()), L(QStringLiteral("Libere espaço em disco e cuide do sistema"), lang))
            << loc.constData();
        // a translation, not the English fallback
        EXPECT_NE(text("Comment", loc.constData()), text("Comment", nullptr)) << loc.constData();
    }
    EXPECT_EQ(text("Name", nullptr), QStringLiteral("Quillmoor"));
    EXPECT_EQ(text("Icon", nullptr), QStringLiteral("com.halvick.Quillmoor"));
    EXPECT_EQ(text("StartupWMClass", nullptr), QStringLiteral("Quillmoor"));
    EXPECT_EQ(text("Categories", nullptr), QStringLiteral("System;Utility;"));
    g_key_file_free(keys);
}

TEST_F(Install, TheInstalledProgramsRunAndTheLoginItemStartsTheInstalledOne)
{
    const Outcome version = run(file(QStringLiteral("bin/quillmoor-cli")), {QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0) << qPrintable(version.output);
    EXPECT_TRUE(version.output.contains(QLatin1String(QUILLMOOR_VERSION))) << qPrintable(version.output);

    // The real installation's layout is the one recognised (the other cases are in LoginItemTest).
    EXPECT_EQ(Installation::prefixOf(file(QStringLiteral("bin/quillmoor"))), prefix_);
    EXPECT_EQ(Installation::programToStart(file(QStringLiteral("bin/quillmoor"))), file(QStringLiteral("bin/quillmoor")));
}
