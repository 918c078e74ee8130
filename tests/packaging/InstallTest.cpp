// `cmake --install` into a temporary prefix: every file in place, the entry, metadata and
// manual page accepted by the desktop's own tools, and the installed programs running.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <glib.h>

#include "i18n/L.h"
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

class Install : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        prefixDir_ = new QTemporaryDir();
        prefix_ = prefixDir_->path() + QStringLiteral("/usr");
        const Outcome install = run(QStringLiteral(QUILLMOOR_CMAKE),
                                {QStringLiteral("--install"), QStringLiteral(QUILLMOOR_BUILD_DIR),
                                 QStringLiteral("--prefix"), prefix_});
        installOutput_ = new QString(install.output);
        installed_ = install.exitCode == 0;
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

} // namespace

TEST_F(Install, EveryFileIsInItsPlace)
{
    for (const char* program : {"bin/quillmoor", "bin/quillmoor-cli"}) {
        const QFileInfo info(file(QLatin1String(program)));
        EXPECT_TRUE(info.isFile() && info.isExecutable()) << program;
    }
    for (const QString& relative : {kEntry, kMetainfo, kManual,
                                    QStringLiteral("share/icons/hicolor/scalable/apps/com.halvick.Quillmoor.svg")})
        EXPECT_TRUE(QFileInfo(file(relative)).isFile()) << qPrintable(relative);
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
