// The sound switch, the shipped effects and the table of live sounds; no audio device
// needed (without one even the volume reads back as 1, so it is not checked).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QSettings>
#include <QSoundEffect>
#include <QTimer>
#include <QtEndian>

#include "platform/Prefs.h"
#include "platform/Sound.h"

namespace {

const QString key = QStringLiteral("soundEnabled");

class SoundTest : public ::testing::Test {
protected:
    void SetUp() override { store(QVariant()); }
    void TearDown() override { store(QVariant()); }

    // Writes a raw value under "soundEnabled" (or removes it for a null value).
    static void store(const QVariant& value)
    {
        auto settings = Prefs::standard();
        if (value.isValid())
            settings->setValue(key, value);
        else
            settings->remove(key);
        settings->sync();
    }
};

TEST_F(SoundTest, SwitchIsOnUnlessStoredOffAndStaysOffOnDisk)
{
    EXPECT_TRUE(Sound::enabled());
    Sound::setEnabled(false);
    EXPECT_FALSE(Sound::enabled());

    // What a later process would see: the file on disk, read without the
    // settings cache of this one.
    const QString fileName = Prefs::standard()->fileName();
    ASSERT_TRUE(fileName.startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
    EXPECT_EQ(QSettings(fileName, QSettings::IniFormat).value(key).toString(), QStringLiteral("false"));
    Sound::setEnabled(true);
    EXPECT_TRUE(Sound::enabled());

    // Anything but a boolean false reads as on.
    for (const QVariant& value : {QVariant(QStringLiteral("maybe")), QVariant(QStringLiteral("FALSE")),
                                  QVariant(0), QVariant(QString())}) {
        store(value);
        EXPECT_TRUE(Sound::enabled()) << value.toString().toStdString();
    }
    for (const QVariant& value : {QVariant(QStringLiteral("false")), QVariant(false)}) {
        store(value);
        EXPECT_FALSE(Sound::enabled()) << value.toString().toStdString();
    }
}

TEST_F(SoundTest, EveryEffectShipsAsSmallMonoSixteenBitWave)
{
    for (const char* name : {"scan_start", "scan_done", "clean", "tick"}) {
        SCOPED_TRACE(name);
        QFile file(Sound::resourcePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        ASSERT_GT(bytes.size(), 44);
        EXPECT_LT(bytes.size(), 100 * 1024);
        EXPECT_EQ(bytes.mid(0, 4), "RIFF");
        EXPECT_EQ(bytes.mid(8, 4), "WAVE");

        const char* header = bytes.constData();
        EXPECT_EQ(qFromLittleEndian<quint16>(header + 20), 1);  // PCM
        EXPECT_EQ(qFromLittleEndian<quint16>(header + 22), 1);  // mono
        EXPECT_EQ(qFromLittleEndian<quint32>(header + 24), 44100u);
        EXPECT_EQ(qFromLittleEndian<quint16>(header + 34), 16);
    }
}

TEST_F(SoundTest, SilentWhenOffOrForAnUnknownOrPathLikeName)
{
    const int before = Sound::liveCount();
    Sound::setEnabled(false);
    Sound::play(QStringLiteral("scan_done"));
    EXPECT_EQ(Sound::liveFor(QStringLiteral("scan_done")), nullptr);
    Sound::setEnabled(true);
    for (const char* name : {"", "missing", "../sounds/tick", "sounds/tick", "tick.wav"}) {
        Sound::play(QString::fromLatin1(name));
        EXPECT_EQ(Sound::liveFor(QString::fromLatin1(name)), nullptr) << name;
    }
    EXPECT_EQ(Sound::liveCount(), before);
}

TEST_F(SoundTest, OneLiveSoundPerNameAndLoadingDoesNotHang)
{
    // Playing a name again stops and releases the older sound.
    const QString tick = QStringLiteral("tick");
    Sound::play(tick);
    QPointer<const QSoundEffect> first = Sound::liveFor(tick);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->source().toString(), QStringLiteral("qrc:/sounds/tick.wav"));
    Sound::play(tick, 0.25f);
    const QSoundEffect* second = Sound::liveFor(tick);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first.data());
    EXPECT_EQ(second->source(), first->source());

    // Different names live side by side.
    Sound::play(QStringLiteral("clean"));
    Sound::play(QStringLiteral("scan_start"), 0.5f);
    const QSoundEffect* clean = Sound::liveFor(QStringLiteral("clean"));
    ASSERT_NE(clean, nullptr);
    EXPECT_NE(Sound::liveFor(QStringLiteral("scan_start")), nullptr);
    EXPECT_NE(Sound::liveFor(QStringLiteral("scan_start")), clean);

    // Let queued deletions happen and the effects load and play (or find no
    // audio device) for a moment.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(Sound::liveFor(tick), second);
    EXPECT_EQ(Sound::liveFor(QStringLiteral("clean")), clean);
    EXPECT_NE(clean->status(), QSoundEffect::Error);  // the shipped file decodes
}

} // namespace
