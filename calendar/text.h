#pragma once
// The text helpers live in common/; this name still serves the files that include it.
#include "common/text.h"
