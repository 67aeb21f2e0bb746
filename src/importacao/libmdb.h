#pragma once

// mdbtools.h opens an extern "C" block before it includes glib, whose
// headers then bring C++ templates into it when compiled as C++: glib goes
// first, outside the block, and its include guards keep it there.
#include <glib.h>
#include <mdbtools.h>
