#include "app/SpeedTest.h"

#include <QFileInfo>
#include <QStandardPaths>

#include "monitor/PanelValues.h"
#include "platform/Background.h"
#include "platform/Shell.h"
#include "platform/Sound.h"
#include "profiles/Profile.h"

namespace {

// Whether the program is installed: an executable file where a path is given,
// else on PATH.
bool installed(const std::string& program)
{
    const QString name = QString::fromStdString(program);
    if (name.isEmpty())
        return false;
    if (name.contains(QLatin1Char('/'))) {
        const QFileInfo info(name);
        return info.isFile() && info.isExecutable();
    }
    return !QStandardPaths::findExecutable(name).isEmpty();
}

} // namespace

SpeedTest::SpeedTest(QObject* parent)
    : QObject(parent)
    , available_(installed(Profiles::active().panel.speedProgram))
    , tool_([] { return Shell::run(Profiles::active().panel.speedTest).out.toUtf8(); })
{
}

void SpeedTest::test()
{
    if (testing_ || !available_)
        return;
    testing_ = true;
    emit testingChanged();
    const std::function<QByteArray()> tool = tool_;
    const QString down = QString::fromLatin1(Profiles::active().panel.speedDown);
    const QString up = QString::fromLatin1(Profiles::active().panel.speedUp);
    Background::run(
        this, [tool, down, up] { return Panel::speedResult(tool(), down, up); },
        [this](QString result) {
            speed_ = result;
            testing_ = false;
            emit speedChanged();
            emit testingChanged();
            Sound::play(QStringLiteral("scan_done"));
            emit finished();
        });
}
