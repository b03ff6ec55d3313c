#pragma once
// The update windows' form names with their design and events routines, for the program's
// form routing.
#include "update/download.h"
#include "update/update_available_dialog.h"
#include "update/update_state.h"
#include "update/whats_new_dialog.h"
