#include "StarfieldItem.h"
