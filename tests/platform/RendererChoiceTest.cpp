// The renderer choice's inputs: the graphics devices read from fixture /dev
// and /sys trees, and the remembered answer, kept per machine.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/RendererChoice.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;
using namespace RendererChoice;

TEST(RendererChoice, DevicesNameTheirDriversAndNoDeviceMeansNone)
{
    const fs::path root = freshFolder("renderer-devices");
    const fs::path dev = root / "dev", drm = root / "sys/class/drm";
    fs::create_directories(dev);
    EXPECT_EQ(gpuDevices(dev, drm), "");  // a virtual machine or a container: software only
    writeFile(dev / "nvidiactl", "");     // NVIDIA's control node alone is no device
    writeFile(dev / "null", "");
    EXPECT_EQ(gpuDevices(dev, drm), "");

    writeFile(dev / "dri/renderD128", "");
    writeFile(dev / "dri/card0", "");
    writeFile(dev / "dri/by-path", "");  // not a device node name
    writeFile(dev / "nvidia0", "");
    fs::create_directories(root / "sys/bus/pci/drivers/i915");
    fs::create_directories(drm / "card0/device");
    fs::create_directory_symlink(root / "sys/bus/pci/drivers/i915", drm / "card0/device/driver");
    EXPECT_EQ(gpuDevices(dev, drm), "card0=i915 nvidia0 renderD128=?");
}

TEST(RendererChoice, AnAnswerIsRememberedForItsMachineOnly)
{
    const fs::path file = freshFolder("renderer-remembered") / "cache/renderer";
    EXPECT_EQ(remembered(file, "xcb card0=i915"), std::nullopt);  // nothing kept yet
    remember(file, "xcb card0=i915", true);
    EXPECT_EQ(remembered(file, "xcb card0=i915"), true);
    EXPECT_EQ(remembered(file, "wayland card0=i915"), std::nullopt);  // another platform asks again
    remember(file, "xcb card0=amdgpu", false);
    EXPECT_EQ(remembered(file, "xcb card0=amdgpu"), false);
    EXPECT_EQ(remembered(file, "xcb card0=i915"), std::nullopt);  // new devices replaced the answer

    std::ofstream(file) << "xcb card0=amdgpu\nmaybe\n";  // a damaged file holds no answer
    EXPECT_EQ(remembered(file, "xcb card0=amdgpu"), std::nullopt);
}
