// The /proc figures (Monitor::parseStatTicks, parseNetDev and batteryLevel, FS::memory, LinuxRoutines::cachedBytes)
// over the bytes as they come, and over numbers written the way the kernel writes them, read back exactly.
#include <climits>

#include "FuzzCheck.h"
#include "engines/maintenance/LinuxRoutines.h"
#include "monitor/Sources.h"
#include "platform/FS.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    static const Fuzz::Scratch scratch;
    static const std::filesystem::path meminfo = scratch.root / "meminfo";
    const std::string text = Fuzz::text(bytes, size);
    Monitor::parseStatTicks(text);
    Monitor::parseNetDev(text, [](const std::string&) { return true; });
    Fuzz::write(meminfo, text);
    const FS::Memory any = FS::memory(meminfo);
    const std::int64_t anyCached = LinuxRoutines::cachedBytes(meminfo);
    REQUIRE(any.used <= any.total && any.total % 1024 == 0 && anyCached >= 0 && anyCached % 1024 == 0);

    // stat: user, nice, system and idle, each cut to 32 bits
    FuzzedDataProvider data(bytes, size);
    const auto user = data.ConsumeIntegral<std::uint64_t>(), nice = data.ConsumeIntegral<std::uint64_t>();
    const auto system = data.ConsumeIntegral<std::uint64_t>(), idle = data.ConsumeIntegral<std::uint64_t>();
    REQUIRE(Monitor::parseStatTicks("cpu  " + std::to_string(user) + " " + std::to_string(nice) + " "
                                    + std::to_string(system) + " " + std::to_string(idle) + " 5478 0\ncpu0 1 2 3 4\n")
            == (Monitor::Ticks{std::uint32_t(user), std::uint32_t(system), std::uint32_t(idle), std::uint32_t(nice)}));
    // net/dev: received and sent summed (wrapping) over the interfaces kept, named without the padding
    std::string netDev = "Inter-|   Receive |  Transmit\n face |bytes    packets|bytes    packets\n";
    Monitor::NetSample sum;
    for (int i = data.ConsumeIntegralInRange(0, 6); i > 0; --i) {
        const auto received = data.ConsumeIntegral<std::uint64_t>(), sent = data.ConsumeIntegral<std::uint64_t>();
        netDev += "  eth" + std::to_string(i) + ": " + std::to_string(received) + " 8211 0 0 0 0 0 0 "
                  + std::to_string(sent) + " 8211 0 0 0 0 0 0\n  skip: 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\n";
        sum = {sum.received + received, sum.sent + sent};
    }
    const auto got = Monitor::parseNetDev(netDev, [](const std::string& n) { return n.starts_with("eth"); });
    REQUIRE(got.received == sum.received && got.sent == sum.sent);
    // meminfo: kilobytes to bytes, where they fit
    const auto total = data.ConsumeIntegral<std::uint64_t>(), available = data.ConsumeIntegral<std::uint64_t>();
    const auto cached = data.ConsumeIntegral<std::uint64_t>();
    Fuzz::write(meminfo, "MemTotal:       " + std::to_string(total) + " kB\nMemFree:         1182408 kB\n"
                         "MemAvailable:    " + std::to_string(available) + " kB\nCached:          "
                             + std::to_string(cached) + " kB\n");
    const FS::Memory memory = FS::memory(meminfo);
    if (total <= UINT64_MAX / 1024 && available <= UINT64_MAX / 1024)
        REQUIRE(memory.total == total * 1024 && memory.used == (total - std::min(available, total)) * 1024);
    if (cached <= std::uint64_t(INT64_MAX / 1024))
        REQUIRE(LinuxRoutines::cachedBytes(meminfo) == std::int64_t(cached) * 1024);
    // the battery level: truncating arithmetic, held to what an int holds
    const long long current = data.ConsumeIntegral<long long>(), maximum = data.ConsumeIntegral<long long>();
    const __int128 exact = __int128(current) * 100 / std::max(1LL, maximum);
    REQUIRE(Monitor::batteryLevel(current, maximum) == int(std::clamp<__int128>(exact, INT_MIN, INT_MAX)));
    REQUIRE(Monitor::batteryLevel(current, std::nullopt) == int(std::clamp<long long>(current, INT_MIN, INT_MAX)));
    return 0;
}
