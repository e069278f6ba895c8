#pragma once
// Moved to support/entrybox.h; kept for the tests that still include it here.
#include "support/entrybox.h"
