#include "app/AppSection.h"
