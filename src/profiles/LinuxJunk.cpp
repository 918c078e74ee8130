// The Linux junk catalogue.
#include "profiles/JunkCatalogue.h"

namespace Profiles {

JunkCatalogue linuxJunk()
{
    return macosJunk();
}

} // namespace Profiles
