#pragma once
// What the choice of the window's renderer needs to know without starting
// one: which graphics devices this machine has, and what an earlier start
// found out about them. Asking an OpenGL driver which renderer it is loads
// the whole driver stack (tens of MB, most of it LLVM for the software
// drivers), which the program would then keep for nothing when it ends up
// drawing in software anyway.
#include <filesystem>
#include <optional>
#include <string>

namespace RendererChoice {

// The graphics devices a driver could open (/dev/dri's nodes, NVIDIA's
// /dev/nvidia0…), each with the kernel driver behind it where /sys names one,
// as one line; empty when there are none, so every OpenGL driver would be a
// software one.
std::string gpuDevices(const std::filesystem::path& dev = "/dev",
                       const std::filesystem::path& sysDrm = "/sys/class/drm");

// Whether the renderer found for `key` (the display platform and the devices)
// was a software one, as `file` remembers; nothing when it holds no answer
// for this key (another machine, new devices, no file).
std::optional<bool> remembered(const std::filesystem::path& file, const std::string& key);
// Keeps the answer for `key` in `file`, replacing what it held.
void remember(const std::filesystem::path& file, const std::string& key, bool software);

// Where the answer is kept: in the program's cache folder.
std::filesystem::path rememberedFile();

} // namespace RendererChoice
