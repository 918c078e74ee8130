#include "platform/Sound.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QPointer>
#include <QSoundEffect>
#include <QThread>
#include <QUrl>

#include "platform/Prefs.h"

namespace Sound {

namespace {

const QString enabledKey = QStringLiteral("soundEnabled");

// The sound last started under each name. A sound stays here after it ends and
// is replaced by the next play of its name. Main thread only.
//
// Deleting a sound whose file is still loading waits for Qt's sample loader
// thread, which can wait in turn for the main thread: a deadlock. So a sound is
// deleted only once its loading has ended, and the sounds have no parent: the
// ones still live at exit are left to the operating system instead of being
// deleted while the application object is torn down.
QHash<QString, QPointer<QSoundEffect>>& liveTable()
{
    static QHash<QString, QPointer<QSoundEffect>> table;
    return table;
}

// Deletes EFFECT from the event loop (it may still be handling a signal of the
// audio back end), but not before its file has finished loading.
void releaseWhenLoaded(QSoundEffect* effect)
{
    if (effect->status() != QSoundEffect::Loading) {
        effect->deleteLater();
        return;
    }
    QObject::connect(effect, &QSoundEffect::statusChanged, effect, [effect] {
        if (effect->status() != QSoundEffect::Loading)
            effect->deleteLater();
    });
}

} // namespace

bool enabled()
{
    const auto settings = Prefs::standard();
    const QVariant value = settings->value(enabledKey);
    // INI files keep Booleans as the texts "true" and "false".
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        if (text == QLatin1String("true"))
            return true;
        if (text == QLatin1String("false"))
            return false;
    }
    return true;
}

void setEnabled(bool on)
{
    const auto settings = Prefs::standard();
    settings->setValue(enabledKey, on);
    settings->sync();
}

QString resourcePath(const QString& name)
{
    return QStringLiteral(":/sounds/") + name + QStringLiteral(".wav");
}

void play(const QString& name, float volume)
{
    if (!enabled())
        return;
    // Sound objects need the application's event loop; without one stay silent.
    if (!QCoreApplication::instance())
        return;
    // Only plain names: a name with a slash could reach other resources.
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || !QFile::exists(resourcePath(name)))
        return;

    auto* effect = new QSoundEffect;
    // Volume first: a file loaded before opens its output at once.
    effect->setVolume(qBound(0.0f, volume, 1.0f));
    effect->setSource(QUrl(QStringLiteral("qrc") + resourcePath(name)));

    auto& table = liveTable();
    if (QSoundEffect* previous = table.value(name)) {
        previous->stop();
        releaseWhenLoaded(previous);
    }
    table.insert(name, effect);
    // Loading is asynchronous; play() starts as soon as the file is loaded,
    // and a file that fails to load stays silent.
    effect->play();
}

void settle(int maxMs)
{
    QElapsedTimer waited;
    waited.start();
    const auto loading = [] {
        for (const QPointer<QSoundEffect>& effect : liveTable())
            if (effect && effect->status() == QSoundEffect::Loading)
                return true;
        return false;
    };
    while (loading() && waited.elapsed() < maxMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

const QSoundEffect* liveFor(const QString& name)
{
    return liveTable().value(name).data();
}

int liveCount()
{
    int count = 0;
    for (const QPointer<QSoundEffect>& effect : liveTable())
        count += effect ? 1 : 0;
    return count;
}

} // namespace Sound
