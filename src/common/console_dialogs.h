#pragma once

#include <cstdio>
#include <functional>
#include <optional>

#include "common/dialogs.h"

namespace pezolva {

// Dialogs for the unattended subcommands.  Messages are written to a stream
// (standard error by default) as "Título: texto"; a question is answered by
// the `answerer` when it has an answer for it, else by its default answer,
// and the answer taken is written after it.  Choosers are cancelled: nobody
// is there to choose.
class ConsoleDialogs : public Dialogs {
  public:
    using Answerer = std::function<std::optional<Answer>(const Message&)>;
    // Gives the index of the option to take for a choice, or -1 for none.
    using Chooser = std::function<int(const Choice&)>;

    explicit ConsoleDialogs(std::FILE* out = stderr, Answerer answerer = {}, Chooser chooser = {})
        : out_(out), answerer_(std::move(answerer)), chooser_(std::move(chooser)) {}

    Answer show(const Message& message) override;
    // Without a chooser nothing is chosen (-1): nobody is there to answer.
    int choose(const Choice& choice) override;
    std::optional<std::string> choose_folder(const std::string& start,
                                             const std::string& prompt) override;
    std::optional<std::string> choose_file(const std::string& start_folder,
                                           const std::vector<FileFilter>& filters) override;

  private:
    std::FILE* out_;
    Answerer answerer_;
    Chooser chooser_;
};

// An option's caption without its accelerator mark: "&Não Fazer" → "Não Fazer".
std::string sem_acelerador(const std::string& caption);

// The Portuguese caption of a button ("Sim", "Não", "Cancelar", "OK").
const char* answer_caption(Answer answer);

}  // namespace pezolva
