#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pezolva {

// Every message box, question and chooser of the component goes through
// this interface, so that the same procedures run with real windows, on a
// terminal, or under a test that records what was shown.

enum class Icon { None, Information, Question, Warning, Critical };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

// The application title shown by a message without a title of its own.
inline constexpr const char* kApplicationTitle = "zolva";

struct Message {
    std::string text;
    Icon icon = Icon::None;
    std::string title = kApplicationTitle;
    Buttons buttons = Buttons::Ok;
    // The button that Enter presses; for Ok boxes always Ok.
    Answer default_answer = Answer::Ok;
};

// A question with buttons of its own captions ("&Fazer", "&Não Fazer",
// ...; "&" marks the keyboard accelerator), plus "Cancelar".
struct Choice {
    std::string title;
    std::string text;
    Icon icon = Icon::Question;
    std::vector<std::string> options;
};

struct FileFilter {
    std::string description;  // "Estrutura de Base de Dados (*.ebd)"
    std::string patterns;     // "*.ebd"
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;

    // Shows a message or question and returns the button pressed.  Closing
    // a question without a choice answers Cancel where there is a Cancel
    // button, else the default answer.
    virtual Answer show(const Message& message) = 0;

    // Asks `choice`; returns the index of the option pressed, or -1 for
    // "Cancelar" or a window closed without a choice.
    virtual int choose(const Choice& choice) = 0;

    // Lets the user pick a folder, starting at `start`; nullopt on cancel.
    virtual std::optional<std::string> choose_folder(const std::string& start,
                                                     const std::string& prompt) = 0;

    // Lets the user pick an existing file in `start_folder`; nullopt on cancel.
    virtual std::optional<std::string> choose_file(const std::string& start_folder,
                                                   const std::vector<FileFilter>& filters) = 0;
};

// Shorthands for the common forms.
void informa(Dialogs& dialogs, const std::string& text, const std::string& title, Icon icon);
bool pergunta_sim_nao(Dialogs& dialogs, const std::string& text, const std::string& title,
                      bool default_yes);

}  // namespace pezolva
