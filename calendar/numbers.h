#pragma once
// The number helpers live in common/; this name still serves the files that include it.
#include "common/numbers.h"
