#include "NebulaItem.h"
