#include "engine/checked.h"
