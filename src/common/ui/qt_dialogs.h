#pragma once

#include "common/dialogs.h"

namespace pezolva {

// The real windows: message boxes with Portuguese buttons and the system's
// folder and file choosers, owned by the active window.  Needs a
// QApplication.
class QtDialogs : public Dialogs {
  public:
    Answer show(const Message& message) override;
    // Shows the window `pergunta`.
    int choose(const Choice& choice) override;
    std::optional<std::string> choose_folder(const std::string& start,
                                             const std::string& prompt) override;
    std::optional<std::string> choose_file(const std::string& start_folder,
                                           const std::vector<FileFilter>& filters) override;
};

}  // namespace pezolva
