#pragma once

#include <memory>

#include "common/clock.h"
#include "common/file_system.h"
#include "common/scripted_dialogs.h"
#include "common/services.h"
#include "common/settings_store.h"
#include "support/faulty_file_system.h"
#include "support/temp_dir.h"

namespace pezolva::testing {

// Services for one test: scripted dialogs, a clock that stands still, a
// scripted random source, the real file system (which a test may make fail)
// and settings in a folder of the test's own.
struct TestServices {
    TempDir dir;
    ScriptedDialogs dialogs;
    FixedClock clock{DateTime{2005, 5, 19, 14, 7, 0}};
    ScriptedRandom random{0.5};
    FaultyFileSystem files;
    IniSettingsStore settings{dir.file("config/pelvor"), files};
    Services services{dialogs, clock, random, settings, files};
};

}  // namespace pezolva::testing
