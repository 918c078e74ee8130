#include "SkyMath.h"
