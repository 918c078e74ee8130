#pragma once
// Figures that tools and the kernel print in KiB ("Installed-Size: 1234",
// "Cached:  5678 kB"), as bytes.
#include <cstdint>
#include <limits>

#include <QString>

namespace Sweeper {

// The bytes of a KiB figure; 0 for text that is no positive number or one
// larger than any disk or memory could hold.
inline std::int64_t kibibytesToBytes(const QString& figure)
{
    bool known = false;
    const qlonglong kibibytes = figure.toLongLong(&known);
    return known && kibibytes > 0 && kibibytes <= std::numeric_limits<std::int64_t>::max() / 1024 ? kibibytes * 1024
                                                                                                 : 0;
}

} // namespace Sweeper
