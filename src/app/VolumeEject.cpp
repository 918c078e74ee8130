#include "app/VolumeEject.h"

#include "i18n/L.h"
#include "monitor/DesktopBus.h"
#include "platform/Background.h"
#include "platform/Sound.h"

VolumeEject::VolumeEject(QObject* parent)
    : QObject(parent)
    , ejector_(DesktopBus::eject)
{
}

void VolumeEject::eject(const QString& path)
{
    if (!monitor_)
        return;
    const std::optional<Monitor::VolumeInfo> volume = monitor_->volumeAt(path);
    if (!volume || !volume->ejectable || ejecting_.contains(path))
        return;  // gone from the list, not a UDisks2 device, or already on its way out
    ejecting_.append(path);
    emit ejectingChanged();
    const auto ejector = ejector_;
    Background::run(
        this, [ejector, device = volume->device] { return ejector(device); },
        [this, path, name = volume->name](std::optional<QString> error) {
            if (error) {
                if (shell_)
                    shell_->setMessage(LF("Não foi possível ejetar %@: %@", name, *error));
            } else {
                Sound::play(QStringLiteral("tick"));
            }
            ejecting_.removeAll(path);
            emit ejectingChanged();
            if (!error && monitor_)
                monitor_->refresh();
            emit finished();
        });
}
