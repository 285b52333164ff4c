#include "engine/Registry.h"
