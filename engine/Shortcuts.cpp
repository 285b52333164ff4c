#include "engine/Shortcuts.h"
