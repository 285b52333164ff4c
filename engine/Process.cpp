#include "engine/Process.h"
