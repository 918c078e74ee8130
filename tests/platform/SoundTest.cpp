// The sound switch, the shipped effects and the table of live sounds. Nothing
// here needs an audio device: the tests look at the table, not at what is heard
// (without a device even the volume reads back as 1, so it is not checked).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDataStream>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QSettings>
#include <QSoundEffect>
#include <QTimer>

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

    // Lets queued deletions of replaced sounds happen.
    static void drainEvents()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
};

TEST_F(SoundTest, SwitchIsOnUntilTurnedOffAndStaysOffOnDisk)
{
    EXPECT_TRUE(Sound::enabled());

    Sound::setEnabled(false);
    EXPECT_FALSE(Sound::enabled());

    // What a later process would see: the file on disk, read without the
    // settings cache of this one.
    const QString fileName = Prefs::standard()->fileName();
    ASSERT_TRUE(fileName.startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("soundEnabled=false"));
    QSettings fresh(fileName, QSettings::IniFormat);
    EXPECT_EQ(fresh.value(key).toString(), QStringLiteral("false"));

    Sound::setEnabled(true);
    EXPECT_TRUE(Sound::enabled());
}

TEST_F(SoundTest, AnythingButABooleanReadsAsOn)
{
    for (const QVariant& value : {QVariant(QStringLiteral("maybe")), QVariant(QStringLiteral("FALSE")),
                                  QVariant(0), QVariant(QString())}) {
        store(value);
        EXPECT_TRUE(Sound::enabled()) << value.toString().toStdString();
    }
    store(QStringLiteral("false"));
    EXPECT_FALSE(Sound::enabled());
    store(false);
    EXPECT_FALSE(Sound::enabled());
}

TEST_F(SoundTest, EveryEffectShipsAsSmallMonoSixteenBitWave)
{
    for (const char* name : {"scan_start", "scan_done", "clean", "tick"}) {
        SCOPED_TRACE(name);
        const QString path = Sound::resourcePath(QString::fromLatin1(name));
        EXPECT_EQ(path, QStringLiteral(":/sounds/") + QLatin1String(name) + QStringLiteral(".wav"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        ASSERT_GT(bytes.size(), 44);
        EXPECT_LT(bytes.size(), 100 * 1024);
        EXPECT_EQ(bytes.mid(0, 4), "RIFF");
        EXPECT_EQ(bytes.mid(8, 4), "WAVE");

        QDataStream in(bytes.mid(20, 16));
        in.setByteOrder(QDataStream::LittleEndian);
        quint16 format = 0, channels = 0, blockAlign = 0, bits = 0;
        quint32 rate = 0, byteRate = 0;
        in >> format >> channels >> rate >> byteRate >> blockAlign >> bits;
        EXPECT_EQ(format, 1);  // PCM
        EXPECT_EQ(channels, 1);
        EXPECT_EQ(rate, 44100u);
        EXPECT_EQ(bits, 16);
    }
}

TEST_F(SoundTest, SoundsOffStartsNothing)
{
    Sound::setEnabled(false);
    const QSoundEffect* before = Sound::liveFor(QStringLiteral("scan_done"));
    Sound::play(QStringLiteral("scan_done"));
    EXPECT_EQ(Sound::liveFor(QStringLiteral("scan_done")), before);
    EXPECT_EQ(before, nullptr);
}

TEST_F(SoundTest, UnknownOrPathLikeNamesStaySilent)
{
    const int before = Sound::liveCount();
    for (const char* name : {"", "missing", "../sounds/tick", "sounds/tick", "tick.wav"}) {
        Sound::play(QString::fromLatin1(name));
        EXPECT_EQ(Sound::liveFor(QString::fromLatin1(name)), nullptr) << name;
    }
    EXPECT_EQ(Sound::liveCount(), before);
}

TEST_F(SoundTest, PlayingANameAgainKeepsOnlyTheNewestLive)
{
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

    // The first one is stopped and released; the second stays.
    drainEvents();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(Sound::liveFor(tick), second);
}

TEST_F(SoundTest, DifferentNamesLiveSideBySideAndLoadWithoutHanging)
{
    Sound::play(QStringLiteral("clean"));
    Sound::play(QStringLiteral("scan_start"), 0.5f);
    const QSoundEffect* clean = Sound::liveFor(QStringLiteral("clean"));
    const QSoundEffect* start = Sound::liveFor(QStringLiteral("scan_start"));
    ASSERT_NE(clean, nullptr);
    ASSERT_NE(start, nullptr);
    EXPECT_NE(clean, start);

    // Let the effects load and play (or find no audio device) for a moment.
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(Sound::liveFor(QStringLiteral("clean")), clean);
    EXPECT_NE(clean->status(), QSoundEffect::Error);  // the shipped file decodes
}

} // namespace
