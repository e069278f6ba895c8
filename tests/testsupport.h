#pragma once
// Moved to support/testsupport.h; kept for the tests that still include it here.
#include "support/testsupport.h"
