// The lint's readers of where volumes mount: an automount unit's Where= over
// the bytes as they come (absolute and normal, or nothing), fstab read back by
// getmntent, and whether a target lies on an absent volume over fuzzed places.
#include <unistd.h>

#include "FuzzCheck.h"
#include "engines/dupes/LintPlaces.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const std::string text = Fuzz::text(bytes, size);
    const std::string where = Lint::automountWhere(text);
    REQUIRE(where.empty() || (where.front() == '/' && where.find("//") == std::string::npos
                              && (where == "/" || where.back() != '/')));

    // The same bytes as an fstab: every target read is absolute.
    char name[] = "/tmp/fuzz-fstab-XXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0) {
        const bool written = write(fd, text.data(), text.size()) == ssize_t(text.size());
        close(fd);
        if (written)
            for (const std::string& target : Lint::fstabTargets(name))
                REQUIRE(!target.empty() && target.front() == '/');
        unlink(name);
    }

    FuzzedDataProvider data(bytes, size);
    const std::string target = Lint::targetPath("/home/me", data.ConsumeRandomLengthString(64));
    const std::string place = "/" + data.ConsumeRandomLengthString(16);
    const std::string mounted = "/" + data.ConsumeRandomLengthString(16);
    // Nothing mounted between the place and the target: away; the place itself mounted: there.
    if (Lint::isInside(target, place))
        REQUIRE(Lint::onAbsentVolume(target, {place}, {}) && !Lint::onAbsentVolume(target, {place}, {place}));
    else
        REQUIRE(!Lint::onAbsentVolume(target, {place}, {mounted}));
    return 0;
}
