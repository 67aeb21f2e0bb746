#pragma once

#include "common/clock.h"
#include "common/dialogs.h"
#include "common/file_system.h"
#include "common/settings_store.h"

namespace pezolva {

// The outside world as the component's engines and windows reach it.  Each
// is a seam: the component runs with the real ones, tests pass their own.
// The referenced objects outlive every user of the bundle.
struct Services {
    Dialogs& dialogs;
    Clock& clock;
    Random& random;
    SettingsStore& settings;
    FileSystem& files;
};

}  // namespace pezolva
