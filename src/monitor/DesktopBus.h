#pragma once
// The desktop services the telemetry asks over the system D-Bus: the joined
// Wi-Fi network (NetworkManager) and ejecting a volume (UDisks2). Without a
// system bus or without the service, the answers are the neutral ones.
#include <optional>
#include <string>

#include <QString>

namespace DesktopBus {

// The name (SSID) of the Wi-Fi network of the first active wireless
// connection; nothing without NetworkManager or without Wi-Fi.
std::optional<QString> wifiName();

// Unmounts the file system on `device` ("/dev/sdb1") through UDisks2, then
// ejects or powers off its drive (a disk image is detached instead). The
// error's description on failure, nothing on success.
std::optional<QString> eject(const std::string& device);

// UDisks2's object path of a block device: its kernel name with every byte
// other than a letter or digit written as "_xx" in hexadecimal.
QString udisksBlockPath(const std::string& device);

} // namespace DesktopBus
